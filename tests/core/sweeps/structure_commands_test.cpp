// SPDX-License-Identifier: GPL-3.0-or-later
// What the periodic-orbits panel reads from its fields, and the model it hands to its pool:
// rotation types and rotation numbers as typed, a user's map with an evaluator of its own
// for the worker threads.

#include <gtest/gtest.h>

#include <cmath>

#include "explorer/selection_dialog_logic.h"
#include "explorer/user_map_commands.h"
#include "maps/mapping_catalogue.h"
#include "maps/user_map_table.h"
#include "support/scenario.h"
#include "sweeps/structure_commands.h"

namespace orbitra {
namespace {

TEST(StructureCommands, RotationTypesAsTyped) {
  const struct {
    const char* text;
    int p, q;
  } good[] = {{"1/3", 1, 3}, {" 2 / 5 ", 2, 5}, {"0/1", 0, 1}, {"3/2", 3, 2}, {"1/100000", 1, 100000}};
  for (const auto& g : good) {
    const std::optional<OrbitType> type = ParseOrbitType(g.text);
    ASSERT_TRUE(type) << g.text;
    EXPECT_EQ(type->p, g.p) << g.text;
    EXPECT_EQ(type->q, g.q) << g.text;
  }
  for (const char* bad : {"", "1", "1/", "/3", "1/0", "-1/3", "1/-3", "1.5/3", "1/3x", "a/b", "1/100001", "1//3"}) {
    EXPECT_FALSE(ParseOrbitType(bad)) << bad;
  }
}

TEST(StructureCommands, CircleRotationNumbersStrictlyBetweenZeroAndOne) {
  EXPECT_EQ(ParseCircleRotation(" 0.6180339887498949 "), 0.6180339887498949);
  EXPECT_EQ(ParseCircleRotation("0.5"), 0.5);
  for (const char* bad : {"0", "1", "-0.2", "1.5", "nan", "inf", "", "golden"}) {
    EXPECT_FALSE(ParseCircleRotation(bad)) << bad;
  }
}

// The explorer's runs and a search on another thread never share a user's evaluator,
// which serves one caller at a time; the copy computes the same map.
TEST(StructureCommands, AUsersMapGetsAnEvaluatorOfItsOwn) {
  testing::Scenario sc;
  OrbitraState& s = sc.State();
  s.UserMaps.Add(*MakeUserMap(UserMapDefinition{"Typed Standard", {}, "x + y", "y + k1*sin(x + y)"}).map);
  ASSERT_TRUE(SelectUserMapByName(s, "Typed Standard"));
  s.Model.k1 = 0.9;
  ASSERT_TRUE(s.Model.userMap);
  const MappingModel copy = AnalysisModelOf(s);
  ASSERT_TRUE(copy.userMap);
  EXPECT_NE(copy.userMap.get(), s.Model.userMap.get());
  const MapImage image = copy.routine(copy, 1.0, 2.0);
  EXPECT_DOUBLE_EQ(image.x, 3.0);
  EXPECT_DOUBLE_EQ(image.y, 2.0 + 0.9 * std::sin(3.0));

  // A built-in map is taken as it is.
  SelectSystemWithDefaults(s.Model, kStandardMap);
  EXPECT_FALSE(AnalysisModelOf(s).userMap);
}

}  // namespace
}  // namespace orbitra
