// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orbitra::testing {

// A built-in map as a user types it from its formulas.
struct TypedMap {
  int system;
  std::vector<std::string> helpers;
  std::string x;
  std::string y;
};

// The ten built-in maps, typed.
inline const std::vector<TypedMap> kTypedMaps = {
    {1, {"t = x + y"}, "mod(t, 2*pi)", "mod(y + k1*sin(t), 2*pi)"},
    {2, {}, "1 - k1*x*x + k3*y", "k2*x"},
    {3, {"r = (x*x + y*y + k3)^k2", "c = cos(r)", "s = sin(r)"}, "k1*(c*x + s*y)", "(c*y - s*x)*(1/k1)"},
    {4, {"c = cos(k1)", "s = sin(k1)"}, "c*x - s*y + s*x*x", "c*y + s*x - c*x*x"},
    {5, {"v = y - k1*sin(x)"}, "mod(x + v - k2*v*v, 2*pi)", "v"},
    {6, {"v = y/(1 - k1*sin(x))"}, "mod(x + k2 - v*v + k1*cos(x), 2*pi)", "v"},
    {7, {"v = abs(y + sin(2*pi*x))"}, "mod(x + k1/v, 1)", "v"},
    {8, {"v = abs(y + x - 0.5)"}, "mod(x + k1/v, 1)", "v"},
    {9, {"v = y + k1*sin(x) + k2*sin(k3*x + k4)"}, "mod(x + v, 2*pi)", "mod(v, 2*pi)"},
    {10,
     {"s = sin(k1*0.017453292519943295)", "s2 = s*s", "c2 = 1 - s2", "tt = s2/c2", "op = 1 + tt",
      "g = (1 - tt)/(op*op)", "u = x - 2*y", "d = 2*g*((y - x)*(y - x)) + 2 - y*y",
      "outside = c2*x*x + s2*y*y > 1", "near = c2*u*u + s2*y*y <= 1"},
     "outside ? x : (near ? u : (d < 0 ? x : (y - x) - sqrt(d)))",
     "outside ? y : (near ? y : (d < 0 ? y : sqrt(d)))"},
};

inline void PrintTo(const TypedMap& typed, std::ostream* os) { *os << "system " << typed.system; }

}  // namespace orbitra::testing
