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

}  // namespace
}  // namespace orbitra
