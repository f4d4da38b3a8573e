// SPDX-License-Identifier: GPL-3.0-or-later
// The "Phase Space" window's logic: a stopped and resumed window on several threads ends
// with the picture of the one-thread computation drawn whole; the pointer's text; a click
// starts an orbit from the pixel's centre.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "explorer/selection_dialog_logic.h"
#include "plot/phase_space_picture.h"
#include "support/scenario.h"
#include "sweeps/phase_space_view.h"

namespace orbitra {
namespace {

using testing::Scenario;

TEST(PhaseSpaceWindow, ResumedPictureIsTheOneThreadOneAndClicksStartOrbits) {
  Scenario sc;
  SelectionDialogValues v = PrepareSelectionDialog(sc.State());
  PickSystemInList(v, 0);  // the Standard Map
  v.k1 = 0.97;
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), v));
  WorkerPool pool(1);
  PhaseSpaceSettings settings = PhaseSpaceSettingsFor(GridViewMapOf(sc.State()), PhaseColouring::Megno, pool);
  settings.iterations = 3000;  // long rows, so that the stop comes first
  EXPECT_EQ(settings.wrap.x, 2 * 3.141592653589793);
  PhaseSpaceWindowLogic w(sc.State(), sc.Prompts(), settings, 3);
  w.Resize(240, 170);
  w.Stop();
  w.Poll();
  EXPECT_FALSE(w.Runner().Complete());
  ASSERT_TRUE(w.Resume());
  while (w.Working()) std::this_thread::yield();
  w.Poll();
  ASSERT_TRUE(w.Runner().Complete());
  EXPECT_EQ(w.WindowTitle(), "Phase Space - Standard Map");

  const GridPictureLayout layout = LayoutGridPicture(240, 170, 1.0);
  PhaseSpaceSettings s = settings;
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  PhaseSpaceSweep blocking(sc.State().Model, s, {0, s.height});
  blocking.Run(pool);
  Canvas picture(240, 170);
  DrawPhaseSpaceView(picture, blocking.Values(), "Standard Map");
  for (int y = 0; y < 170; ++y) {
    for (int x = 0; x < 240; ++x) ASSERT_EQ(w.Shown().GetPixel(x, y), picture.GetPixel(x, y)) << x << ", " << y;
  }

  const double x = CellCentre(s.range.Xmin, s.range.Xmax, s.width, 4);
  const double y = CellCentre(s.range.Ymin, s.range.Ymax, s.height, 6);
  const std::string text = w.PointerText(layout.PixelX(4), layout.PixelY(6));
  EXPECT_EQ(text.rfind("x = ", 0), 0u) << text;
  EXPECT_NE(text.find(": MEGNO "), std::string::npos) << text;
  EXPECT_EQ(w.PointerText(layout.frameLeft - 5, layout.PixelY(6)), "");
  w.Click(layout.PixelX(4), layout.PixelY(6));
  EXPECT_DOUBLE_EQ(sc.State().Run.InitialPoint.x, x);
  EXPECT_DOUBLE_EQ(sc.State().Run.InitialPoint.y, y);
}

// Progress counts pixels as each group of eight is done, so a heavy row moves the
// percentage before it ends: a row of 13 pixels (8 and 5) counts 13, a third of 3 rows.
TEST(PhaseSpaceWindow, ProgressCountsThePixelsOfRowsNotFinished) {
  Scenario sc;
  PhaseSpaceSettings s;
  s.colouring = PhaseColouring::Fli;
  s.width = 13;
  s.height = 3;
  s.iterations = 50;
  const GridPictureLayout layout = LayoutGridPicture(240, 170, 1.0);
  PhaseSpaceJob job(sc.State().Model, s, "Standard Map", layout);
  EXPECT_EQ(job.RateCountSoFar(), 0);
  ASSERT_TRUE(job.ComputeUnit(1, {}));
  EXPECT_EQ(job.RateCountSoFar(), 13);
  EXPECT_DOUBLE_EQ(job.WorkDone(), 1.0 / 3.0);

  std::atomic<std::int64_t> counted{0};
  PhaseSpaceValues values(s, {0, 3});
  ComputePhaseSpaceRow(sc.State().Model, values, 2, &counted);
  EXPECT_EQ(counted.load(), 13);
}

}  // namespace
}  // namespace orbitra
