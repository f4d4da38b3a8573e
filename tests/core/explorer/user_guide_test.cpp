// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "explorer/user_guide.h"

namespace orbitra {
namespace {

// The contents list every heading after the title in order, "###" ones indented, and skip
// what only looks like a heading inside a code block.
TEST(UserGuide, ContentsUnderTheTitleLinkEveryHeading) {
  const GuideWithContents g = AddGuideContents(
      "## Using Orbitra\nText.\n### First steps\n```\n## not a heading\n```\n## Pictures\nMore.\n");
  EXPECT_EQ(g.headings, (std::vector<std::string>{"First steps", "Pictures"}));
  EXPECT_EQ(g.text,
            "## Using Orbitra\n\n**Contents**\n\n  - [First steps](#h0)\n- [Pictures](#h1)\n\nText.\n### First "
            "steps\n```\n## not a heading\n```\n## Pictures\nMore.\n");
  EXPECT_EQ(AddGuideContents("one line").text, "one line");
}

// A link between pages names a page's file, with or without a folder or a heading after
// '#'; any other link names no page.
TEST(UserGuide, LinksBetweenPagesNameTheirPage) {
  EXPECT_EQ(GuidePageOfLink("guide-window.md"), 0);
  EXPECT_EQ(GuidePageOfLink("docs/guide-sweeps.md"), 1);
  EXPECT_EQ(GuidePageOfLink("./guide-clusters.md#on-a-cluster"), 5);
  EXPECT_EQ(GuidePageOfLink("guide-command-line.md"), 4);
  EXPECT_EQ(GuidePageOfLink("session-format.md"), -1);
  EXPECT_EQ(GuidePageOfLink("#h3"), -1);
  EXPECT_EQ(GuidePageOfLink("guide-sweeps.mdx"), -1);
  EXPECT_EQ(GuidePageOfLink(""), -1);
}

}  // namespace
}  // namespace orbitra
