// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/coordinate_wrap.h"
#include "maps/user_map_program.h"

namespace orbitra {

// The periods a user map reduces its image by, read off its formulas: x' (or y') wraps
// with period b when its outermost operation is mod(a, b) with b made of numbers and
// parameters alone, and b comes out positive and finite for these parameters. Such a map
// lives on a cylinder or a torus as the built-in maps with "mod 2pi" do; a mod anywhere
// else (inside a sine, inside a choice) says nothing about the image.
CoordinateWrap WrapOfUserMapProgram(const UserMapProgram& program, double k1, double k2, double k3,
                                    double k4) noexcept;

}  // namespace orbitra
