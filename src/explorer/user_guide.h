// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orbitra {

// The guide's pages, files of docs/ compiled into the program, in the order the viewer
// lists them: the file's name and the title the list shows.
struct GuidePage {
  std::string_view file;
  std::string_view title;
};
inline constexpr std::array<GuidePage, 6> kGuidePages{{
    {"guide-window.md", "The window"},
    {"guide-sweeps.md", "Sweeps"},
    {"guide-structure.md", "Structure"},
    {"guide-sessions.md", "Sessions"},
    {"guide-command-line.md", "The command line"},
    {"guide-clusters.md", "Clusters"},
}};

// The page a link between pages leads to ("guide-sweeps.md", "docs/guide-sweeps.md",
// "./guide-sweeps.md#anything"), or -1 for any other link.
int GuidePageOfLink(std::string_view link) noexcept;

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
