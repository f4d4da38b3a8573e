// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "explorer/mapping_window_logic.h"
#include "explorer/point_store_commands.h"
#include "explorer/run_commands.h"
#include "explorer/trajectory_engine.h"
#include "storage/point_buffer.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

constexpr Colour kRed = Colour::FromRgb(160, 0, 0);

int CountColour(const Canvas& c, Colour colour) {
  int n = 0;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) n += c.GetPixel(x, y) == colour;
  return n;
}

// At start the X-Y box spans columns 240..792 and rows 60..540 for the range [0, 7]^2,
// so pixel (516, 300) is the world point (3.5, 3.5).
TEST(WindowScenario, LeftClickMarksThePointWithoutErasing) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  const int blackBefore = CountColour(sc.Picture(), kBlack);
  sc.Texts().Clear();
  sc.LeftClick(516, 300);
  EXPECT_DOUBLE_EQ(s.Run.MousePoint.x, 3.5);
  EXPECT_DOUBLE_EQ(s.Run.MousePoint.y, 3.5);
  EXPECT_EQ(sc.Texts().TextsEqualTo("xm=3.500000000").size(), 1u);
  EXPECT_EQ(sc.Texts().TextsEqualTo("ym=3.500000000").size(), 1u);
  EXPECT_EQ(sc.Texts().TextsEqualTo("--Mouse--")[0].y, 140);
  // The run's picture stays; a 5 x 5 red square is added.
  EXPECT_EQ(CountColour(sc.Picture(), kRed), 25);
  EXPECT_EQ(sc.Picture().GetPixel(514, 298), kRed);
  EXPECT_EQ(sc.Picture().GetPixel(518, 302), kRed);
  EXPECT_GE(CountColour(sc.Picture(), kBlack), blackBefore - 25);
  EXPECT_EQ(s.Run.Mouse.LeftClickPending, 0);

  // Without bold points only the readout changes.
  s.Run.Settings.BoldPoints = 0;
  sc.LeftClick(240, 540);
  EXPECT_EQ(s.Run.MousePoint.x, 0.0);
  EXPECT_EQ(CountColour(sc.Picture(), kRed), 25);
}

TEST(WindowScenario, ClicksOutsideTheBoxChangeNothing) {
  Scenario sc;
  OrbitraState& s = sc.State();
  const Canvas before = sc.Picture();
  sc.LeftClick(100, 300);  // in the status area
  sc.LeftClick(793, 300);  // one pixel right of the range
  sc.DoubleClick(516, 541);
  sc.RightPress(10, 10);
  EXPECT_EQ(s.Run.MousePoint.x, 0.5);
  EXPECT_EQ(s.Run.Requests.RunPending, 0);
  EXPECT_EQ(s.Run.Mouse.RightPressPending, 0);
  EXPECT_TRUE(std::equal(before.Bits(), before.Bits() + 800 * 600, sc.Picture().Bits()));
}

TEST(WindowScenario, DoubleClickRunsFromTheClickedPoint) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.RunColour = 1;
  sc.DoubleClick(516, 300);
  EXPECT_DOUBLE_EQ(s.Run.InitialPoint.x, 3.5);
  EXPECT_DOUBLE_EQ(s.Run.InitialPoint.y, 3.5);
  EXPECT_EQ(s.Run.MousePoint.x, s.Run.InitialPoint.x);
  EXPECT_EQ(s.Run.InitialPoint.colour, 1);
  EXPECT_EQ(s.Store.RTN, 1000);
  EXPECT_EQ(s.Store.Buf, 1000);
  EXPECT_EQ(s.Store.Slots[0].colour, 1);
  EXPECT_EQ(s.Run.Requests.RunPending, 0);
  // The full repaint erased the red square of the first click; the initial point is
  // drawn as a bold square in the run's colour.
  EXPECT_EQ(CountColour(sc.Picture(), kRed), 0);
  EXPECT_EQ(sc.Picture().GetPixel(514, 298), Colour::FromRgb(0, 0, 180));
}

TEST(WindowScenario, BothClicksBeforeARepaintServeTheLeftClickFirst) {
  Scenario sc;
  OrbitraState& s = sc.State();
  // Both messages handled, then one repaint: only the light branch runs.
  OnLeftButtonDown(s, 516, 300);
  OnLeftButtonDoubleClick(s, 516, 300);
  sc.Apply(Invalidation::WithErase);
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(s.Run.Requests.RunPending, 1);
  sc.FullRepaint();
  EXPECT_EQ(s.Store.RTN, 1000);
}

