#include "explorer/trajectory_engine.h"

#include <cstdio>

#include "explorer/replay.h"
#include "plot/box_layout.h"
#include "plot/pixel_plotter.h"
#include "storage/point_buffer.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

// Restriction test with bounds included; a coordinate that is not a number is outside.
inline bool InRange(const WorldRange& r, double x, double y) noexcept {
  return r.Xmin <= x && x <= r.Xmax && r.Ymin <= y && y <= r.Ymax;
}

void DrawFinalPoint(Canvas& canvas, double x, double y) {
  char text[2 * LongestFixedText(3) + 8];
  std::snprintf(text, sizeof text, "x=%4.3f  y=%4.3f", x, y);
  canvas.TextOutScaled(1, 100, text);
}

// The buffer and the trajectory counters held in locals for the run loop, with the
// storing rules of StorePoint and IsBufferFull; Commit writes the counters back.
class BufferWriter {
 public:
  explicit BufferWriter(const PointStore& store) noexcept
      : slots_(store.Slots.get()),
        usable_(UsableCapacity(store)),
        buf_(store.Buf),
        rtn_(store.RTN),
        dtn_(store.DTN) {}

  void CountIteration() noexcept { ++rtn_; }
  void Store(double x, double y, std::uint8_t colour) noexcept {
    if (buf_ >= usable_) return;
    slots_[buf_] = StoredPoint{x, y, colour, {}};
    ++buf_;
    ++dtn_;
  }
  bool Full() const noexcept { return buf_ > usable_ - 2; }
  void Commit(PointStore& store) const noexcept {
    store.Buf = buf_;
    store.RTN = rtn_;
    store.DTN = dtn_;
  }

 private:
  StoredPoint* slots_;
  std::int32_t usable_;
  std::int32_t buf_;
  std::int32_t rtn_;
  std::int32_t dtn_;
};

}  // namespace

void DrawStatus(const OrbitraState& state, Canvas& canvas) {
  const PointStore& store = state.Store;
  char text[64];
  std::snprintf(text, sizeof text, "  N = %d  ", state.Run.Settings.Iterations);
  canvas.TextOutScaled(3, 5, text);
  std::snprintf(text, sizeof text, "RTN = %d  ", store.RTN);
  canvas.TextOutScaled(3, 20, text);
  std::snprintf(text, sizeof text, "DTN = %d  ", store.DTN);
  canvas.TextOutScaled(3, 35, text);
  std::snprintf(text, sizeof text, "Buf = %d (%d%%) ", store.Buf, BufferPercent(store));
  canvas.TextOutScaled(3, 55, text);
  std::snprintf(text, sizeof text, "Dsk = %d  ", store.Dsk);
  canvas.TextOutScaled(3, 70, text);
}

