#include "explorer/group_runner.h"

#include "explorer/trajectory_engine.h"
#include "plot/box_layout.h"
#include "storage/group_file.h"
#include "storage/point_buffer.h"

namespace orbitra {

void RunGroup(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  RunState& run = state.Run;
  RunSettings& settings = run.Settings;

  settings.DisplayMode = 0;
  run.UnkeptPointsShown = 0;
  DrawBoxes(state.Boxes, settings.DisplayMode, canvas, 0, 0, canvas.Width(), canvas.Height());
  state.Boxes.ZoomRectDefined = 0;
  settings.ShowBufferPoints = 1;

  GroupFileReader reader(state.FilePath(kGroupFileName));
  if (!reader.IsOpen()) {
    state.Group.GroupEmpty = true;
    prompter.ShowMessage(kGroupFileNotFound);
    return;
  }

  // The counters add up over the entries, so that afterwards they hold the group's
  // totals and "Delete last trajectory" removes exactly the group's points; they start
  // from zero here rather than carrying the trajectory that was current before.
  state.Store.RTN = 0;
  state.Store.DTN = 0;
  GroupLine line{};
  for (;;) {
    const GroupFileReader::Result result = reader.Next(line);
    if (result == GroupFileReader::Result::End) break;
    if (IsBufferFull(state.Store)) break;
    if (result == GroupFileReader::Result::FormatError) {
      prompter.ShowMessage(kGroupFormatError);
      break;
    }
    const auto colour = static_cast<std::uint8_t>(line.colour & 0xFF);
    run.InitialPoint.x = line.X0;
    run.InitialPoint.y = line.Y0;
    run.InitialPoint.colour = colour;
    run.RunColour = colour;
    run.RunCount = line.iterations;
    settings.RestrictToBox = line.restricted != 0 ? 1 : 0;
    run.CurrentPoint = run.InitialPoint;
    RunOrbit(state, canvas, prompter);
  }
  DrawStatus(state, canvas);
}

}  // namespace orbitra
