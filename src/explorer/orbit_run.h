// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "explorer/orbitra_state.h"
#include "explorer/run_loop.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

inline constexpr const char* kEscapeMessage = " Escape to Infinity\n or Initials are out of valid range";
inline constexpr const char* kBufferFullMessage = "Buffer is Full";
inline constexpr const char* kCounterLimitMessage =
    "The trajectory has reached 2147483647 iterations, the most its counter can hold.\n"
    "Start a new trajectory to go on.";

// One run of Run.RunCount iterations from CurrentPoint in RunColour, done in slices: every
// point is plotted, every iterate counted and (when storing, and inside the box if
// restricted) stored. Escape beyond the "Infinity" value, a full buffer and the iteration
// counter's limit end the run early. However the run is sliced, the points, counters,
// pixels and the final point are those of one unbroken run.
class OrbitRun {
 public:
  // Takes what the loop reads (current point, colour, settings, the boxes' transforms,
  // RunCount) from the state once. The state and the canvas must outlive the run, and
  // nothing else may change them while it lasts.
  OrbitRun(OrbitraState& state, Canvas& canvas);

  // Performs up to `budget` more iterations. After every call the store's counters are
  // true and, if a status refresh fell due meanwhile, the status lines show it.
  RunEnd Advance(std::int64_t budget);

  // Ends the run however far it got: a run that ended early says why (after the status
  // lines show its final counters), then CurrentPoint becomes the last iterate and the
  // "x=  y=" text is drawn. A run stopped by the user ends as one asked for the
  // iterations it did.
  void Finish(Prompter& prompter);

  std::int32_t IterationsDone() const noexcept { return loop_.i; }
  std::int32_t IterationsAsked() const noexcept { return loop_.count; }
  bool Ended() const noexcept { return end_ != RunEnd::Running; }

 private:
  void DrawDueStatus();

  OrbitraState& state_;
  Canvas& canvas_;
  RunLoop loop_;
  RunSliceVariants slices_;
  // The settings the loop was compiled for, as they were when the run began.
  bool evolution_;
  bool storing_;
  bool restricted_;
  bool continuing_;  // a "Continue ": the inspector carries its trajectory on
  RunEnd end_ = RunEnd::Running;
};

// The five status lines N, RTN, DTN, Buf and Dsk.
void DrawStatus(const OrbitraState& state, Canvas& canvas);
// The "x= y=" line a run draws at its end point.
void DrawFinalPoint(Canvas& canvas, double x, double y);

}  // namespace orbitra
