// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "explorer/box_commands.h"
#include "explorer/group_commands.h"
#include "explorer/initial_conditions_logic.h"
#include "explorer/point_store_commands.h"
#include "explorer/run_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/mapping_catalogue.h"
#include "sessions/session_commands.h"
#include "sessions/session_state.h"
#include "storage/session_file.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

bool SamePictures(const Canvas& a, const Canvas& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Bits(), b.Bits(), sizeof(Canvas::Pixel) * a.Width() * a.Height()) == 0;
}

// A run from (x, y) with colour index `colour`, as "Initial Conditions" with its run box does.
void RunFrom(Scenario& s, double x, double y, int colour, int iterations) {
  InitialConditionsValues v = PrepareInitialConditionsDialog(s.State());
  v.x0 = x;
  v.y0 = y;
  v.colourIndex = colour;
  v.iterations = iterations;
  v.runOnOk = 1;
  s.Apply(ApplyInitialConditionsDialog(s.State(), v));
}

// Henon's map in a box whose x and y ranges differ, the evolution boxes on, points in the
// stream and the buffer, two group lines, and a trajectory that may be carried on.
void BuildSession(Scenario& s, const UserMapDefinition* typed = nullptr) {
  OrbitraState& state = s.State();
  if (typed != nullptr) {
    ASSERT_TRUE(SaveUserMap(state, s.Prompts(), std::nullopt, *typed).saved);
    ASSERT_TRUE(SelectUserMapByName(state, typed->name));
  } else {
    SelectSystemWithDefaults(state.Model, 2);
    state.Model.k1 = 1.4;
    state.Model.k2 = 0.3;
    state.Model.k3 = 1.0;
  }
  state.Run.Settings.DisplayMode = 1;
  state.Run.Settings.ShowStreamPoints = 1;
  BoxSettings box = ReadBoxSettings(state.Boxes.XYBox);
  box.Xmin = -1.5;
  box.Xmax = 1.25;
  box.Ymin = -0.45;
  box.Ymax = 0.4;
  ApplyBoxSettings(state.Boxes.XYBox, box);
  RunFrom(s, 0.1, 0.1, 3, 1501);
  AddTrajectory(state, s.Prompts());
  ASSERT_TRUE(TransferBufferToStream(state, s.Prompts()));
  RunFrom(s, -0.2, 0.05, 7, 777);
  AddTrajectory(state, s.Prompts());
  s.FullRepaint();
}

TEST(Session, ReopensToTheSamePictureFilesAndCountersAndCarriesOnAlike) {
  Scenario saved;
  BuildSession(saved);
  const std::filesystem::path file = saved.Dir().File("henon.orbitra.h5");
  ASSERT_TRUE(SaveSession(saved.State(), saved.Prompts(), file));

  Scenario opened;
  RunFrom(opened, 0.3, 0.3, 1, 50);  // something to be replaced
  EXPECT_EQ(OpenSession(opened.State(), opened.Prompts(), file), Invalidation::WithErase);
  opened.Apply(Invalidation::WithErase);
  EXPECT_TRUE(opened.Prompts().All().empty());
  EXPECT_TRUE(SamePictures(saved.Picture(), opened.Picture()));
  EXPECT_EQ(opened.Dir().Read("tmpdata.bin"), saved.Dir().Read("tmpdata.bin"));
  EXPECT_EQ(opened.Dir().Read("icgroup.txt"), saved.Dir().Read("icgroup.txt"));
  const PointStore& a = saved.State().Store;
  const PointStore& b = opened.State().Store;
  // The repaint before saving began a new count of the current trajectory.
  EXPECT_EQ(std::tuple(b.Buf, b.Dsk, b.RTN, b.DTN, b.BufferCapacity), std::tuple(777, 1501, 0, 0, a.BufferCapacity));
  EXPECT_EQ(std::memcmp(a.Slots.get(), b.Slots.get(), sizeof(StoredPoint) * a.Buf), 0);
  EXPECT_EQ(opened.State().Group.GroupCount, 2);

  // "Continue " goes on from the same current point in both.
  saved.Apply(ContinueTrajectory(saved.State()));
  opened.Apply(ContinueTrajectory(opened.State()));
  EXPECT_TRUE(SamePictures(saved.Picture(), opened.Picture()));
  EXPECT_EQ(std::tuple(b.Buf, b.RTN, b.DTN), std::tuple(a.Buf, a.RTN, a.DTN));
  EXPECT_EQ(b.Buf, 777 + 1000);
}

