// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mu {
class ParserBase;
}

namespace orbitra {

// The language of user formulas on top of the expression library: the constant pi and
// the functions sin, cos, tan, asin, acos, atan, atan2, sinh, cosh, tanh, exp, log
// (natural), log10, sqrt, abs, floor, ceil, min, max, sign and mod. Each function calls
// the C library exactly as the built-in maps do, so a formula typed by the user gives the
// bits of the same formula built in; mod(a, b) reduces into [0, b) as the built-in maps
// do. The library's own functions and constants are removed and its bytecode optimiser
// turned off, since it reorders arithmetic.
void SetUpFormulaLanguage(mu::ParserBase& parser);

// The functions of the language, and the sign operators "-x" and "+x", as the compiled
// formula calls them.
enum class FormulaFunction : std::uint8_t {
  Sin, Cos, Tan, Asin, Acos, Atan, Sinh, Cosh, Tanh, Exp, Log, Log10, Sqrt, Abs, Floor, Ceil, Sign,
  Negate, Plus,            // the operators "-x" and "+x"
  Atan2, Min, Max, Mod,    // the functions of two arguments
};
inline constexpr int kFormulaFunctionCount = static_cast<int>(FormulaFunction::Mod) + 1;

inline bool TakesTwoArguments(FormulaFunction f) noexcept { return f >= FormulaFunction::Atan2; }

using UnaryFunction = double (*)(double);
using BinaryFunction = double (*)(double, double);

// The very function the expression library calls for f (null for the other arity), so
// that machine code made from a formula can call it too.
UnaryFunction UnaryFunctionOf(FormulaFunction f) noexcept;
BinaryFunction BinaryFunctionOf(FormulaFunction f) noexcept;

// Which function of the language a callback held by the library is; nothing for any other.
std::optional<FormulaFunction> FormulaFunctionAt(const void* callback) noexcept;

// Names a helper may not take: the variables, the constant, the functions, and the words
// "map", "end" and "range" that open lines of the map file.
bool IsReservedFormulaName(std::string_view name) noexcept;

}  // namespace orbitra
