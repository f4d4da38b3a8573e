// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/orbit_run.h"

#include <cstdio>
#include <limits>

#include "platform/vector_state.h"
#include "storage/point_buffer.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

void DrawStatusLines(Canvas& canvas, std::int32_t iterations, const StatusCounters& counters, int percent,
                     std::int32_t dsk) {
  char text[64];
  std::snprintf(text, sizeof text, "  N = %d  ", iterations);
  canvas.TextOutScaled(3, 5, text);
  std::snprintf(text, sizeof text, "RTN = %d  ", counters.RTN);
  canvas.TextOutScaled(3, 20, text);
  std::snprintf(text, sizeof text, "DTN = %d  ", counters.DTN);
  canvas.TextOutScaled(3, 35, text);
  std::snprintf(text, sizeof text, "Buf = %d (%d%%) ", counters.Buf, percent);
  canvas.TextOutScaled(3, 55, text);
  std::snprintf(text, sizeof text, "Dsk = %d  ", dsk);
  canvas.TextOutScaled(3, 70, text);
}

const char* EndMessage(RunEnd end) noexcept {
  switch (end) {
    case RunEnd::Escaped:
      return kEscapeMessage;
    case RunEnd::BufferFull:
      return kBufferFullMessage;
    case RunEnd::CounterLimit:
      return kCounterLimitMessage;
    default:
      return nullptr;
  }
}

}  // namespace

void DrawFinalPoint(Canvas& canvas, double x, double y) {
  char text[2 * LongestFixedText(3) + 8];
  std::snprintf(text, sizeof text, "x=%4.3f  y=%4.3f", x, y);
  canvas.TextOutScaled(1, 100, text);
}

void DrawStatus(const OrbitraState& state, Canvas& canvas) {
  const PointStore& store = state.Store;
  DrawStatusLines(canvas, state.Run.Settings.Iterations, StatusCounters{store.RTN, store.DTN, store.Buf},
                  BufferPercent(store), store.Dsk);
}

OrbitRun::OrbitRun(OrbitraState& state, Canvas& canvas)
    : state_(state),
      canvas_(canvas),
      loop_(state.Boxes.XYBox, state.Boxes.XBox, state.Boxes.YBox, canvas),
      slices_(RunSliceFor(state.Model)),
      evolution_(state.Run.Settings.DisplayMode == 1),
      storing_(state.Run.Settings.StoreInBuffer != 0),
      restricted_(state.Run.Settings.RestrictToBox != 0),
      continuing_(state.Run.Requests.ContinueRun != 0) {
  const RunState& run = state.Run;
  const RunSettings& settings = run.Settings;
  const PointStore& store = state.Store;
  loop_.points = store.Slots.get();
  loop_.usable = UsableCapacity(store);
  loop_.buf = store.Buf;
  loop_.rtn = store.RTN;
  loop_.dtn = store.DTN;
  loop_.range = state.Boxes.XYBox.GetRange();
  loop_.colour = run.RunColour;
  loop_.pixel = Canvas::ToPixel(ColourOf(run.Colours, run.RunColour));
  loop_.infinity = settings.InfinityValue;
  loop_.infoEvery = settings.InfoEvery > 0 ? settings.InfoEvery : 0;
  loop_.statusAtSliceEnd = canvas.ShowsOnlyBetweenSlices();
  loop_.x = run.CurrentPoint.x;
  loop_.y = run.CurrentPoint.y;
  loop_.count = run.RunCount > 0 && state.Model.routine != nullptr ? run.RunCount : 0;
  // RTN counts the whole trajectory over continued runs: the run ends before it would
  // pass the largest value it can hold.
  const std::int32_t room = std::numeric_limits<std::int32_t>::max() - (store.RTN > 0 ? store.RTN : 0);
  loop_.end = loop_.count < room ? loop_.count : room;
  if (loop_.count == 0) end_ = RunEnd::Completed;
  // A user map chosen by any way but the commands (which ask at once) is compiled now; the
  // run takes the machine code at a later slice once it is ready. The X-Y box is titled
  // with the map's name.
  state.CompiledMaps.StartCompiling(state.Model, state.Boxes.XYBox.Label);
}

RunEnd OrbitRun::Advance(std::int64_t budget) {
  ClearUpperVectorState();
  while (end_ == RunEnd::Running && budget > 0) {
    const std::int32_t before = loop_.i;
    // The inspector is asked at every slice: it may be shown or hidden while a run goes on.
    const bool inspecting = state_.Inspector.Shown();
    const RunSlice slice = slices_.For(evolution_, storing_, restricted_, inspecting);
    if (inspecting) {
      OrbitObserver observer = state_.Inspector.BeginRun(state_.Model, WorldPoint{loop_.x, loop_.y},
                                                         continuing_ || loop_.i > 0);
      end_ = slice(loop_, state_.Model, budget, &observer);
      state_.Inspector.Commit(observer);
    } else {
      end_ = slice(loop_, state_.Model, budget, nullptr);
    }
    budget -= loop_.i - before;
    if (loop_.drawStatus) {
      loop_.drawStatus = false;
      loop_.statusPending = false;
      DrawDueStatus();
    }
  }
  if (end_ == RunEnd::Running && loop_.count == loop_.i) end_ = RunEnd::Completed;
  PointStore& store = state_.Store;
  store.Buf = loop_.buf;
  store.RTN = loop_.rtn;
  store.DTN = loop_.dtn;
  if (loop_.statusPending) {
    loop_.statusPending = false;
    DrawDueStatus();
  }
  return end_;
}

void OrbitRun::DrawDueStatus() {
  const PointStore& store = state_.Store;
  DrawStatusLines(canvas_, state_.Run.Settings.Iterations, loop_.status,
                  BufferPercent(loop_.status.Buf, UsableCapacity(store)), store.Dsk);
}

void OrbitRun::Finish(Prompter& prompter) {
  if (end_ == RunEnd::Running) end_ = RunEnd::Stopped;
  PointStore& store = state_.Store;
  store.Buf = loop_.buf;
  store.RTN = loop_.rtn;
  store.DTN = loop_.dtn;
  if (const char* message = EndMessage(end_)) {
    // Behind the message the picture shows how the run ended.
    DrawStatus(state_, canvas_);
    canvas_.PresentNow();
    prompter.ShowMessage(message);
  }
  // The evolution boxes are never stored; the run's own points only when stored and shown.
  const RunSettings& settings = state_.Run.Settings;
  if (loop_.count > 0 &&
      (settings.DisplayMode == 1 || settings.StoreInBuffer == 0 || settings.ShowBufferPoints == 0)) {
    state_.Run.UnkeptPointsShown = 1;
  }
  state_.Run.CurrentPoint.x = loop_.x;
  state_.Run.CurrentPoint.y = loop_.y;
  state_.Run.FinalPointShown = 1;
  state_.Run.FinalPoint = WorldPoint{loop_.x, loop_.y};
  DrawFinalPoint(canvas_, loop_.x, loop_.y);
}

}  // namespace orbitra