TEST(Session, RefusalsNameTheFileAndReasonAndLeaveEverythingAsItWas) {
  Scenario source;
  BuildSession(source);
  const std::filesystem::path good = source.Dir().File("good.orbitra.h5");
  ASSERT_TRUE(SaveSession(source.State(), source.Prompts(), good));
  const std::string bytes = source.Dir().Read("good.orbitra.h5");

  const PointStore& store = source.State().Store;
  const SessionPoints points{std::span<const StoredPoint>(store.Slots.get(), static_cast<std::size_t>(store.Buf)),
                             source.Dir().File("tmpdata.bin"), store.Dsk};
  const auto plant = [&](const std::string& name, SessionAttributes root) {
    SessionContent content = GatherSession(source.State(), {});
    content.groups[""] = std::move(root);
    EXPECT_FALSE(WriteSessionFile(source.Dir().File(name), content, points));
    return source.Dir().File(name);
  };
  source.Dir().Write("truncated.orbitra.h5", bytes.substr(0, bytes.size() / 2));
  source.Dir().Write("notes.orbitra.h5", "x y\n0.1 0.2\n");
  SessionContent lacking = GatherSession(source.State(), {});
  lacking.groups["store"].erase("dtn");
  ASSERT_FALSE(WriteSessionFile(source.Dir().File("lacking.orbitra.h5"), lacking, points));
  SessionContent miscounted = GatherSession(source.State(), {});
  miscounted.groups["store"]["dsk"] = std::int64_t{1500};
  ASSERT_FALSE(WriteSessionFile(source.Dir().File("miscounted.orbitra.h5"), miscounted, points));

  // Values no window can have, each in a session otherwise whole.
  const auto unusable = [&](const std::string& name, const std::string& group, const std::string& attribute,
                            double value) {
    SessionContent content = GatherSession(source.State(), {});
    content.groups[group][attribute] = value;
    EXPECT_FALSE(WriteSessionFile(source.Dir().File(name), content, points));
    return source.Dir().File(name);
  };
  const double nan = std::nan("");
  const struct {
    std::filesystem::path file;
    std::string reason;
  } cases[] = {
      {unusable("nan-range.orbitra.h5", "boxes/xy", "xmin", nan), "it is damaged (\"boxes/xy\" has no usable range)"},
      {unusable("reversed.orbitra.h5", "boxes/xy", "ymax", -0.5), "it is damaged (\"boxes/xy\" has no usable range)"},
      {unusable("infinite.orbitra.h5", "boxes/g", "xmax", HUGE_VAL), "it is damaged (\"boxes/g\" has no usable range)"},
      {unusable("zero-infinity.orbitra.h5", "run/settings", "infinity_value", 0.0),
       "it is damaged (\"run/settings/infinity_value\" is not a positive number)"},
      {unusable("nan-infinity.orbitra.h5", "run/settings", "infinity_value", nan),
       "it is damaged (\"run/settings/infinity_value\" is not a positive number)"},
      {unusable("nan-current.orbitra.h5", "run", "current_y", nan), "it is damaged (a point of \"run\" is not a number)"},
      {source.Dir().File("missing.orbitra.h5"), "No such file or directory"},
      {source.Dir().File("truncated.orbitra.h5"), "it is damaged or incomplete"},
      {source.Dir().File("notes.orbitra.h5"), "it is not an Orbitra session"},
      {plant("foreign.h5", {{"format", std::string("Something else")}}), "it is not an Orbitra session"},
      {plant("newer.orbitra.h5", {{"format_version", std::int64_t{3}}}),
       "it was written by a newer Orbitra (session format 3, this one reads up to 2)"},
      {source.Dir().File("lacking.orbitra.h5"), "it is damaged (\"store/dtn\" is missing)"},
      {source.Dir().File("miscounted.orbitra.h5"), "it is damaged (\"store/dsk\" differs from the stream's points)"},
      {source.Dir().Path(), "it is not an Orbitra session"},
  };
  Scenario target;
  RunFrom(target, 0.3, 0.3, 1, 50);
  ASSERT_TRUE(TransferBufferToStream(target.State(), target.Prompts()));
  RunFrom(target, 0.2, 0.1, 2, 60);
  target.FullRepaint();
  const std::string stream = target.Dir().Read("tmpdata.bin");
  const std::vector<Canvas::Pixel> picture(target.Picture().Bits(),
                                           target.Picture().Bits() + 800 * 600);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.string());
    const std::size_t before = target.Prompts().Messages().size();
    EXPECT_EQ(OpenSession(target.State(), target.Prompts(), c.file), Invalidation::None);
    ASSERT_EQ(target.Prompts().Messages().size(), before + 1);
    EXPECT_EQ(target.Prompts().Messages().back(),
              "Cannot open the session \"" + c.file.string() + "\": " + c.reason);
  }
  EXPECT_EQ(target.State().Store.Buf, 60);
  EXPECT_EQ(target.State().Store.Dsk, 50);
  EXPECT_EQ(target.State().Model.system, 1);
  EXPECT_EQ(target.Dir().Read("tmpdata.bin"), stream);
  target.FullRepaint();
  EXPECT_TRUE(std::equal(picture.begin(), picture.end(), target.Picture().Bits()));
  // No copy of a refused session's stream is left behind.
  EXPECT_FALSE(std::filesystem::exists(target.Dir().File("tmpdata.bin.session-part")));
}

