// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include "maps/world_geometry.h"
#include "platform/colour.h"
#include "plot/pixel_point.h"
#include "storage/stored_point.h"

namespace orbitra {

// A trajectory point has the shape of a stored point: x, y and a colour index.
using TrajectoryPoint = StoredPoint;

inline constexpr std::size_t kColourCount = 13;
using ColourTable = std::array<Colour, kColourCount>;

// Puts the 13 colours, in the order of the sorted "Color" list, into the table.
void FillColourTable(ColourTable& table) noexcept;

// The colour of a colour index. Indices above 12 (only a hand-edited group file makes
// them) wrap round the table, so such trajectories still differ in colour.
inline Colour ColourOf(const ColourTable& table, unsigned index) noexcept {
  return table[index % kColourCount];
}

// The run-control settings; ints used as flags hold 0 or 1.
struct RunSettings {
  std::int32_t Iterations = 1000;
  std::int32_t ContinueIterations = 1000;
  std::int32_t InfoEvery = 10;  // 0: no status refresh during a run
  double InfinityValue = 10000.0;
  int StoreInBuffer = 1;
  int RestrictToBox = 0;
  int ShowBufferPoints = 1;
  int ShowStreamPoints = 0;
  int BufferInBlack = 0;
  int BoldPoints = 1;
  std::int32_t DisplayMode = 0;  // 0: X-Y box only; 1: with the X(n) and Y(n) boxes
};

// What the commands leave for the next repaint.
struct RunRequests {
  int RunPending = 0;
  int ContinueRun = 0;
  int GroupPending = 0;
};

// Mouse clicks that the next repaint serves.
struct MouseState {
  int LeftClickPending = 0;
  int RightPressPending = 0;
  int RightReleasePending = 0;
  PixelPoint PressPixel;
  PixelPoint ReleasePixel;
  WorldPoint ZoomCorner1;
  WorldPoint ZoomCorner2;
};

struct RunState {
  TrajectoryPoint InitialPoint;
  TrajectoryPoint CurrentPoint;
  TrajectoryPoint MousePoint;
  std::uint8_t RunColour = 0;
  ColourTable Colours{};
  RunSettings Settings;
  RunRequests Requests;
  MouseState Mouse;
  std::int32_t RunCount = 0;  // iterations of the run about to be performed
  // The picture shows points of a run since the last full repaint that the store does not
  // keep (storing off, buffer points hidden, or the evolution boxes): a picture drawn anew
  // from the stored points lacks them.
  int UnkeptPointsShown = 0;
  // The "x= y=" line of the last run's end point is on the picture (until the next full
  // repaint), showing FinalPoint: a picture drawn anew draws it too.
  int FinalPointShown = 0;
  WorldPoint FinalPoint;
};

// The trajectory points at (0.5, 0) with colour index 0, the zoom corners at (0, 0) and
// the run colour "Black", as every start of the program leaves them.
void ResetTrajectoryPoints(RunState& run);

// Start-up values: the points above, default settings, no requests, a filled colour table.
void InitialiseRunState(RunState& run);

}  // namespace orbitra
