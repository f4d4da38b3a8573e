// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <iterator>
#include <string>

#include "explorer/export_command.h"
#include "explorer/orbitra_state.h"
#include "explorer/point_store_commands.h"
#include "storage/point_buffer.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::ScriptedPrompter;
using testing::TempWorkDir;

std::string RecordBytes(double x, double y) {
  std::string bytes(24, '\0');
  std::memcpy(bytes.data(), &x, 8);
  std::memcpy(bytes.data() + 8, &y, 8);
  return bytes;
}

struct Export : ::testing::Test {
  TempWorkDir dir;
  OrbitraState state{dir.Path()};
  ScriptedPrompter prompter;

  void SetUp() override {
    InitialiseRunState(state.Run);
    state.Store.BufferCapacity = 1000;
    ASSERT_TRUE(InitStorage(state.Store, state.WorkDir, prompter));
  }
  // The rectangle [-10, 10] x [-10, 10], only the buffer, normal precision.
  static ExportDialogValues Values(std::string fileName) {
    ExportDialogValues v;
    v.fileName = std::move(fileName);
    v.xLower = v.yLower = -10;
    v.xUpper = v.yUpper = 10;
    return v;
  }
  // Files of the directory other than the program's own.
  std::vector<std::string> ExportFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
      const std::string name = e.path().filename().string();
      if (name != "tmpdata.bin") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Export, LinesInBothPrecisions) {
  StorePoint(state.Store, 0.5, -1.25, 3);
  ExportDialogValues v = Values("normal.dat");
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 1);
  EXPECT_EQ(dir.Read("normal.dat"), "0.500000 -1.250000\n");
  v.fileName = "high.dat";
  v.highAccuracy = true;
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 1);
  // 14 characters wide at least: the first is exactly 14, the second 15, no padding.
  EXPECT_EQ(dir.Read("high.dat"), "0.500000000000 -1.250000000000\n");

  EXPECT_TRUE(prompter.All().empty());
}

TEST_F(Export, CommandReportsCountAndTruncatedKiloBytes) {
  for (int i = 0; i < 250; ++i) StorePoint(state.Store, i * 0.01, 0, 0);
  ExportDialogValues v = Values("a.dat");
  ApplyExportDialog(state, prompter, v);
  v.fileName = "b.dat";
  v.highAccuracy = true;
  ApplyExportDialog(state, prompter, v);
  EXPECT_EQ(prompter.Information(), (std::vector<std::string>{"250 points exported (about 5 KBytes)",
                                                             "250 points exported (about 7 KBytes)"}));
  // 100 points at 0.03 are exactly 3 KBytes, not 2.
  state.Store.Buf = 100;
  v.fileName = "c.dat";
  prompter.Clear();
  ApplyExportDialog(state, prompter, v);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"100 points exported (about 3 KBytes)"});

  // Nothing chosen: the file is still made, empty.
  v = Values("none.dat");
  v.memoryBuffer = false;
  prompter.Clear();
  ApplyExportDialog(state, prompter, v);
  EXPECT_TRUE(std::filesystem::exists(dir.File("none.dat")));
  EXPECT_EQ(dir.Read("none.dat"), "");
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"0 points exported (about 0 KBytes)"});
}

TEST_F(Export, ChoosesBufferSlotsStreamRecordsAndTheRectangle) {
  for (int i = 0; i < 500; ++i) StorePoint(state.Store, 1, 1, 0);  // older trajectories
  state.Store.DTN = 0;
  for (int i = 0; i < 100; ++i) StorePoint(state.Store, 2, i * 0.01, 0);  // the last one
  state.Store.RTN = 300;  // more iterations than stored points must not widen the choice
  ExportDialogValues v = Values("last.dat");
  v.memoryBuffer = false;
  v.lastTrajectory = true;
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 100);
  const std::string last = dir.Read("last.dat");
  EXPECT_EQ(last.substr(0, 18), "2.000000 0.000000\n");
  EXPECT_EQ(last.substr(last.size() - 18), "2.000000 0.990000\n");

  v.memoryBuffer = true;  // wins: the whole buffer, once
  v.fileName = "both.dat";
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 600);
}

