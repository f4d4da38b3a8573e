// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "explorer/group_commands.h"
#include "explorer/orbitra_state.h"
#include "maps/mapping_catalogue.h"
#include "storage/group_file.h"
#include "storage/point_buffer.h"
#include "storage/text_format.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::ScriptedPrompter;
using testing::TempWorkDir;

// Records each opened file with its content at that moment.
class RecordingEditor : public EditorPort {
 public:
  void OpenInEditor(const std::filesystem::path& file) override {
    std::ifstream in(file, std::ios::binary);
    opened.push_back({file, std::string(std::istreambuf_iterator<char>(in), {})});
  }
  std::vector<std::pair<std::filesystem::path, std::string>> opened;
};

struct GroupFiles : ::testing::Test {
  TempWorkDir dir;
  OrbitraState state{dir.Path()};
  ScriptedPrompter prompter;
  RecordingEditor editor;

  void SetUp() override {
    InitialiseRunState(state.Run);
    InitialiseMappingModel(state.Model);
    state.Store.BufferCapacity = 100;
    ASSERT_TRUE(AllocateBuffer(state.Store));
    StartGroupAndNotebookFiles(state, prompter);
  }
  std::vector<GroupLine> ReadAll(GroupFileReader::Result& last) {
    GroupFileReader reader(dir.File("icgroup.txt"));
    EXPECT_TRUE(reader.IsOpen());
    std::vector<GroupLine> lines;
    GroupLine line;
    while ((last = reader.Next(line)) == GroupFileReader::Result::Entry) lines.push_back(line);
    return lines;
  }
};

TEST(GroupLineText, FieldsAsTheFileHoldsThem) {
  EXPECT_EQ(FormatGroupLine({0.5, 0.0, 1000, 4, 0}), "0.500000 0.000000 1000 4 0\n");
  EXPECT_EQ(FormatGroupLine({-1.25, 0.1, -7, 255, 1}), "-1.250000 0.100000 -7 255 1\n");
  // A point that six decimals would move gets the decimals it needs.
  EXPECT_EQ(FormatGroupLine({0.6313544770895048, -0.0000005, 0, 0, 0}), "0.6313544770895048 -0.0000005 0 0 0\n");
}

TEST(GroupLineText, EveryInitialPointReadsBackExactly) {
  std::mt19937_64 random(10);
  std::uniform_real_distribution<double> plane(-10.0, 10.0);
  for (int i = 0; i < 20000; ++i) {
    // x as a click gives it; y of any magnitude, or one that six decimals hold exactly.
    const double x = plane(random);
    const std::uint64_t bits = random();
    double y = 0.0;
    std::memcpy(&y, &bits, sizeof y);
    const bool sixDecimals = i % 2 == 0 || !std::isfinite(y);
    if (sixDecimals) y = std::round(x * 1e6) / 1e6;
    const std::string text = FormatGroupLine({x, y, 10, 0, 0});
    const std::size_t blank = text.find(' ');
    const std::string yText = text.substr(blank + 1, text.find(' ', blank + 1) - blank - 1);
    double backX = 0.0, backY = 0.0;
    ASSERT_TRUE(ParseDouble(text.substr(0, blank), backX)) << text;
    ASSERT_TRUE(ParseDouble(yText, backY)) << text;
    EXPECT_EQ(backX, x) << text;
    EXPECT_EQ(backY, y) << text;
    if (sixDecimals) EXPECT_EQ(yText.size() - yText.find('.'), 7u) << text;
  }
}

TEST_F(GroupFiles, StartUpEmptiesTheGroupAndKeepsTheNotebook) {
  dir.Write("icgroup.txt", "0.1 0.2 10 1 0\n");
  dir.Write("usercomments.txt", "earlier notes\n");
  state.Group.GroupEmpty = false;
  StartGroupAndNotebookFiles(state, prompter);
  EXPECT_EQ(dir.Read("icgroup.txt"), "");
  EXPECT_TRUE(std::filesystem::exists(dir.File("icgroup.txt")));
  EXPECT_EQ(dir.Read("usercomments.txt"), "earlier notes\n");
  EXPECT_TRUE(state.Group.GroupEmpty);
  EXPECT_EQ(RunTrajectoryGroup(state, prompter), Invalidation::None);  // nothing asked
  EXPECT_TRUE(prompter.All().empty());

  std::filesystem::remove(dir.File("usercomments.txt"));
  StartGroupAndNotebookFiles(state, prompter);
  EXPECT_TRUE(std::filesystem::exists(dir.File("usercomments.txt")));
}

