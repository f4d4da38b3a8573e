// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "analysis/grid_values.h"
#include "maps/mapping_model.h"

namespace orbitra {

// Computes the numbers of the given columns of one row of the grid (a row inside the
// values' band) for the model's map, kGridLanes pixels at a time, and marks them done.
// Every pixel's numbers depend only on the settings, the model and the pixel itself.
//
// Safe to call from several threads at once for different pixels, except for a user map
// without machine code: the expression library evaluates one orbit at a time (see
// GridNeedsOneThread).
void ComputeGridPixels(const MappingModel& model, GridValues& grid, std::int32_t row, const std::int32_t* columns,
                       std::int32_t count);

// Whether the model's map may only be evaluated by one thread at a time.
bool GridNeedsOneThread(const MappingModel& model) noexcept;

// The larger Lyapunov exponent of the cycle through x[n-p..n-1], y[..] under the step's
// Jacobian: the log of the spectral radius of the product of the Jacobians over the
// cycle, per iteration. What the tangent vector's growth tends to on an attracting cycle.
template <class Step>
double CycleLyapunov(const Step& step, const double* x, const double* y, std::int32_t n, std::int32_t p);

}  // namespace orbitra