TEST(WindowScenario, RightDragDefinesTheZoomRectangle) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.RightPress(300, 200);
  EXPECT_EQ(s.Run.Mouse.PressPixel, (PixelPoint{300, 200}));
  EXPECT_EQ(sc.Picture().GetPixel(298, 198), kBlack);  // the corner's black square
  EXPECT_EQ(s.Boxes.ZoomRectDefined, 0);
  sc.RightRelease(400, 260);
  EXPECT_EQ(s.Boxes.ZoomRectDefined, 1);
  EXPECT_EQ(s.Run.Mouse.RightPressPending, 0);
  EXPECT_EQ(s.Run.Mouse.RightReleasePending, 0);
  // The outline runs from the press pixel to the release pixel (right/bottom excluded).
  EXPECT_EQ(sc.Picture().GetPixel(300, 230), kBlack);
  EXPECT_EQ(sc.Picture().GetPixel(399, 230), kBlack);
  EXPECT_EQ(sc.Picture().GetPixel(350, 200), kBlack);
  EXPECT_EQ(sc.Picture().GetPixel(350, 259), kBlack);
  EXPECT_EQ(sc.Picture().GetPixel(350, 230), kWhite);
  const double x1 = s.Run.Mouse.ZoomCorner1.x, x2 = s.Run.Mouse.ZoomCorner2.x;
  EXPECT_NEAR(x1, (300 - 240) * 7.0 / 552.0, 1e-12);
  EXPECT_NEAR(x2, (400 - 240) * 7.0 / 552.0, 1e-12);
  // Any other full repaint forgets the rectangle.
  sc.FullRepaint();
  EXPECT_EQ(s.Boxes.ZoomRectDefined, 0);
}

TEST(WindowScenario, RefreshRedrawsWithoutRunningAndEndsTheTrajectory) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  sc.Apply(RefreshView(s));
  EXPECT_EQ(s.Store.Buf, 1000);
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(s.Store.DTN, 0);
  // The buffered points are drawn again by the replay.
  EXPECT_EQ(sc.At(sc.XYPixel(s.Store.Slots[10].x, s.Store.Slots[10].y)), kBlack);
}

TEST(WindowScenario, RequestedRunIsPerformedByAnyFullRepaint) {
  Scenario sc;
  OrbitraState& s = sc.State();
  StartRun(s);  // its repaint has not come yet
  sc.FullRepaint();
  EXPECT_EQ(s.Store.RTN, 1000);
  EXPECT_EQ(s.Run.Requests.RunPending, 0);
}

TEST(WindowScenario, ReadoutsShowEveryDigitOfAnyValue) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.MousePoint.x = -1.5e300;
  s.Run.MousePoint.y = 1e300;
  s.Run.InitialPoint = s.Run.MousePoint;
  s.Run.Settings.Iterations = 0;  // the run only shows its last point
  sc.Texts().Clear();
  sc.Apply(StartRun(s));
  const auto printed = [](const char* format, double a, double b) {
    std::vector<char> text(4096);
    std::snprintf(text.data(), text.size(), format, a, b);
    return std::string(text.data());
  };
  const std::string xm = printed("xm=%10.9f", -1.5e300, 0), ym = printed("ym=%10.9f", 1e300, 0);
  const std::string last = printed("x=%4.3f  y=%4.3f", -1.5e300, 1e300);
  EXPECT_EQ(xm.size(), 315u);
  EXPECT_EQ(last.size(), 617u);
  EXPECT_EQ(sc.Texts().TextsEqualTo(xm).size(), 1u);
  EXPECT_EQ(sc.Texts().TextsEqualTo(ym).size(), 1u);
  EXPECT_EQ(sc.Texts().TextsEqualTo(last).size(), 1u);
}

