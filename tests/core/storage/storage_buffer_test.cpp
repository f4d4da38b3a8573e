// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "explorer/orbitra_state.h"
#include "explorer/replay.h"
#include "storage/file_io.h"
#include "storage/point_buffer.h"
#include "storage/stream_reader.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::ScriptedPrompter;
using testing::TempWorkDir;

// The raw bytes of one record as the file holds it.
std::string RecordBytes(double x, double y, std::uint8_t colour) {
  std::string bytes(24, '\0');
  std::memcpy(bytes.data(), &x, 8);
  std::memcpy(bytes.data() + 8, &y, 8);
  bytes[16] = static_cast<char>(colour);
  return bytes;
}

// A state in a fresh directory whose X-Y box maps [0, 10] x [0, 10] onto pixels 0..50 of
// a 101 x 101 canvas (5 pixels per unit, y upwards): (2, 3) lands on pixel (10, 35).
struct ReplayFixture : ::testing::Test {
  TempWorkDir dir;
  OrbitraState state{dir.Path()};
  ScriptedPrompter prompter;
  Canvas canvas{101, 101};

  void SetUp() override {
    InitialiseRunState(state.Run);
    state.Store.BufferCapacity = 10;
    ASSERT_TRUE(InitStorage(state.Store, state.WorkDir, prompter));
    PlotBox& box = state.Boxes.XYBox;
    box.RoundScales = 0;
    box.SetRange(0, 0, 10, 10);
    box.SetScreenPercent(0, 0, 50, 50);
    box.SetScreenRect(0, 0, 100, 100);
  }
};

TEST(PointBuffer, StartUpEmptiesTheStreamAndTheCounters) {
  TempWorkDir dir;
  dir.Write("tmpdata.bin", std::string(100, 'x'));
  OrbitraState state(dir.Path());
  state.Store.Buf = 7;
  state.Store.Dsk = 5;
  state.Store.RTN = 3;
  state.Store.DTN = 2;
  ScriptedPrompter prompter;
  EXPECT_TRUE(InitStorage(state.Store, state.WorkDir, prompter));
  EXPECT_TRUE(std::filesystem::exists(dir.File("tmpdata.bin")));
  EXPECT_EQ(std::filesystem::file_size(dir.File("tmpdata.bin")), 0u);
  EXPECT_EQ(UsableCapacity(state.Store), kDefaultBufferCapacity);
  EXPECT_EQ(state.Store.Buf + state.Store.Dsk + state.Store.RTN + state.Store.DTN, 0);
  EXPECT_TRUE(prompter.All().empty());
}

TEST(PointBuffer, StartUpInAnUnwritableDirectoryReportsTheStream) {
  TempWorkDir dir;
  dir.Write("plain-file", "");
  OrbitraState state(dir.File("plain-file"));  // a working directory that is a regular file
  ScriptedPrompter prompter;
  EXPECT_FALSE(InitStorage(state.Store, state.WorkDir, prompter));
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_NE(prompter.Messages()[0].find("tmpdata.bin"), std::string::npos);
  EXPECT_NE(prompter.Messages()[0].find("Not a directory"), std::string::npos);
}

TEST(WorkFolder, ARemovedCurrentFolderIsReportedNotThrown) {
  const std::filesystem::path home = std::filesystem::current_path();
  TempWorkDir dir;
  std::filesystem::create_directory(dir.File("gone"));
  std::filesystem::current_path(dir.File("gone"));
  std::filesystem::remove(dir.File("gone"));
  const WorkFolder gone = CurrentWorkFolder();
  std::filesystem::current_path(home);
  ASSERT_TRUE(gone.failure.has_value());
  EXPECT_EQ(*gone.failure,
            "The current folder cannot be used: No such file or directory.\n"
            "Orbitra keeps its files in the folder it is started in; start it in a folder that exists.");

  const WorkFolder here = CurrentWorkFolder();
  EXPECT_FALSE(here.failure.has_value());
  EXPECT_EQ(here.path, home);
}

TEST(PointBuffer, StoringStopsAtCapacityAndFullnessComesOneSlotEarlier) {
  PointStore store;
  store.BufferCapacity = 4;
  ASSERT_TRUE(AllocateBuffer(store));
  StorePoint(store, 0.5, -2.0, 4);
  StorePoint(store, 1.0, 2.0, 0);
  EXPECT_FALSE(IsBufferFull(store));  // 2 of 4
  StorePoint(store, 3.0, 3.0, 1);
  EXPECT_TRUE(IsBufferFull(store));  // capacity - 1 points
  EXPECT_EQ(BufferPercent(store), 75);
  StorePoint(store, 4.0, 4.0, 2);
  StorePoint(store, 5.0, 5.0, 3);  // no slot left: taken by nobody
  EXPECT_EQ(store.Buf, 4);
  EXPECT_EQ(store.DTN, 4);
  EXPECT_EQ(store.Slots[0].y, -2.0);
  EXPECT_EQ(store.Slots[0].colour, 4);
  EXPECT_EQ(store.Slots[3].x, 4.0);
  for (std::uint8_t b : store.Slots[0].reserved) EXPECT_EQ(b, 0);

  store.BufferCapacity = 1;  // full from the start, but takes its one point
  ASSERT_TRUE(AllocateBuffer(store));
  EXPECT_TRUE(IsBufferFull(store));
  StorePoint(store, 1.0, 1.0, 0);
  EXPECT_EQ(store.Buf, 1);
}

