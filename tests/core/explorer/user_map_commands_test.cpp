// SPDX-License-Identifier: GPL-3.0-or-later
// The user's maps through the program's commands: kept in "usermaps.txt" from one start
// to the next, chosen and run like built-in maps, refused when faulty, edited, deleted.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "explorer/initial_conditions_logic.h"
#include "explorer/selection_dialog_logic.h"
#include "explorer/startup.h"
#include "explorer/trajectory_engine.h"
#include "explorer/user_map_commands.h"
#include "storage/point_buffer.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;
using testing::ScriptedPrompter;
using testing::TempWorkDir;

// The built-in "Henon D-C Map" typed by the user, with its defaults.
UserMapDefinition TypedHenon(const std::string& name = "My Henon") {
  return UserMapDefinition{name, {}, "1 - k1*x*x + k3*y", "k2*x", 0.95, 1, -1, 0, {-1, 1, -1, 1}};
}

UserMapDefinition Simple(const std::string& name) { return UserMapDefinition{name, {}, "y", "x"}; }

// Picks system t in the selection dialog and confirms it.
void Select(OrbitraState& state, Prompter& prompter, int t) {
  SelectionDialogValues values = PrepareSelectionDialog(state);
  PickSystemInList(values, t - 1);
  ApplySelectionDialog(state, prompter, values);
}

TEST(UserMapCommands, ADamagedFileLoadsWhatItCanAndIsKeptUntilAChangeIsSaved) {
  TempWorkDir dir;
  const std::string damaged = "map A\nx' = y\ny' = x\nend\nmap B\nx' = x\ny' = y\nk1 = one\nend\n"
                              "map C\nx' = x\ny' = y\nend\n\x01\x02";
  dir.Write("usermaps.txt", damaged);
  OrbitraState state(dir.Path());
  ScriptedPrompter prompter;
  StartUp(state, prompter);
  EXPECT_EQ(prompter.Messages(),
            std::vector<std::string>{
                "\"usermaps.txt\", line 8: invalid number \"one\"\nThe maps that could be read are loaded. The file "
                "stays as it is until you save a change to your maps; a copy of it is then kept as "
                "\"usermaps.bak\"."});
  ASSERT_EQ(state.UserMaps.Count(), 2);
  EXPECT_EQ(state.UserMaps.At(1).definition.name, "C");
  EXPECT_EQ(dir.Read("usermaps.txt"), damaged);

  prompter.Clear();
  EXPECT_TRUE(SaveUserMap(state, prompter, std::nullopt, TypedHenon()).saved);
  EXPECT_TRUE(prompter.All().empty());
  EXPECT_EQ(dir.Read("usermaps.bak"), damaged);
  const std::string saved = dir.Read("usermaps.txt");
  EXPECT_NE(saved.find("map A\n"), std::string::npos);
  EXPECT_EQ(saved.find("map B\n"), std::string::npos);
  EXPECT_NE(saved.find("map My Henon\n"), std::string::npos);

  // The next start finds the same maps and nothing to complain about.
  OrbitraState next(dir.Path());
  ScriptedPrompter quiet;
  StartUp(next, quiet);
  EXPECT_TRUE(quiet.All().empty());
  ASSERT_EQ(next.UserMaps.Count(), 3);
  EXPECT_EQ(next.UserMaps.At(2).definition, TypedHenon());
  // What a command-line program does with a map's name.
  EXPECT_FALSE(SelectUserMapByName(next, "my henon"));
  ASSERT_TRUE(SelectUserMapByName(next, "My Henon"));
  EXPECT_EQ(next.Model.system, 13);
  EXPECT_EQ(next.Model.k3, -1.0);
  EXPECT_EQ(next.Boxes.XYBox.Label, "My Henon");
  EXPECT_EQ(next.Boxes.XYBox.GetRange(), (WorldRange{-1, 1, -1, 1}));
  EXPECT_EQ(next.Model.routine(next.Model, 0.5, 0.0).x, 0.7625);
}

TEST(UserMapCommands, SavingRefusesWhatCannotBeAMapAndWritesNothing) {
  Scenario sc;
  OrbitraState& s = sc.State();
  ASSERT_TRUE(SaveUserMap(s, sc.Prompts(), std::nullopt, Simple("A")).saved);
  const std::string before = sc.Dir().Read("usermaps.txt");
  sc.Prompts().Clear();

  struct Case {
    UserMapDefinition definition;
    std::string message;
    MapField field;
    int column;
  };
  UserMapDefinition faulty = Simple("B");
  faulty.helpers = {"t = x", "u = t ^ "};
  UserMapDefinition emptyRange = Simple("B");
  emptyRange.range = {1, 1, 0, 1};
  const std::vector<Case> cases = {
      {Simple("   "), "Please enter a name for the map.", MapField::Name, 0},
      {Simple(" henon d-c MAP "), "\"henon d-c MAP\" is the name of a built-in map. Please choose another name.",
       MapField::Name, 0},
      {Simple("a"), "There is already a map named \"a\". Please choose another name.", MapField::Name, 0},
      {faulty, "helper line 2: the formula ends too early at column 9", MapField::Helpers, 9},
      {emptyRange, "The range needs Xmin < Xmax and Ymin < Ymax.", MapField::Range, 0},
  };
  for (const Case& c : cases) {
    sc.Prompts().Clear();
    const MapSaveOutcome outcome = SaveUserMap(s, sc.Prompts(), std::nullopt, c.definition);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(sc.Prompts().Messages(), std::vector<std::string>{c.message});
    ASSERT_TRUE(outcome.mark.has_value()) << c.message;
    EXPECT_EQ(outcome.mark->field, c.field);
    EXPECT_EQ(outcome.mark->column, c.column);
  }
  EXPECT_EQ(faulty.helpers.size(), 2u);
  EXPECT_EQ(s.UserMaps.Count(), 1);
  EXPECT_EQ(sc.Dir().Read("usermaps.txt"), before);

  // Renaming a map to its own name in other letters is no clash.
  EXPECT_TRUE(SaveUserMap(s, sc.Prompts(), 0, Simple("a")).saved);
  for (int i = 1; i < kMaxUserMaps; ++i) ASSERT_TRUE(SaveUserMap(s, sc.Prompts(), std::nullopt, Simple("M" + std::to_string(i))).saved);
  sc.Prompts().Clear();
  EXPECT_FALSE(SaveUserMap(s, sc.Prompts(), std::nullopt, Simple("One more")).saved);
  EXPECT_EQ(sc.Prompts().Messages(),
            std::vector<std::string>{"There is room for 21 maps of your own. Delete one to make room."});
}

