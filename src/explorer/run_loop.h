// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "explorer/orbit_inspector.h"
#include "maps/mapping_model.h"
#include "platform/canvas.h"
#include "plot/pixel_plotter.h"
#include "storage/stored_point.h"

namespace orbitra {

// How a run stands after a slice of it.
enum class RunEnd {
  Running,       // the slice's budget is spent, or a status refresh is to be drawn now
  Completed,     // every iteration asked for is done
  Escaped,       // the next iterate lay beyond the "Infinity" value
  BufferFull,    // the buffer holds (usable capacity - 1) points
  CounterLimit,  // the trajectory's iteration counter would pass its largest value
  Stopped,       // the user ended the run
};

// The counters of the store as they stood when a status refresh fell due.
struct StatusCounters {
  std::int32_t RTN = 0;
  std::int32_t DTN = 0;
  std::int32_t Buf = 0;
};

// Everything the run loop reads and writes, kept together between slices. A slice copies
// it into locals, so that pixel writes (which may alias any int) never force a reload.
struct RunLoop {
  RunLoop(const PlotBox& xyBox, const PlotBox& xBox, const PlotBox& yBox, Canvas& canvas) noexcept
      : xy(xyBox, canvas), evolution(xBox, yBox, canvas), canvas(&canvas) {}

  PixelPlotter xy;
  EvolutionPlotter evolution;
  Canvas* canvas;  // asked whether a status refresh could be seen now

  // The buffer and the counters, with the storing rules of StorePoint and IsBufferFull.
  StoredPoint* points = nullptr;  // the buffer's slots
  std::int32_t usable = 0;
  std::int32_t buf = 0;
  std::int32_t rtn = 0;
  std::int32_t dtn = 0;

  WorldRange range;  // for the restriction test, bounds included
  Canvas::Pixel pixel = 0;
  std::uint8_t colour = 0;
  double infinity = 0.0;
  std::int32_t infoEvery = 0;  // 0: no status refresh during the run
  std::int32_t untilStatus = 0;  // iterations before the one after which the status is due
  bool statusAtSliceEnd = false;  // the screen shows only the last refresh due in a slice

  std::int32_t count = 0;  // iterations asked for
  std::int32_t end = 0;    // count, cut where RTN would pass its largest value
  std::int32_t i = 0;      // iterations done
  double x = 0.0;
  double y = 0.0;

  // A status refresh that fell due: drawStatus when it is to be drawn now, pending when
  // the screen could not show it then (it is drawn when the slice ends).
  bool drawStatus = false;
  bool statusPending = false;
  StatusCounters status;
};

// Performs up to `budget` iterations of the loop for one map. Returns Running when the
// budget is spent or a status refresh is to be drawn now (drawStatus). An inspecting loop
// feeds every iterate to `observer`; a plain one ignores it.
using RunSlice = RunEnd (*)(RunLoop& loop, const MappingModel& model, std::int64_t budget, OrbitObserver* observer);

// The loop of one map, compiled for each combination of the run's settings: without and
// with the evolution boxes (display mode 1); without storing, storing, or storing only
// inside the box; plain, or feeding the orbit inspector. A hidden inspector costs nothing.
struct RunSliceVariants {
  const RunSlice (*plain)[2][3];
  const RunSlice (*observing)[2][3];
  RunSlice For(bool evolution, bool storing, bool restricted, bool inspecting) const noexcept;
};

// The loop instantiated for the model's routine: a built-in map's formula is inlined into
// it; any other routine is called through its pointer, except that a user map's machine
// code, once compiled, is taken at the start of each slice.
RunSliceVariants RunSliceFor(const MappingModel& model) noexcept;

}  // namespace orbitra
