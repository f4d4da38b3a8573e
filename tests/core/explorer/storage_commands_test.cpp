// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "explorer/orbitra_state.h"
#include "explorer/point_store_commands.h"
#include "storage/point_buffer.h"
#include "storage/stream_reader.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::ScriptedPrompter;
using testing::TempWorkDir;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

struct StoreCommands : ::testing::Test {
  TempWorkDir dir;
  OrbitraState state{dir.Path()};
  ScriptedPrompter prompter;

  void SetUp() override {
    InitialiseRunState(state.Run);
    state.Store.BufferCapacity = 2000;
    ASSERT_TRUE(InitStorage(state.Store, state.WorkDir, prompter));
  }
  // n points of one new trajectory, as a run stores them.
  void StoreTrajectory(int n) {
    state.Store.DTN = 0;
    state.Store.RTN = n;
    for (int i = 0; i < n; ++i) StorePoint(state.Store, i, -i, 1);
  }
  std::uintmax_t StreamSize() const { return std::filesystem::file_size(dir.File("tmpdata.bin")); }
};

TEST_F(StoreCommands, TransferAppendsTheExactRecordsAndReportsThem) {
  StorePoint(state.Store, 0.5, -2.0, 4);
  StorePoint(state.Store, 1.0, 2.0, 0);
  StorePoint(state.Store, -0.25, 3.0, 12);
  state.Store.RTN = 9;
  EXPECT_EQ(StoreBufferInStream(state, prompter), Invalidation::None);
  // Little-endian doubles: 0.5 = 3FE0..., -2 = C000..., 1 = 3FF0..., 2 = 4000...,
  // -0.25 = BFD0..., 3 = 4008...; then the colour byte and seven zeros.
  const std::string expected =
      Bytes({0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 0, 0, 0, 0, 0, 0, 0x00, 0xC0, 4, 0, 0, 0, 0, 0, 0, 0,       //
             0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x00, 0x40, 0, 0, 0, 0, 0, 0, 0, 0,       //
             0, 0, 0, 0, 0, 0, 0xD0, 0xBF, 0, 0, 0, 0, 0, 0, 0x08, 0x40, 12, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(expected.size(), 72u);
  EXPECT_EQ(dir.Read("tmpdata.bin"), expected);
  // A report of success, not a warning.
  EXPECT_EQ(prompter.Information(), std::vector<std::string>{"Transfer of 3  (72 bytes) Ok"});
  EXPECT_EQ(prompter.All().size(), 1u);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(state.Store.Dsk, 3);
  EXPECT_EQ(state.Store.RTN, 9);
  EXPECT_EQ(state.Store.DTN, 3);

  prompter.Clear();
  EXPECT_EQ(StoreBufferInStream(state, prompter), Invalidation::None);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Buffer is empty"});
  EXPECT_EQ(StreamSize(), 72u);

  // The next point goes to slot 0 again and lands after the first three.
  StorePoint(state.Store, 1.0, 2.0, 0);
  EXPECT_EQ(state.Store.Slots[0].x, 1.0);
  EXPECT_TRUE(TransferBufferToStream(state, prompter));
  EXPECT_EQ(dir.Read("tmpdata.bin"), expected + expected.substr(24, 24));
  EXPECT_EQ(state.Store.Dsk, 4);
}

TEST_F(StoreCommands, FailedFileOperationsKeepTheCountsTrue) {
  StoreTrajectory(5);
  std::filesystem::remove(dir.File("tmpdata.bin"));
  std::filesystem::create_directory(dir.File("tmpdata.bin"));
  EXPECT_FALSE(TransferBufferToStream(state, prompter));
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("tmpdata.bin\": Is a directory"), std::string::npos);
  EXPECT_EQ(state.Store.Buf, 5);
  EXPECT_EQ(state.Store.Dsk, 0);

  // A full disk fails only when the data is flushed.
  std::filesystem::remove(dir.File("tmpdata.bin"));
  std::filesystem::create_symlink("/dev/full", dir.File("tmpdata.bin"));
  prompter.Clear();
  EXPECT_EQ(StoreBufferInStream(state, prompter), Invalidation::None);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("No space left on device"), std::string::npos);
  EXPECT_EQ(state.Store.Buf, 5);
  EXPECT_EQ(state.Store.Dsk, 0);

  // A stream that cannot be emptied keeps its count; the buffer is emptied all the same.
  state.Store.Dsk = 6;
  state.WorkDir = dir.File("gone") / "deeper";
  prompter.Clear();
  DeleteAll(state, prompter, true);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("tmpdata.bin\": No such file or directory"), std::string::npos);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(state.Store.Dsk, 6);
}

