// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The inner loops of the whole-plane pictures. One orbit is a chain of dependent
// operations that the processor cannot overlap; kGridLanes independent orbits (pixels)
// advanced in one loop are not, so these loops step every lane once per iteration. Each
// lane computes exactly what a single orbit would, in the same order, so a pixel's numbers
// never depend on the pixels that share its batch.
#include <array>
#include <cmath>
#include <cstdint>

#include "maps/map_jacobian.h"
#include "maps/mapping_model.h"

namespace orbitra {

inline constexpr int kGridLanes = 8;

// The orbits of one batch. Lanes past `used` repeat lane 0, so they cost time but
// never a fault.
template <class Step>
struct LaneBatch {
  std::array<Step, kGridLanes> steps;
  double x[kGridLanes];
  double y[kGridLanes];
  std::uint8_t escaped[kGridLanes] = {};
  int used = 0;

  bool AllEscaped() const noexcept {
    std::uint8_t all = 1;
    for (int l = 0; l < kGridLanes; ++l) all &= escaped[l];
    return all != 0;
  }
};

// One step of one lane; whether its new point passed the threshold (or is not a number).
template <class Step>
inline std::uint8_t StepLane(const Step& step, double& x, double& y, double threshold) noexcept {
  const MapImage m = step(x, y);
  x = m.x;
  y = m.y;
  return static_cast<std::uint8_t>(!(m.x * m.x + m.y * m.y <= threshold));
}

// Iterations between the checks whether every lane has escaped.
inline constexpr std::int32_t kEscapeCheckEvery = 64;

// n iterations; a lane whose point passes the threshold (or is not a number) is marked
// escaped, and its later values mean nothing.
template <class Step>
void AdvanceLanes(LaneBatch<Step>& b, std::int32_t n, double threshold) {
  const std::array<Step, kGridLanes> steps = b.steps;
  double x[kGridLanes], y[kGridLanes];
  std::uint8_t out[kGridLanes];
  for (int l = 0; l < kGridLanes; ++l) x[l] = b.x[l], y[l] = b.y[l], out[l] = b.escaped[l];
  for (std::int32_t done = 0; done < n;) {
    const std::int32_t chunk = n - done < kEscapeCheckEvery ? n - done : kEscapeCheckEvery;
    for (std::int32_t k = 0; k < chunk; ++k) {
      for (int l = 0; l < kGridLanes; ++l) out[l] |= StepLane(steps[l], x[l], y[l], threshold);
    }
    done += chunk;
    std::uint8_t all = 1;
    for (int l = 0; l < kGridLanes; ++l) all &= out[l];
    if (all) break;
  }
  for (int l = 0; l < kGridLanes; ++l) b.x[l] = x[l], b.y[l] = y[l], b.escaped[l] = out[l];
}

// n iterations as AdvanceLanes, keeping every new point: lane l's k-th in wx[l * n + k].
template <class Step>
void RecordLanes(LaneBatch<Step>& b, std::int32_t n, double threshold, double* wx, double* wy) {
  const std::array<Step, kGridLanes> steps = b.steps;
  double x[kGridLanes], y[kGridLanes];
  std::uint8_t out[kGridLanes];
  for (int l = 0; l < kGridLanes; ++l) x[l] = b.x[l], y[l] = b.y[l], out[l] = b.escaped[l];
  for (std::int32_t k = 0; k < n; ++k) {
    for (int l = 0; l < kGridLanes; ++l) {
      out[l] |= StepLane(steps[l], x[l], y[l], threshold);
      wx[static_cast<std::size_t>(l) * static_cast<std::size_t>(n) + static_cast<std::size_t>(k)] = x[l];
      wy[static_cast<std::size_t>(l) * static_cast<std::size_t>(n) + static_cast<std::size_t>(k)] = y[l];
    }
  }
  for (int l = 0; l < kGridLanes; ++l) b.x[l] = x[l], b.y[l] = y[l], b.escaped[l] = out[l];
}

// Iterations between renormalisations of the tangent vector: its length grows at most by
// the product of this many Jacobians' norms, far from overflow on any orbit that stays
// inside the escape disc of a smooth map.
inline constexpr std::int32_t kTangentBlock = 16;

// The larger Lyapunov exponent over n iterations (n > 0), one tangent vector per lane
// carried by each iterate's Jacobian and renormalised every kTangentBlock iterations,
// where the logs of its growth are summed. lambda[l] gets the mean log growth per
// iteration; an escaped lane's value means nothing.
template <class Step>
void LyapunovLanes(LaneBatch<Step>& b, std::int32_t n, double threshold, double* lambda) {
  const std::array<Step, kGridLanes> steps = b.steps;
  double x[kGridLanes], y[kGridLanes], vx[kGridLanes], vy[kGridLanes], sum[kGridLanes];
  std::uint8_t out[kGridLanes];
  for (int l = 0; l < kGridLanes; ++l) {
    x[l] = b.x[l], y[l] = b.y[l], out[l] = b.escaped[l];
    // Not along an axis: a Jacobian that keeps the axes would never turn it.
    vx[l] = 0.6, vy[l] = 0.8, sum[l] = 0.0;
  }
  for (std::int32_t done = 0; done < n;) {
    const std::int32_t chunk = n - done < kTangentBlock ? n - done : kTangentBlock;
    for (std::int32_t k = 0; k < chunk; ++k) {
      for (int l = 0; l < kGridLanes; ++l) {
        const MapJacobian j = steps[l].Jacobian(x[l], y[l]);
        const double tx = j.dxdx * vx[l] + j.dxdy * vy[l];
        const double ty = j.dydx * vx[l] + j.dydy * vy[l];
        vx[l] = tx;
        vy[l] = ty;
        out[l] |= StepLane(steps[l], x[l], y[l], threshold);
      }
    }
    done += chunk;
    std::uint8_t all = 1;
    for (int l = 0; l < kGridLanes; ++l) {
      const double length = std::sqrt(vx[l] * vx[l] + vy[l] * vy[l]);
      sum[l] += std::log(length);
      // A vector that vanished (a Jacobian of rank 0) or overflowed starts afresh; its
      // log already said so.
      const bool usable = length > 0.0 && length < HUGE_VAL;
      vx[l] = usable ? vx[l] / length : 0.6;
      vy[l] = usable ? vy[l] / length : 0.8;
      all &= out[l];
    }
    if (all) break;
  }
  for (int l = 0; l < kGridLanes; ++l) {
    b.x[l] = x[l], b.y[l] = y[l], b.escaped[l] = out[l];
    lambda[l] = sum[l] / static_cast<double>(n);
  }
}

// Up to n iterations; first[l] gets the iteration (from 1) at which lane l's point first
// passed the threshold, 0 when it never did. The loop only notes that a lane passed it
// somewhere in a chunk; that lane's chunk is then stepped again from its start, alone, to
// find the iteration: the same operations, so the same answer, off the common path.
template <class Step>
void EscapeTimeLanes(LaneBatch<Step>& b, std::int32_t n, double threshold, std::int32_t* first) {
  const std::array<Step, kGridLanes> steps = b.steps;
  double x[kGridLanes], y[kGridLanes];
  std::int32_t when[kGridLanes];
  for (int l = 0; l < kGridLanes; ++l) x[l] = b.x[l], y[l] = b.y[l], when[l] = 0;
  for (std::int32_t done = 0; done < n;) {
    const std::int32_t chunk = n - done < kEscapeCheckEvery ? n - done : kEscapeCheckEvery;
    double x0[kGridLanes], y0[kGridLanes];
    std::uint8_t out[kGridLanes];
    for (int l = 0; l < kGridLanes; ++l) x0[l] = x[l], y0[l] = y[l], out[l] = 0;
    for (std::int32_t k = 0; k < chunk; ++k) {
      for (int l = 0; l < kGridLanes; ++l) out[l] |= StepLane(steps[l], x[l], y[l], threshold);
    }
    bool all = true;
    for (int l = 0; l < kGridLanes; ++l) {
      if (out[l] && when[l] == 0) {
        double px = x0[l], py = y0[l];
        for (std::int32_t k = 0; k < chunk && when[l] == 0; ++k) {
          if (StepLane(steps[l], px, py, threshold)) when[l] = done + k + 1;
        }
      }
      all = all && when[l] != 0;
    }
    done += chunk;
    if (all) break;
  }
  for (int l = 0; l < kGridLanes; ++l) first[l] = when[l];
}

}  // namespace orbitra