TEST(Session, AFailedSaveLeavesTheOlderSessionWholeAndNoTemporaryFile) {
  Scenario s;
  BuildSession(s);
  const std::filesystem::path file = s.Dir().File("kept.orbitra.h5");
  ASSERT_TRUE(SaveSession(s.State(), s.Prompts(), file));
  const std::string before = s.Dir().Read("kept.orbitra.h5");
  // A new session is readable by others as any new file is (not private as a temporary one).
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(SaveSession(s.State(), s.Prompts(), s.Dir().File("new.orbitra.h5")));
  ::umask(mask);
  EXPECT_EQ(std::filesystem::status(s.Dir().File("new.orbitra.h5")).permissions(),
            std::filesystem::perms(0644));
  // The stream holds fewer points than counted: the copy fails half way.
  s.State().Store.Dsk += 3;
  const std::size_t shown = s.Prompts().Messages().size();
  EXPECT_FALSE(SaveSession(s.State(), s.Prompts(), file));
  ASSERT_EQ(s.Prompts().Messages().size(), shown + 1);
  EXPECT_EQ(s.Prompts().Messages().back(),
            "Cannot read \"" + s.Dir().File("tmpdata.bin").string() + "\": it holds fewer points than counted");
  EXPECT_EQ(s.Dir().Read("kept.orbitra.h5"), before);
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(s.Dir().Path())) {
    files += entry.path().filename().string().starts_with("kept.orbitra.h5") ? 1 : 0;
  }
  EXPECT_EQ(files, 1u);
  // A folder in the way is refused before anything is written.
  std::filesystem::create_directory(s.Dir().File("folder.orbitra.h5"));
  EXPECT_FALSE(SaveSession(s.State(), s.Prompts(), s.Dir().File("folder.orbitra.h5")));
}

TEST(Session, ATypedMapWhoseNameIsTakenAsksAndEachAnswerIsHonoured) {
  const UserMapDefinition henon{"My Henon", {"t = k2*x"}, "1 - k1*x*x + k3*y", "t", 1.4, 0.3, 1, 0,
                                {-1.5, 1.5, -0.5, 0.5}};
  Scenario source;
  BuildSession(source, &henon);
  const std::filesystem::path file = source.Dir().File("typed.orbitra.h5");
  ASSERT_TRUE(SaveSession(source.State(), source.Prompts(), file));

  // The same map under a name differing in case only: used as it is, nothing asked.
  Scenario same;
  UserMapDefinition sameMap = henon;
  sameMap.name = "my henon";
  ASSERT_TRUE(SaveUserMap(same.State(), same.Prompts(), std::nullopt, sameMap).saved);
  EXPECT_EQ(OpenSession(same.State(), same.Prompts(), file), Invalidation::WithErase);
  same.Apply(Invalidation::WithErase);
  EXPECT_TRUE(same.Prompts().All().empty());
  EXPECT_TRUE(SamePictures(source.Picture(), same.Picture()));

  const UserMapDefinition other{"MY HENON", {}, "y", "x"};
  const std::string question =
      "The session's map \"My Henon\" differs from your map of that name.\n\n"
      "Yes: replace your map with the session's.\n"
      "No: keep yours and add the session's as \"My Henon (2)\".\n"
      "Cancel: do not open the session.";
  for (const Answer answer : {Answer::Cancel, Answer::No, Answer::Yes}) {
    Scenario s;
    ASSERT_TRUE(SaveUserMap(s.State(), s.Prompts(), std::nullopt, other).saved);
    s.Prompts().Script({answer});
    const Invalidation result = OpenSession(s.State(), s.Prompts(), file);
    ASSERT_EQ(s.Prompts().Texts().back(), question);
    const UserMapTable& maps = s.State().UserMaps;
    if (answer == Answer::Cancel) {
      EXPECT_EQ(result, Invalidation::None);
      EXPECT_EQ(s.State().Model.system, 1);
      EXPECT_EQ(maps.Count(), 1);
      continue;
    }
    s.Apply(result);
    EXPECT_TRUE(SamePictures(source.Picture(), s.Picture()));
    const std::string kept = s.Dir().Read("usermaps.txt");
    if (answer == Answer::No) {
      ASSERT_EQ(maps.Count(), 2);
      EXPECT_EQ(maps.At(0).definition, other);
      EXPECT_EQ(maps.At(1).definition.name, "My Henon (2)");
      EXPECT_EQ(s.State().Model.system, 12);
      EXPECT_NE(kept.find("map My Henon (2)"), std::string::npos);
    } else {
      ASSERT_EQ(maps.Count(), 1);
      EXPECT_EQ(maps.At(0).definition.name, "MY HENON");  // the user's spelling stays
      EXPECT_EQ(maps.At(0).definition.xFormula, henon.xFormula);
      EXPECT_EQ(s.State().Model.system, 11);
      EXPECT_NE(kept.find("t = k2*x"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace orbitra
