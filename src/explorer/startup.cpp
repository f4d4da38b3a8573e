#include "explorer/startup.h"


#include "explorer/group_commands.h"
#include "maps/mapping_catalogue.h"
#include "plot/box_ranges.h"
#include "storage/point_buffer.h"

namespace orbitra {

void StartUp(OrbitraState& state, Prompter& prompter) {
  RunState& run = state.Run;
  InitialiseMappingModel(state.Model);
  FillColourTable(run.Colours);
  ResetRangesToDefault(state.Boxes, state.Model.DefaultRange, run.Settings.Iterations);
  StartGroupAndNotebookFiles(state, prompter);
  ApplyStartUpBoxSettings(state.Boxes, CatalogueAt(state.Model.system).name);

  ResetTrajectoryPoints(run);

  InitStorage(state.Store, state.WorkDir, prompter);
}

}  // namespace orbitra