TEST(UserMapCommands, AUserMapIsChosenAndRunLikeABuiltInOne) {
  Scenario sc;
  OrbitraState& s = sc.State();
  ASSERT_TRUE(SaveUserMap(s, sc.Prompts(), std::nullopt, TypedHenon()).saved);

  SelectionDialogValues values = PrepareSelectionDialog(s);
  const std::vector<std::string> names = SystemListNames(values);
  ASSERT_EQ(names.size(), 11u);
  EXPECT_EQ(names[9], "Wedge map");
  EXPECT_EQ(names[10], "My Henon");
  PickSystemInList(values, 10);
  EXPECT_EQ(values.systemNumber, 11);
  EXPECT_EQ(values.formulaLine1, "x'=1 - k1*x*x + k3*y");
  EXPECT_EQ(values.formulaLine2, "y'=k2*x");
  EXPECT_EQ(values.k1, 0.95);
  sc.Apply(ApplySelectionDialog(s, sc.Prompts(), values));
  EXPECT_EQ(s.Model.system, 11);
  EXPECT_EQ(s.Boxes.XYBox.Label, "My Henon");
  EXPECT_EQ(s.Boxes.XYBox.GetRange(), (WorldRange{-1, 1, -1, 1}));
  EXPECT_EQ(PrepareInitialConditionsDialog(s).systemName, "My Henon");
  EXPECT_EQ(PrepareSelectionDialog(s).formulaLine2, "y'=k2*x");

  // Runs are the shell test's; here, division by zero at run time ends the run as a
  // built-in map's escape does.
  UserMapDefinition pole = TypedHenon();
  pole.xFormula = "1/(x - 0.5)";
  ASSERT_TRUE(SaveUserMap(s, sc.Prompts(), 0, pole).saved);
  sc.Prompts().Clear();
  RequestRunFrom(s, 0.5, 0.0);
  sc.FullRepaint();
  EXPECT_EQ(sc.Prompts().Messages(), std::vector<std::string>{" Escape to Infinity\n or Initials are out of valid range"});
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(s.Run.CurrentPoint.x, 0.5);
}

TEST(UserMapCommands, EditingAndDeletingKeepTheMapInUseRight) {
  Scenario sc;
  OrbitraState& s = sc.State();
  for (const char* name : {"A", "B", "C"}) ASSERT_TRUE(SaveUserMap(s, sc.Prompts(), std::nullopt, Simple(name)).saved);
  Select(s, sc.Prompts(), 13);
  ASSERT_EQ(s.Boxes.XYBox.Label, "C");
  StorePoint(s.Store, 0.1, 0.2, 0);
  StorePoint(s.Store, 0.3, 0.4, 0);

  // The map in use, edited: its new formulas and name apply at once; the points are offered.
  sc.Prompts().Script({Answer::No});
  UserMapDefinition swapped = Simple("C2");
  swapped.xFormula = "x + 1";
  const MapSaveOutcome outcome = SaveUserMap(s, sc.Prompts(), 2, swapped);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(outcome.repaint, Invalidation::WithErase);
  EXPECT_EQ(sc.Prompts().Texts(), std::vector<std::string>{"Do you want to delete previous data?"});
  EXPECT_EQ(s.Store.Buf, 2);
  EXPECT_EQ(s.Boxes.XYBox.Label, "C2");
  EXPECT_EQ(s.Model.routine(s.Model, 2.0, 3.0).x, 3.0);

  sc.Prompts().Clear();
  EXPECT_FALSE(DeleteUserMap(s, sc.Prompts(), 2));
  EXPECT_EQ(sc.Prompts().Messages(),
            std::vector<std::string>{"\"C2\" is the map in use. Select another map before you delete it."});
  sc.Prompts().Clear();
  sc.Prompts().Script({Answer::No, Answer::Yes});
  EXPECT_FALSE(DeleteUserMap(s, sc.Prompts(), 0));
  EXPECT_TRUE(DeleteUserMap(s, sc.Prompts(), 0));
  EXPECT_EQ(sc.Prompts().Texts(), (std::vector<std::string>{"Delete the map \"A\"?", "Delete the map \"A\"?"}));
  EXPECT_EQ(s.UserMaps.Count(), 2);
  EXPECT_EQ(s.Model.system, 12);  // "C2" moved up with the others
  EXPECT_EQ(PrepareSelectionDialog(s).listPosition, 11);
  EXPECT_EQ(sc.Dir().Read("usermaps.txt").find("map A\n"), std::string::npos);
}

}  // namespace
}  // namespace orbitra
