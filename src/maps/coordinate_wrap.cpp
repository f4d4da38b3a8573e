// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/coordinate_wrap.h"

#include "maps/map_steps.h"

namespace orbitra {

CoordinateWrap WrapOfSystem(int t) noexcept {
  switch (t) {
    case 1:  // "Standard Map"
    case 9:  // "Doubly Kicked Rotator"
      return {kTwoPi, kTwoPi};
    case 5:  // "2-Dimerized Chains"
    case 6:  // "Vortex Flow"
      return {kTwoPi, 0.0};
    case 7:  // "Fermi Map - Sine"
    case 8:  // "Fermi Map - Sawtooth"
      return {1.0, 0.0};
    default:
      return {};
  }
}

}  // namespace orbitra
