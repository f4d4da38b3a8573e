// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>

#include "explorer/orbit_inspector.h"
#include "explorer/run_state.h"
#include "explorer/structure_overlay.h"
#include "maps/mapping_model.h"
#include "maps/native_maps.h"
#include "maps/user_map_table.h"
#include "plot/plot_boxes.h"
#include "storage/export_options.h"
#include "storage/group_state.h"
#include "storage/point_store.h"

namespace orbitra {

// Every process-wide record of the program, gathered in the one object the application
// owns; core functions receive it (or the records they need) by reference. Files are
// opened by their names inside WorkDir.
struct OrbitraState {
  explicit OrbitraState(std::filesystem::path workDir) : WorkDir(std::move(workDir)) {}

  std::filesystem::path FilePath(std::string_view name) const { return WorkDir / name; }

  std::filesystem::path WorkDir;
  MappingModel Model;
  RunState Run;
  PlotBoxes Boxes;
  PointStore Store;
  GroupState Group;
  ExportOptions Export;
  OrbitInspector Inspector;  // the orbit inspector's trajectory, and whether its panel is shown
  StructureOverlay Structure;  // periodic orbits and manifolds drawn over the picture
  UserMapTable UserMaps;         // the user's maps, systems 11 and up, kept in "usermaps.txt"
  bool UserMapFileDamaged = false;  // read with faults: the first save keeps a copy of it
  NativeMaps CompiledMaps;          // the user maps' machine code, compiled in the background
  int UseDefaultRange = 1;  // the selection dialog's "Use default graphics range "
  int RunOnOk = 0;          // the next "Initial conditions" opens with its run box ticked
};

}  // namespace orbitra