TEST_F(StoreCommands, TransferOntoACutStreamRemovesOnlyItsIncompleteRecord) {
  // Two whole records and 2 bytes of a third, as a cut or an edit from outside leaves them.
  StoreTrajectory(2);
  ASSERT_TRUE(TransferBufferToStream(state, prompter));
  std::ofstream(dir.File("tmpdata.bin"), std::ios::binary | std::ios::app) << "xy";
  StoreTrajectory(3);
  prompter.Clear();
  EXPECT_TRUE(TransferBufferToStream(state, prompter));
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{"\"" + dir.File("tmpdata.bin").string() +
                                          "\" was 50 bytes long, not a whole number of 24-byte records: its "
                                          "incomplete last record (2 bytes) was removed before the transfer.",
                                      "Transfer of 3  (72 bytes) Ok"}));
  EXPECT_EQ(StreamSize(), 120u);
  EXPECT_EQ(state.Store.Dsk, 5);
  EXPECT_EQ(state.Store.Buf, 0);
  // The new records stand at whole-record offsets and read back as they were stored.
  StoredPoint records[6];
  StreamReader reader(dir.File("tmpdata.bin"));
  ASSERT_EQ(reader.Read(records, 6), 5u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(records[2 + i].x, i);
    EXPECT_EQ(records[2 + i].y, -i);
    EXPECT_EQ(records[2 + i].colour, 1);
  }
}

TEST(StoreTransfer, ByteCountIsRightBeyondNinetyMillionPoints) {
  // 90 million points are 2160000000 bytes, more than a 32-bit count holds. The block is
  // never touched: /dev/null does not read what it is given.
  TempWorkDir dir;
  OrbitraState state(dir.Path());
  state.Store.BufferCapacity = 90000000;
  if (!AllocateBuffer(state.Store)) GTEST_SKIP() << "no address space for 2.2 GB";
  std::filesystem::create_symlink("/dev/null", dir.File("tmpdata.bin"));
  state.Store.Buf = 90000000;
  ScriptedPrompter prompter;
  EXPECT_TRUE(TransferBufferToStream(state, prompter));
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Transfer of 90000000  (2160000000 bytes) Ok"});
  EXPECT_EQ(state.Store.Dsk, 90000000);
}

