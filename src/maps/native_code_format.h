// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/formula_language.h"

namespace orbitra {

// What the helper program orbitra-compile-map writes and the program loads: a shared
// object with these exported symbols. It calls nothing by name: the C library's functions
// are called through two tables of addresses that the loader fills after loading it, so
// that every call goes to the very function the expression library calls, in this process.
//
//   MapImage orbitra_step(double x, double y, double k1, double k2, double k3, double k4)
//   int32_t orbitra_block(double x, double y, const double* k, double infinity, int32_t count,
//                         MapImage* images)
//   MapJacobian orbitra_jacobian(double x, double y, double k1, double k2, double k3, double k4)
//   const char* orbitra_key(void): the cache key it was made for
//   UnaryFunction orbitra_unary[kUnarySlots]; BinaryFunction orbitra_binary[kBinarySlots]
//
// The lanes of an orbit diagram are a shared object of their own, written only when a
// diagram asks for it (the helper's --lanes), with orbitra_key and the tables and
//
//   void orbitra_lanes(double* x, double* y, const double* k, double infinity, int32_t count,
//                      double* escaped, double* points): kNativeLanes orbits side by side (lane
//                      l at x[l], y[l] with k1 to k4 at k[l], k[kNativeLanes + l], and so on),
//                      count iterates each; escaped[l] becomes 1 once an image of lane l has
//                      x*x + y*y > infinity or not a number; image i of lane l goes to
//                      points[2 kNativeLanes i + l] (x) and kNativeLanes further on (y)
//
// Raise kNativeCodeFormat whenever any of this, or the code written, changes: it is part
// of the cache key.
inline constexpr int kNativeCodeFormat = 4;

// Which shared object the helper writes.
enum class NativeCodePart { Run, Lanes };

// Orbits advanced side by side by orbitra_lanes (the orbit diagram's lanes).
inline constexpr int kNativeLanes = 16;

inline constexpr const char* kStepSymbol = "orbitra_step";
inline constexpr const char* kBlockSymbol = "orbitra_block";
inline constexpr const char* kJacobianSymbol = "orbitra_jacobian";
inline constexpr const char* kLanesSymbol = "orbitra_lanes";
inline constexpr const char* kKeySymbol = "orbitra_key";
inline constexpr const char* kUnaryTableSymbol = "orbitra_unary";
inline constexpr const char* kBinaryTableSymbol = "orbitra_binary";

// Slots by FormulaFunction (null where the arity differs), then a few of the C library's own.
inline constexpr int kNearbyintSlot = kFormulaFunctionCount;
inline constexpr int kUnarySlots = kFormulaFunctionCount + 1;
inline constexpr int kPowSlot = kFormulaFunctionCount;
inline constexpr int kFmodSlot = kFormulaFunctionCount + 1;
inline constexpr int kBinarySlots = kFormulaFunctionCount + 2;

// The tables as this process fills them.
void FillNativeFunctionTables(UnaryFunction* unary, BinaryFunction* binary) noexcept;

}  // namespace orbitra
