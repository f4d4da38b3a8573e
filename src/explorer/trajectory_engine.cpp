#include "explorer/trajectory_engine.h"

#include <limits>

namespace orbitra {

void RunOrbit(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  OrbitRun run(state, canvas);
  run.Advance(std::numeric_limits<std::int64_t>::max());
  run.Finish(prompter);
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