TEST(PointBuffer, PercentRoundsToNearestAndNeverDividesByZero) {
  PointStore store;
  ASSERT_TRUE(AllocateBuffer(store));  // the default 1000000 slots, untouched
  store.Buf = 500000;
  EXPECT_EQ(BufferPercent(store), 50);
  store.Buf = 4999;  // 0.4999 %
  EXPECT_EQ(BufferPercent(store), 0);
  store.Buf = 5000;  // 0.5 %
  EXPECT_EQ(BufferPercent(store), 1);
  store.BufferCapacity = -5;  // cannot be allocated: behaves as capacity 0
  EXPECT_FALSE(AllocateBuffer(store));
  EXPECT_EQ(BufferPercent(store), 0);
}

TEST_F(ReplayFixture, BufferPointsAreDrawnInTheirColoursOrBlackAndClipped) {
  StorePoint(state.Store, 2.0, 3.0, 4);     // gray, pixel (10, 35)
  StorePoint(state.Store, 10.0, 10.0, 10);  // red, on the upper bounds: pixel (50, 0)
  StorePoint(state.Store, 12.0, 5.0, 0);    // outside the range, would be pixel (60, 25)
  ReplayBuffer(state.Store, state.Boxes.XYBox, state.Run, canvas);
  EXPECT_EQ(canvas.GetPixel(10, 35), Colour::FromRgb(140, 140, 140));
  EXPECT_EQ(canvas.GetPixel(50, 0), Colour::FromRgb(160, 0, 0));
  EXPECT_EQ(canvas.GetPixel(60, 25), kWhite);

  state.Run.Settings.BufferInBlack = 1;
  canvas.Clear();
  ReplayBuffer(state.Store, state.Boxes.XYBox, state.Run, canvas);
  EXPECT_EQ(canvas.GetPixel(10, 35), kBlack);
  EXPECT_EQ(canvas.GetPixel(50, 0), kBlack);
}

TEST_F(ReplayFixture, StreamReplayCountsWholeRecordsOnly) {
  // Two records and two stray bytes: 50 bytes.
  dir.Write("tmpdata.bin", RecordBytes(2.0, 3.0, 4) + RecordBytes(5.0, 5.0, 12) + "zz");
  EXPECT_EQ(ReplayStream(state.WorkDir, state.Boxes.XYBox, state.Run, canvas).records, 2);
  EXPECT_EQ(canvas.GetPixel(10, 35), Colour::FromRgb(140, 140, 140));
  EXPECT_EQ(canvas.GetPixel(25, 25), Colour::FromRgb(240, 0, 0));

  state.Run.Settings.BufferInBlack = 1;
  canvas.Clear();
  EXPECT_EQ(ReplayStream(state.WorkDir, state.Boxes.XYBox, state.Run, canvas).records, 2);
  EXPECT_EQ(canvas.GetPixel(10, 35), kBlack);
  EXPECT_EQ(canvas.GetPixel(25, 25), kBlack);

  std::filesystem::remove(dir.File("tmpdata.bin"));
  EXPECT_EQ(ReplayStream(state.WorkDir, state.Boxes.XYBox, state.Run, canvas).records, 0);
  dir.Write("tmpdata.bin", std::string(23, '\0'));
  EXPECT_EQ(ReplayStream(state.WorkDir, state.Boxes.XYBox, state.Run, canvas).records, 0);
}

TEST_F(ReplayFixture, StreamReplayCrossesReadBlocksWithoutLosingRecords) {
  // Two and a bit blocks of the reader; only the very last record is drawn in red.
  const int records = 2 * static_cast<int>(kStreamBlockRecords) + 5;
  std::string bytes;
  for (int i = 0; i < records - 1; ++i) bytes += RecordBytes(1.0, 1.0, 0);
  bytes += RecordBytes(7.0, 4.0, 10);
  dir.Write("tmpdata.bin", bytes + "partial");
  EXPECT_EQ(ReplayStream(state.WorkDir, state.Boxes.XYBox, state.Run, canvas).records, records);
  EXPECT_EQ(canvas.GetPixel(35, 30), Colour::FromRgb(160, 0, 0));
  EXPECT_EQ(canvas.GetPixel(5, 45), kBlack);
}

}  // namespace
}  // namespace orbitra
