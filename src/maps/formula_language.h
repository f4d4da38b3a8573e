#pragma once

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

// Names a helper may not take: the variables, the constant, the functions, and the words
// "map", "end" and "range" that open lines of the map file.
bool IsReservedFormulaName(std::string_view name) noexcept;

}  // namespace orbitra