TEST_F(GroupFiles, AddedTrajectoriesAreCountedAndReadBack) {
  state.Run.InitialPoint.x = 0.5;
  state.Run.InitialPoint.y = -0.25;
  state.Run.RunColour = 4;
  state.Store.RTN = 1500;  // run 1000, then continued for 500
  AddTrajectory(state, prompter);
  state.Store.RTN = 0;  // never run since the last plain repaint: the setting counts
  state.Run.Settings.Iterations = 800;
  state.Run.Settings.RestrictToBox = 1;
  state.Run.RunColour = 12;
  AddTrajectory(state, prompter);
  AddTrajectory(state, prompter);
  EXPECT_EQ(prompter.Information(), (std::vector<std::string>{"Group contains 1 trajectories",
                                                             "Group contains 2 trajectories",
                                                             "Group contains 3 trajectories"}));
  EXPECT_FALSE(state.Group.GroupEmpty);
  EXPECT_EQ(dir.Read("icgroup.txt"),
            "0.500000 -0.250000 1500 4 0\n0.500000 -0.250000 800 12 1\n0.500000 -0.250000 800 12 1\n");

  GroupFileReader::Result last{};
  const std::vector<GroupLine> lines = ReadAll(last);
  EXPECT_EQ(last, GroupFileReader::Result::End);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::tuple(lines[0].X0, lines[0].Y0, lines[0].iterations, lines[0].colour, lines[0].restricted),
            std::tuple(0.5, -0.25, 1500, 4, 0));
  EXPECT_EQ(std::tuple(lines[1].iterations, lines[1].colour, lines[1].restricted), std::tuple(800, 12, 1));

  ClearGroup(state, prompter);
  EXPECT_EQ(dir.Read("icgroup.txt"), "");
  EXPECT_TRUE(state.Group.GroupEmpty);
  prompter.Clear();
  AddTrajectory(state, prompter);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Group contains 1 trajectories"});
}

TEST_F(GroupFiles, ReaderTakesFiveFieldsAtATimeAndFlagsBrokenEntries) {
  GroupFileReader::Result last{};
  // Blank lines, extra blanks, tabs, CR LF line ends, a '+' sign and no final line break.
  dir.Write("icgroup.txt", "\n  0.5   0 10 1 0\r\n\n\t+1e-1 -2\n 20 3 1");
  std::vector<GroupLine> lines = ReadAll(last);
  EXPECT_EQ(last, GroupFileReader::Result::End);
  ASSERT_EQ(lines.size(), 2u);  // the final entry runs without its line break
  EXPECT_EQ(std::tuple(lines[1].X0, lines[1].Y0, lines[1].iterations, lines[1].colour, lines[1].restricted),
            std::tuple(0.1, -2.0, 20, 3, 1));

  const std::vector<std::pair<std::string, std::size_t>> broken = {
      {"0.5 0 10 1 0\n0.5 0 10 1\n", 1},              // four fields, then the end
      {"0.5 0 10 1 0\nzero 0 10 1 0\n", 1},           // a word for a number
      {"0.5 0 10.5 1 0\n", 0},                        // a fraction for an int
      {"0.5 0 99999999999 1 0\n", 0},                 // an int out of range
      {"0.5 0 10 1 0\n0.5 0,5 10 1 0\n0.5 0 1 1 0\n", 1},  // a comma for a point
      // No number the dialogs would take: such an entry would store invisible points.
      {"0.5 0 10 1 0\nnan 0 100 1 0\n", 1},
      {"0.5 -inf 100 1 0\n", 0},
      {"0.5 0 10 1 0\n0.5 0 10 1 0\n+Infinity 0 100 1 0\n", 2},
      {"1e999 0 100 1 0\n", 0},
  };
  for (const auto& [text, good] : broken) {
    dir.Write("icgroup.txt", text);
    lines = ReadAll(last);
    EXPECT_EQ(last, GroupFileReader::Result::FormatError) << text;
    EXPECT_EQ(lines.size(), good) << text;
  }

  dir.Write("icgroup.txt", " \n\n");
  EXPECT_TRUE(ReadAll(last).empty());
  EXPECT_EQ(last, GroupFileReader::Result::End);
  std::filesystem::remove(dir.File("icgroup.txt"));
  EXPECT_FALSE(GroupFileReader(dir.File("icgroup.txt")).IsOpen());
}