TEST(WindowScenario, AStreamThatCannotBeReadKeepsItsCountAndIsReportedOnce) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.ShowStreamPoints = 1;
  sc.Apply(StartRun(s));
  StoreBufferInStream(s, sc.Prompts());
  // Replaced from outside by something that is there but cannot be read.
  std::filesystem::remove(sc.Dir().File("tmpdata.bin"));
  std::filesystem::create_directory(sc.Dir().File("tmpdata.bin"));
  sc.Prompts().Clear();
  sc.FullRepaint();
  sc.FullRepaint();
  EXPECT_EQ(s.Store.Dsk, 1000);
  EXPECT_EQ(sc.Prompts().Messages(),
            std::vector<std::string>{"Cannot read \"" + sc.Dir().File("tmpdata.bin").string() +
                                     "\": Is a directory\nIts points cannot be shown; Dsk keeps counting them."});
  // "Delete All" still offers to delete them.
  sc.Prompts().Script({Answer::No});
  sc.Apply(DeleteAllCommand(s, sc.Prompts()));
  EXPECT_EQ(sc.Prompts().Texts().back(), "Do you want to delete previous data?");
  EXPECT_EQ(s.Store.Dsk, 1000);

  // Readable again (here: gone, so empty), it is counted; a new failure is told anew.
  std::filesystem::remove(sc.Dir().File("tmpdata.bin"));
  sc.FullRepaint();
  EXPECT_EQ(s.Store.Dsk, 0);
  std::filesystem::create_directory(sc.Dir().File("tmpdata.bin"));
  sc.FullRepaint();
  EXPECT_EQ(sc.Prompts().Messages().size(), 2u);
}

// A message box that lets the event loop run: the full repaint waiting in the queue is
// served from inside the box, run and all. Whatever the command changes must be changed
// by then, or it undoes the repaint's work when the box closes.
class ServingPrompter : public testing::ScriptedPrompter {
 public:
  explicit ServingPrompter(Scenario& sc) : sc_(sc) {}
  void ShowMessage(std::string_view text) override {
    ScriptedPrompter::ShowMessage(text);
    ServeWaitingRepaint();
  }
  void ShowInformation(std::string_view text) override {
    ScriptedPrompter::ShowInformation(text);
    ServeWaitingRepaint();
  }

 private:
  void ServeWaitingRepaint() {
    if (serving_ || sc_.State().Run.Requests.RunPending == 0) return;
    serving_ = true;
    sc_.Picture().Clear(kWhite);
    RepaintMappingWindow(sc_.State(), sc_.Picture(), *this);
    serving_ = false;
  }
  Scenario& sc_;
  bool serving_ = false;
};

TEST(WindowScenario, CommandsFinishTheirChangesBeforeTheyTellTheUser) {
  Scenario sc;
  OrbitraState& s = sc.State();
  ServingPrompter boxes(sc);

  // "Store Buffer in Stream" while a double click's run waits: the run's points stay.
  sc.Apply(StartRun(s));
  RequestRunFrom(s, 0.5, 0.25);
  StoreBufferInStream(s, boxes);
  EXPECT_EQ(boxes.Information(), std::vector<std::string>{"Transfer of 1000  (24000 bytes) Ok"});
  EXPECT_EQ(s.Store.Dsk, 1000);
  EXPECT_EQ(s.Store.Buf, 1000);
  EXPECT_EQ(s.Store.DTN, 1000);

  // "Delete last trajectory" with part of it in the stream: the run served inside its
  // message is the current trajectory afterwards, and a second delete removes it.
  s.Store.Buf = 600;
  RequestRunFrom(s, 0.5, 0.25);
  DeleteLastTrajectory(s, boxes);
  EXPECT_EQ(boxes.Messages().back(), "Part of data copied in disk-stream, complete delete is not possible");
  EXPECT_EQ(s.Store.Buf, 1000);
  EXPECT_EQ(s.Store.DTN, 1000);
  DeleteLastTrajectory(s, boxes);
  EXPECT_EQ(s.Store.Buf, 0);

  // "reconstruction" saving to the stream: the buffer is rebuilt before the transfer is
  // reported, so the run served inside the report fills the new buffer.
  sc.Apply(StartRun(s));
  boxes.Script({Answer::Yes});
  RequestRunFrom(s, 0.5, 0.25);
  EXPECT_EQ(ReconstructBuffer(s, boxes, [] { return std::optional<std::int32_t>(5000); }), ReconstructResult::Rebuilt);
  EXPECT_EQ(UsableCapacity(s.Store), 5000);
  EXPECT_EQ(s.Store.Dsk, 2000);
  EXPECT_EQ(s.Store.Buf, 1000);
}

}  // namespace
}  // namespace orbitra
