// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/startup.h"

#include <string>
#include <system_error>

#include "explorer/group_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/system_catalogue.h"
#include "plot/box_ranges.h"
#include "storage/point_buffer.h"
#include "storage/replacement_file.h"
#include "storage/user_map_file.h"

namespace orbitra {

void StartUp(OrbitraState& state, Prompter& prompter) {
  RunState& run = state.Run;
  // What a killed program left half-written: the temporary files of its replacements, and
  // the one name earlier versions gave the temporary copy of the user's maps.
  RemoveStaleTemporaryFiles(state.WorkDir);
  std::error_code ignored;
  std::filesystem::remove(state.FilePath(std::string(kUserMapFileName) + ".tmp"), ignored);
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
