#include "dynamics/startup.h"

#include <string>

#include "dynamics/mapping_catalogue.h"
#include "plot/box_ranges.h"
#include "storage/group_commands.h"
#include "storage/point_buffer.h"

namespace orbitra {

void StartUp(OrbitraState& state, Prompter& prompter) {
  RunState& run = state.Run;
  InitialiseMappingModel(state.Model);
  FillColourTable(run.Colours);
  ResetRangesToDefault(state.Boxes, state.Model.DefaultRange, run.Settings.Iterations);
  StartGroupAndNotebookFiles(state, prompter);
  ApplyStartUpBoxSettings(state.Boxes, std::string(CatalogueAt(state.Model.system).name));

  run.InitialPoint = TrajectoryPoint{};
  run.InitialPoint.x = 0.5;
  run.InitialPoint.y = 0.0;
  run.InitialPoint.colour = 0;
  run.MousePoint = run.InitialPoint;
  run.CurrentPoint = run.InitialPoint;
  run.Mouse.ZoomCorner1 = WorldPoint{0.0, 0.0};
  run.Mouse.ZoomCorner2 = run.Mouse.ZoomCorner1;
  run.RunColour = 0;

  InitStorage(state, prompter);
}

}  // namespace orbitra
