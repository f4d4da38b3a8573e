#include "explorer/startup.h"

#include "explorer/group_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/system_catalogue.h"
#include "plot/box_ranges.h"
#include "storage/point_buffer.h"

namespace orbitra {

void StartUp(OrbitraState& state, Prompter& prompter) {
  RunState& run = state.Run;
  InitialiseMappingModel(state.Model);
  FillColourTable(run.Colours);
  ResetRangesToDefault(state.Boxes, state.Model.DefaultRange, run.Settings.Iterations);
  StartGroupAndNotebookFiles(state, prompter);
  LoadUserMaps(state, prompter);
  ApplyStartUpBoxSettings(state.Boxes, SystemName(state.UserMaps, state.Model.system));

  ResetTrajectoryPoints(run);

  InitStorage(state.Store, state.WorkDir, prompter);
}

}  // namespace orbitra
