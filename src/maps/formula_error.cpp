// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/formula_error.h"

namespace orbitra {

std::string DescribeFormulaError(const FormulaError& error) {
  std::string text;
  switch (error.part) {
    case FormulaPart::Helper:
      text = "helper line " + std::to_string(error.helperLine + 1);
      break;
    case FormulaPart::XFormula:
      text = "x'";
      break;
    case FormulaPart::YFormula:
      text = "y'";
      break;
  }
  text += ": ";
  text += error.what;
  if (error.column > 0) text += " at column " + std::to_string(error.column);
  return text;
}

}  // namespace orbitra
