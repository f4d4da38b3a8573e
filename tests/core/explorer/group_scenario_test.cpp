// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "explorer/group_commands.h"
#include "explorer/run_commands.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

TEST(GroupScenario, ThreeEntriesRunWithTheirColoursAndRestriction) {
  Scenario sc;
  OrbitraState& s = sc.State();
  // Three trajectories, each added after its run, in colours 4, 7 and 12.
  const double starts[3][2] = {{0.5, 0.0}, {1.0, 2.0}, {3.0, 1.0}};
  const int colours[3] = {4, 7, 12};
  for (int k = 0; k < 3; ++k) {
    s.Run.InitialPoint.x = starts[k][0];
    s.Run.InitialPoint.y = starts[k][1];
    s.Run.RunColour = static_cast<std::uint8_t>(colours[k]);
    s.Run.Settings.Iterations = 100 * (k + 1);
    s.Run.Settings.RestrictToBox = k == 2 ? 1 : 0;
    sc.Apply(StartRun(s));
    AddTrajectory(s, sc.Prompts());
  }
  EXPECT_EQ(sc.Prompts().Messages().back(), "Group contains 3 trajectories");
  s.Run.Settings.DisplayMode = 1;
  s.Run.Settings.StoreInBuffer = 0;
  s.Run.Settings.ShowBufferPoints = 0;

  sc.Prompts().Script({Answer::Yes, Answer::Yes});  // proceed; delete previous data
  sc.Prompts().Clear();
  sc.Apply(RunTrajectoryGroup(s, sc.Prompts()));

  EXPECT_EQ(s.Run.Settings.DisplayMode, 0);
  EXPECT_EQ(s.Run.Settings.StoreInBuffer, 1);
  EXPECT_EQ(s.Run.Settings.ShowBufferPoints, 1);
  EXPECT_EQ(s.Run.Settings.RestrictToBox, 1);  // the last entry's
  EXPECT_EQ(s.Run.RunColour, 12);
  EXPECT_EQ(s.Run.Requests.GroupPending, 0);
  // Counters are not reset between entries: the whole group's totals, not counting the
  // trajectory that was current before the group.
  EXPECT_EQ(s.Store.RTN, 600);
  EXPECT_EQ(s.Store.DTN, 600);
  ASSERT_GE(s.Store.Buf, 300);
  EXPECT_EQ(s.Store.Slots[0].colour, 4);
  EXPECT_EQ(s.Store.Slots[100].colour, 7);
  EXPECT_EQ(s.Store.Slots[300].colour, 12);
  // The first entry's first point is drawn again in its colour.
  EXPECT_EQ(sc.At(sc.XYPixel(0.5, 0.0)), Colour::FromRgb(140, 140, 140));
}

TEST(GroupScenario, AGroupThatFillsTheBufferStopsBeforeTheNextEntry) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 600000;
  AddTrajectory(s, sc.Prompts());
  s.Run.InitialPoint.x = 1.0;
  AddTrajectory(s, sc.Prompts());
  s.Run.InitialPoint.x = 2.0;
  AddTrajectory(s, sc.Prompts());
  s.Run.Settings.InfoEvery = 100000;
  sc.Prompts().Clear();
  sc.Prompts().Script({Answer::Yes});
  sc.Apply(RunTrajectoryGroup(s, sc.Prompts()));
  // The second entry fills the buffer; the third is not started.
  EXPECT_EQ(sc.Prompts().Messages(), (std::vector<std::string>{"Buffer is Full"}));
  EXPECT_EQ(s.Store.Buf, 999999);
  EXPECT_EQ(s.Store.RTN, 999999);
}

TEST(GroupScenario, MissingGroupFileIsReported) {
  Scenario sc;
  OrbitraState& s = sc.State();
  AddTrajectory(s, sc.Prompts());
  std::filesystem::remove(sc.Dir().File("icgroup.txt"));
  sc.Prompts().Clear();
  sc.Prompts().Script({Answer::Yes});
  sc.Apply(RunTrajectoryGroup(s, sc.Prompts()));
  EXPECT_EQ(sc.Prompts().Messages(), (std::vector<std::string>{"Group file is not found!"}));
  EXPECT_TRUE(s.Group.GroupEmpty);
}

}  // namespace
}  // namespace orbitra