void RunOrbit(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  RunState& run = state.Run;
  const RunSettings& settings = run.Settings;
  PointStore& store = state.Store;
  const MappingModel& model = state.Model;

  // Everything the loop reads is taken into locals once, so that pixel writes (which the
  // compiler must assume may touch any int) never force it to reload them.
  const WorldRange range = state.Boxes.XYBox.GetRange();
  const PixelPlotter xyPlot(state.Boxes.XYBox, canvas);
  const EvolutionPlotter evolutionPlot(state.Boxes.XBox, state.Boxes.YBox, canvas);
  double x = run.CurrentPoint.x;
  double y = run.CurrentPoint.y;
  const std::uint8_t colourIndex = run.RunColour;
  const Canvas::Pixel pixel = Canvas::ToPixel(ColourOf(run.Colours, colourIndex));
  const std::int32_t count = run.RunCount;
  const IterationRoutine routine = model.routine;
  const bool evolution = settings.DisplayMode == 1;
  const bool restricted = settings.RestrictToBox != 0;
  const bool storing = settings.StoreInBuffer != 0;
  const double infinity = settings.InfinityValue;
  const std::int32_t infoEvery = settings.InfoEvery;
  BufferWriter buffer(store);

  // The status is due after iteration i whenever i is a multiple of InfoEvery; a
  // countdown spares the division. InfoEvery 0 means no refresh during the run.
  std::int32_t untilStatus = 0;
  for (std::int32_t i = 0; i < count && routine != nullptr; ++i) {
    xyPlot.Plot(x, y, pixel);
    if (evolution) evolutionPlot.Plot(static_cast<double>(i), x, y, pixel);
    const MapImage image = routine(model, x, y);
    if (image.x * image.x + image.y * image.y > infinity) {
      buffer.Commit(store);
      prompter.ShowMessage(kEscapeMessage);
      break;
    }
    x = image.x;
    y = image.y;
    buffer.CountIteration();
    if (storing && (!restricted || InRange(range, x, y))) buffer.Store(x, y, colourIndex);
    if (buffer.Full()) {
      buffer.Commit(store);
      prompter.ShowMessage(kBufferFullMessage);
      break;
    }
    if (infoEvery > 0) {
      if (untilStatus == 0) {
        // Text costs thousands of pixels: draw it only when somebody could see it.
        if (canvas.RefreshVisibleNow()) {
          buffer.Commit(store);
          DrawStatus(state, canvas);
        }
        untilStatus = infoEvery;
      }
      --untilStatus;
    }
  }
  buffer.Commit(store);
  // The evolution boxes are never stored; the run's own points only when stored and shown.
  if (count > 0 && routine != nullptr && (evolution || !storing || settings.ShowBufferPoints == 0)) {
    run.UnkeptPointsShown = 1;
  }
  run.CurrentPoint.x = x;
  run.CurrentPoint.y = y;
  DrawFinalPoint(canvas, x, y);
}

void MarkInitialPoint(const RunState& run, const PlotBox& xyBox, Canvas& canvas) {
  if (run.Settings.BoldPoints == 0) return;
  xyBox.PlotBoldPoint(canvas, run.InitialPoint.x, run.InitialPoint.y, MarkHalfSize(canvas),
                      ColourOf(run.Colours, run.RunColour), true);
}

void RedrawAndRun(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  RunState& run = state.Run;
  const RunSettings& settings = run.Settings;
  PlotBoxes& boxes = state.Boxes;
  MouseState& mouse = run.Mouse;

  run.RunCount = settings.ContinueIterations;
  run.UnkeptPointsShown = 0;
  DrawBoxes(boxes, settings.DisplayMode, canvas, 0, 0, canvas.Width(), canvas.Height());

  boxes.ZoomRectDefined = 0;
  if (mouse.RightReleasePending != 0) {
    canvas.Rectangle(mouse.PressPixel.x, mouse.PressPixel.y, mouse.ReleasePixel.x, mouse.ReleasePixel.y);
    mouse.RightReleasePending = 0;
    mouse.RightPressPending = 0;
    boxes.ZoomRectDefined = 1;
  }

  if (settings.ShowStreamPoints != 0) ReplayStreamAndCount(state, canvas, prompter);
  if (settings.ShowBufferPoints != 0) ReplayBuffer(state.Store, boxes.XYBox, run, canvas);

  if (run.Requests.ContinueRun == 0) {
    state.Store.DTN = 0;
    state.Store.RTN = 0;
    run.RunCount = settings.Iterations;
  }

  MarkInitialPoint(run, boxes.XYBox, canvas);

  if (run.Requests.RunPending != 0) RunOrbit(state, canvas, prompter);
  DrawStatus(state, canvas);
}

void RequestRunFrom(OrbitraState& state, double x, double y) {
  RunState& run = state.Run;
  run.MousePoint.x = x;
  run.MousePoint.y = y;
  run.MousePoint.colour = run.RunColour;
  run.CurrentPoint = run.MousePoint;
  run.InitialPoint = run.MousePoint;
  run.Requests.RunPending = 1;
  run.Requests.ContinueRun = 0;
}

}  // namespace orbitra
