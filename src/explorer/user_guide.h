// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orbitra {

// The part of the README a user reads inside the program: from its "## Using Orbitra" heading
// up to, not including, the first developer heading ("## Benchmarks"). A README without the
// first heading is shown whole; one without the second is shown to its end.
std::string_view UserGuideSections(std::string_view readme) noexcept;

// The guide with a table of contents under its first line (its title): one entry per
// "## " and "### " heading after it, in order, the "### " ones indented, each a link to
// "#h<k>", k counting the headings from 0. `headings` gets their texts, so that a link can
// be followed to its heading. Lines inside ``` code blocks are no headings.
struct GuideWithContents {
  std::string text;
  std::vector<std::string> headings;
};
GuideWithContents AddGuideContents(std::string_view guide);

}  // namespace orbitra