TEST_F(Export, BoundsAreIncludedForBufferAndStreamAlike) {
  state.Store.Buf = 0;
  StorePoint(state.Store, 10, -10, 0);   // on the bounds
  StorePoint(state.Store, 10.5, 0, 0);  // outside
  dir.Write("tmpdata.bin", RecordBytes(10, 10) + RecordBytes(-10, 3) + RecordBytes(0, 10.001) + "xyz");
  state.Store.Dsk = 3;
  ExportDialogValues v = Values("bounds.dat");
  v.diskStream = true;
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 3);
  EXPECT_EQ(dir.Read("bounds.dat"),
            "10.000000 -10.000000\n"     // buffer first
            "10.000000 10.000000\n"      // then the stream in file order
            "-10.000000 3.000000\n");

  // With Dsk 0 the file is not read, whatever it holds.
  state.Store.Dsk = 0;
  v.fileName = "nostream.dat";
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 1);
}

TEST_F(Export, DecliningToOverwriteLeavesTheFileAlone) {
  StorePoint(state.Store, 1, 1, 0);
  dir.Write("keep.dat", "precious\n");
  prompter.Script({Answer::No});
  ApplyExportDialog(state, prompter, Values("keep.dat"));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"File keep.dat exists. Overwrite?"});
  EXPECT_EQ(dir.Read("keep.dat"), "precious\n");

  prompter.Clear();
  prompter.Script({Answer::Yes});
  ApplyExportDialog(state, prompter, Values("keep.dat"));
  EXPECT_EQ(dir.Read("keep.dat"), "1.000000 1.000000\n");
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"1 points exported (about 0 KBytes)"});
  EXPECT_EQ(ExportFiles(), std::vector<std::string>{"keep.dat"});  // no temporary left
}

TEST_F(Export, OverwritingKeepsLinksPermissionsAndOtherNames) {
  namespace fs = std::filesystem;
  StorePoint(state.Store, 1, 1, 0);
  const std::string written = "1.000000 1.000000\n";
  const auto overwrite = [&](const std::string& name) {
    prompter.Script({Answer::Yes});
    EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, Values(name)), 1) << name;
  };

  // A symbolic link is written through; the file behind it keeps its permissions.
  fs::create_directory(dir.File("real"));
  dir.Write("real/points.dat", "old\n");
  fs::permissions(dir.File("real/points.dat"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real/points.dat", dir.File("link.dat"));
  overwrite("link.dat");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.dat")));
  EXPECT_EQ(dir.Read("real/points.dat"), written);
  EXPECT_EQ(fs::status(dir.File("real/points.dat")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // A file with a second name is written in place, so both names see the new points.
  dir.Write("hard.dat", "old\n");
  fs::create_hard_link(dir.File("hard.dat"), dir.File("twin.dat"));
  overwrite("hard.dat");
  EXPECT_EQ(dir.Read("twin.dat"), written);

  // A name too long for a temporary file beside it: written in place as well.
  const std::string longName = std::string(250, 'n') + ".dat";
  dir.Write(longName, std::string(100, 'o'));
  overwrite(longName);
  EXPECT_EQ(dir.Read(longName), written);

  // A writable file in a folder that takes no new file (only without the privileges
  // that ignore it).
  fs::permissions(dir.File("real"), fs::perms::owner_read | fs::perms::owner_exec);
  if (::geteuid() != 0) {
    dir.Write("real/points.dat", "");
    overwrite("link.dat");
    EXPECT_EQ(dir.Read("real/points.dat"), written);
  }
  fs::permissions(dir.File("real"), fs::perms::owner_all);
  // No temporary file is left anywhere.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("real")), fs::directory_iterator()), 1);
  EXPECT_EQ(ExportFiles(), (std::vector<std::string>{"hard.dat", "link.dat", longName, "real", "twin.dat"}));
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{});
}

TEST_F(Export, FailuresAreReportedAndNeverCountedOrHalfWritten) {
  StorePoint(state.Store, 1, 1, 0);
  // A folder that does not exist.
  ApplyExportDialog(state, prompter, Values("missing/out.dat"));
  ASSERT_EQ(prompter.Messages().size(), 1u);
  const std::string message = prompter.Messages()[0];
  EXPECT_NE(message.find("out.dat\": No such file or directory"), std::string::npos);
  EXPECT_NE(message.find("Nothing was exported."), std::string::npos);

  // The stream has vanished while Dsk still counts it: the buffer's points are exported
  // all the same, and the message says what is missing.
  dir.Write("old.dat", "old\n");
  std::filesystem::remove(dir.File("tmpdata.bin"));
  state.Store.Dsk = 4;
  ExportDialogValues v = Values("old.dat");
  v.diskStream = true;
  prompter.Clear();
  prompter.Script({Answer::Yes});
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 1);
  const std::string stream = dir.File("tmpdata.bin").string();
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Cannot read \"" + stream +
                                                          "\": No such file or directory\n"
                                                          "The points of the disk stream are not in the export."});
  EXPECT_EQ(dir.Read("old.dat"), "1.000000 1.000000\n");
  EXPECT_EQ(ExportFiles(), std::vector<std::string>{"old.dat"});

  // A stream that is there but cannot be read to its end: the same.
  std::filesystem::create_directory(dir.File("tmpdata.bin"));
  prompter.Clear();
  prompter.Script({Answer::Yes});
  EXPECT_EQ(ExportPoints(state.Store, state.WorkDir, prompter, v), 1);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Cannot read \"" + stream +
                                                          "\": Is a directory\nOnly the points of the disk stream "
                                                          "read before the failure are in the export."});
  EXPECT_EQ(dir.Read("old.dat"), "1.000000 1.000000\n");
}