TEST_F(StoreCommands, DeleteAllAsksOnlyWhenThereIsSomethingToLose) {
  // Nothing stored: no question, nothing changes.
  DeleteAll(state, prompter, false);
  EXPECT_TRUE(prompter.All().empty());

  // One buffered point and an empty stream: deleted without a question.
  StorePoint(state.Store, 1, 1, 0);
  EXPECT_EQ(DeleteAllCommand(state, prompter), Invalidation::WithErase);
  EXPECT_TRUE(prompter.All().empty());
  EXPECT_EQ(state.Store.Buf, 0);

  // Two points: asked; No keeps buffer and stream.
  StoreTrajectory(3);
  ASSERT_TRUE(TransferBufferToStream(state, prompter));
  StoreTrajectory(2);
  prompter.Clear();
  prompter.Script({Answer::No});
  EXPECT_EQ(DeleteAllCommand(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Do you want to delete previous data?"});
  EXPECT_EQ(state.Store.Buf, 2);
  EXPECT_EQ(state.Store.Dsk, 3);
  EXPECT_EQ(StreamSize(), 72u);

  // One buffered point but points in the stream: still asked.
  state.Store.Buf = 1;
  prompter.Script({Answer::Yes});
  DeleteAll(state, prompter, false);
  EXPECT_EQ(prompter.All().size(), 2u);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(state.Store.Dsk, 0);
  EXPECT_EQ(StreamSize(), 0u);

  // Forced: no question however much is stored; the trajectory counters stay.
  StoreTrajectory(4);
  prompter.Clear();
  DeleteAll(state, prompter, true);
  EXPECT_TRUE(prompter.All().empty());
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(state.Store.RTN, 4);
  EXPECT_EQ(state.Store.DTN, 4);
}

TEST_F(StoreCommands, DeleteBufferAndDeleteStreamAskAndTouchOnlyTheirLevel) {
  StoreTrajectory(3);
  ASSERT_TRUE(TransferBufferToStream(state, prompter));
  StoreTrajectory(2);
  prompter.Clear();
  prompter.Script({Answer::No, Answer::Yes, Answer::No, Answer::Yes, Answer::Yes});
  EXPECT_EQ(DeleteBuffer(state, prompter), Invalidation::WithErase);  // repaints after No, too
  EXPECT_EQ(state.Store.Buf, 2);
  DeleteBuffer(state, prompter);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(StreamSize(), 72u);

  StoreTrajectory(2);
  EXPECT_EQ(DeleteStream(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(StreamSize(), 72u);
  DeleteStream(state, prompter);
  EXPECT_EQ(StreamSize(), 0u);
  EXPECT_EQ(state.Store.Dsk, 0);
  EXPECT_EQ(state.Store.Buf, 2);
  DeleteStream(state, prompter);  // asked even when the stream is empty
  EXPECT_EQ(prompter.Texts()[0], "Do you want to delete the data in Buffer?");
  EXPECT_EQ(prompter.Texts()[4], "Do you want to delete the data in Disk-Stream?");
  EXPECT_TRUE(prompter.ScriptUsedUp());
}

TEST_F(StoreCommands, DeleteLastTrajectoryRemovesItsBufferedPointsOnly) {
  StoreTrajectory(500);  // older points
  StoreTrajectory(100);
  state.Store.RTN = 1000;  // an unrestricted run that stored less than it iterated
  EXPECT_EQ(DeleteLastTrajectory(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(state.Store.Buf, 500);
  EXPECT_TRUE(prompter.All().empty());
  EXPECT_EQ(state.Store.RTN, 0);
  EXPECT_EQ(state.Store.DTN, 0);
  DeleteLastTrajectory(state, prompter);  // no current trajectory any more
  EXPECT_EQ(state.Store.Buf, 500);

  // 1000 points of which 400 went to the stream before the command.
  StoreTrajectory(1000);
  state.Store.Buf = 600;
  DeleteLastTrajectory(state, prompter);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(prompter.Messages(),
            std::vector<std::string>{"Part of data copied in disk-stream, complete delete is not possible"});
}

TEST_F(StoreCommands, ToolbarDeleteTakesTheTrajectoryOrTheContinueLength) {
  EXPECT_EQ(DeleteTrajectoryOrPoints(state, prompter), Invalidation::None);  // empty buffer

  StoreTrajectory(1500);
  state.Store.RTN = 0;  // after a plain repaint
  EXPECT_EQ(DeleteTrajectoryOrPoints(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(state.Store.Buf, 500);  // the last "On continue, run for" = 1000 points
  EXPECT_EQ(DeleteTrajectoryOrPoints(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(state.Store.Buf, 0);  // a smaller buffer is emptied silently
  EXPECT_TRUE(prompter.All().empty());

  StoreTrajectory(30);
  StoreTrajectory(20);
  EXPECT_EQ(DeleteTrajectoryOrPoints(state, prompter), Invalidation::WithErase);
  EXPECT_EQ(state.Store.Buf, 30);  // the current trajectory
  EXPECT_EQ(state.Store.RTN, 0);

  // A continue length beyond the int range reads back negative: it removes nothing, and
  // never makes the buffer claim slots that hold no points.
  state.Run.Settings.ContinueIterations = -2147483647 - 1;
  DeleteTrajectoryOrPoints(state, prompter);
  EXPECT_EQ(state.Store.Buf, 30);
}

TEST_F(StoreCommands, ReconstructionAsksWithTwoOrMorePointsAndHonoursEachAnswer) {
  int reads = 0;
  std::optional<std::int32_t> dialogCapacity = 50;
  const auto readDialog = [&] {
    ++reads;
    return dialogCapacity;
  };

  // One point: no question, rebuilt empty with the dialog's capacity.
  StoreTrajectory(1);
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::Rebuilt);
  EXPECT_TRUE(prompter.All().empty());
  EXPECT_EQ(state.Store.BufferCapacity, 50);
  EXPECT_EQ(UsableCapacity(state.Store), 50);
  EXPECT_EQ(state.Store.Buf, 0);

  // Cancel: the dialog is not read, capacity and points stay.
  StoreTrajectory(3);
  prompter.Script({Answer::Cancel});
  dialogCapacity = 70;
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::Cancelled);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{
                                  "Current data in buffer will be lost\n - Do you want to save them in disk-stream?"});
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(state.Store.BufferCapacity, 50);
  EXPECT_EQ(state.Store.Buf, 3);

  // No: dropped without saving.
  prompter.Script({Answer::No});
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::Rebuilt);
  EXPECT_EQ(UsableCapacity(state.Store), 70);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(StreamSize(), 0u);

  // Yes: transferred, and reported once the buffer is rebuilt.
  StoreTrajectory(3);
  prompter.Clear();
  prompter.Script({Answer::Yes});
  dialogCapacity = 1;
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::Rebuilt);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Transfer of 3  (72 bytes) Ok"});
  EXPECT_EQ(state.Store.Dsk, 3);
  EXPECT_EQ(StreamSize(), 72u);
  EXPECT_TRUE(IsBufferFull(state.Store));  // capacity 1: every run ends at once
}

TEST_F(StoreCommands, ReconstructionKeepsPointsItCouldNotSaveAndFailsToCapacityZero) {
  std::optional<std::int32_t> dialogCapacity;  // the dialog's fields did not read back
  const auto readDialog = [&] { return dialogCapacity; };
  StoreTrajectory(4);
  prompter.Script({Answer::No});
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::DialogInvalid);
  EXPECT_EQ(state.Store.Buf, 4);

  std::filesystem::remove(dir.File("tmpdata.bin"));
  std::filesystem::create_directory(dir.File("tmpdata.bin"));
  dialogCapacity = 50;
  prompter.Script({Answer::Yes});
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::SaveFailed);
  EXPECT_EQ(state.Store.Buf, 4);
  EXPECT_EQ(UsableCapacity(state.Store), 2000);

  dialogCapacity = -1;
  prompter.Clear();
  prompter.Script({Answer::No});
  EXPECT_EQ(ReconstructBuffer(state, prompter, readDialog), ReconstructResult::AllocationFailed);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Error: Buffer Reconstruction failure!"});
  EXPECT_EQ(state.Store.Buf, 0);
  StorePoint(state.Store, 1, 1, 0);
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_TRUE(IsBufferFull(state.Store));
  EXPECT_EQ(DeleteTrajectoryOrPoints(state, prompter), Invalidation::None);
}

}  // namespace
}  // namespace orbitra