TEST_F(GroupFiles, RunGroupCommandAsksThenRequestsTheGroupRun) {
  AddTrajectory(state, prompter);
  for (int i = 0; i < 3; ++i) StorePoint(state.Store, i, i, 0);
  state.Run.Settings.StoreInBuffer = 0;
  prompter.Clear();

  prompter.Script({Answer::No});
  EXPECT_EQ(RunTrajectoryGroup(state, prompter), Invalidation::None);
  EXPECT_EQ(state.Run.Requests.GroupPending, 0);
  EXPECT_EQ(state.Store.Buf, 3);

  // Yes to the group, No to deleting: the points stay and the group still runs.
  prompter.Script({Answer::Yes, Answer::No});
  EXPECT_EQ(RunTrajectoryGroup(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{"Previous data will be deleted, proceed?",
                                                       "Previous data will be deleted, proceed?",
                                                       "Do you want to delete previous data?"}));
  EXPECT_EQ(state.Store.Buf, 3);
  EXPECT_EQ(state.Run.Requests.GroupPending, 1);
  EXPECT_EQ(state.Run.Requests.RunPending, 1);
  EXPECT_EQ(state.Run.Settings.StoreInBuffer, 1);
}

TEST_F(GroupFiles, NotebookGetsTwoLinesBeforeTheEditorOpens) {
  dir.Write("usercomments.txt", "notes\n");
  state.Model.k1 = 0.971635;
  state.Model.k2 = 0;
  state.Model.k3 = -2.5;
  state.Model.k4 = 99;  // not written
  state.Run.InitialPoint.x = 0.5;
  state.Run.InitialPoint.y = -1.25;
  NotebookAddAndEdit(state, prompter, editor);
  const std::string expected =
      "notes\nStandard Map  k1=0.971635 k2=0.000000 k3=-2.500000\nx=0.500000000000  y=-1.250000000000 \n";
  ASSERT_EQ(editor.opened.size(), 1u);
  EXPECT_EQ(editor.opened[0].first, dir.File("usercomments.txt"));
  EXPECT_EQ(editor.opened[0].second, expected);
  EXPECT_TRUE(prompter.All().empty());

  NotebookEdit(state, editor);
  EditGroup(state, editor);
  ASSERT_EQ(editor.opened.size(), 3u);
  EXPECT_EQ(editor.opened[1].first, dir.File("usercomments.txt"));
  EXPECT_EQ(editor.opened[2].first, dir.File("icgroup.txt"));
  EXPECT_EQ(dir.Read("usercomments.txt"), expected);
}

TEST_F(GroupFiles, UnwritableDirectoryIsReportedAndCountsStayTrue) {
  dir.Write("plain-file", "");
  state.WorkDir = dir.File("plain-file");  // a working directory that is a regular file
  StartGroupAndNotebookFiles(state, prompter);
  ASSERT_EQ(prompter.Messages().size(), 2u);
  EXPECT_NE(prompter.Messages()[0].find("icgroup.txt\": Not a directory"), std::string::npos);
  EXPECT_NE(prompter.Messages()[1].find("usercomments.txt\": Not a directory"), std::string::npos);

  prompter.Clear();
  AddTrajectory(state, prompter);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("icgroup.txt"), std::string::npos);
  EXPECT_EQ(state.Group.GroupCount, 0);
  EXPECT_TRUE(state.Group.GroupEmpty);

  prompter.Clear();
  NotebookAddAndEdit(state, prompter, editor);
  EXPECT_EQ(prompter.Messages().size(), 1u);
  EXPECT_TRUE(editor.opened.empty());
}

}  // namespace
}  // namespace orbitra
