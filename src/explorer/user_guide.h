// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orbitra {

// The part of the README a user reads inside the program: from its "## Using Orbitra" heading
// up to, not including, the first developer heading ("## Benchmarks"). A README without the
// first heading is shown whole; one without the second is shown to its end.
std::string_view UserGuideSections(std::string_view readme) noexcept;

}  // namespace orbitra
