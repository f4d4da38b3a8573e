// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orbitra {

// Which text of a user map a fault lies in.
enum class FormulaPart { Helper, XFormula, YFormula };

// What is wrong in a formula and where: the column (from 1) in the formula's own field,
// or in its helper line, and how many characters from there show the fault (0: the
// place only, as at the end of a formula that stops too early). Column 0 stands for the
// whole text, as for an empty formula.
struct FormulaError {
  FormulaPart part = FormulaPart::XFormula;
  int helperLine = 0;  // index into the helper lines, for FormulaPart::Helper
  int column = 1;
  int length = 0;
  std::string what;
  friend bool operator==(const FormulaError&, const FormulaError&) = default;
};

// The text the user is shown, e.g. "x': unknown name "z" at column 5" or
// "helper line 2: the formula is empty".
std::string DescribeFormulaError(const FormulaError& error);

}  // namespace orbitra