TEST_F(Export, DialogOpensWithRememberedChoicesAndTheCurrentRange) {
  state.Boxes.XYBox.RoundScales = 0;
  state.Boxes.XYBox.SetRange(-1, -2, 3, 4);
  ExportDialogValues v = PrepareExportDialog(state);
  EXPECT_EQ(v.fileName, "test.dat");
  EXPECT_TRUE(v.memoryBuffer && !v.diskStream && !v.lastTrajectory && !v.highAccuracy);
  EXPECT_EQ(std::tuple(v.xLower, v.xUpper, v.yLower, v.yUpper), std::tuple(-1.0, 3.0, -2.0, 4.0));

  v.memoryBuffer = false;
  v.diskStream = v.lastTrajectory = v.highAccuracy = true;
  v.fileName = "run7.dat";
  v.xLower = -100;
  ApplyExportDialog(state, prompter, v);
  const ExportDialogValues again = PrepareExportDialog(state);
  EXPECT_TRUE(!again.memoryBuffer && again.diskStream && again.lastTrajectory && again.highAccuracy);
  EXPECT_EQ(again.fileName, "run7.dat");
  EXPECT_EQ(again.xLower, -1);  // the rectangle is refilled every time
}

TEST(ExportFileName, ExtensionComesFromTheFileNameOnly) {
  const StemAndExtension a = SplitExtension("/home/u/data.txt");
  EXPECT_EQ(a.stem, "/home/u/data");
  EXPECT_EQ(a.extension, "txt");
  const StemAndExtension b = SplitExtension("/home/u/run.v2/points");
  EXPECT_EQ(b.stem, "/home/u/run.v2/points");
  EXPECT_EQ(b.extension, "");
  EXPECT_EQ(SplitExtension("archive.tar.gz").stem, "archive.tar");
  EXPECT_EQ(SplitExtension("name.").stem, "name");
  EXPECT_EQ(SplitExtension("/home/u/.profile").stem, "/home/u/.profile");

  EXPECT_EQ(BrowseResultToFileName("/home/u/data.txt"), "/home/u/data.dat");
  EXPECT_EQ(BrowseResultToFileName("/home/u/run.v2/points"), "/home/u/run.v2/points.dat");
  EXPECT_EQ(BrowseResultToFileName("/home/u/Ünïcode.dat"), "/home/u/Ünïcode.dat");
}

}  // namespace
}  // namespace orbitra
