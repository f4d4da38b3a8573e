// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/render_workspace.h"

#include "explorer/startup.h"
#include "maps/native_maps.h"

namespace orbitra {

std::unique_ptr<RenderWorkspace> RenderWorkspace::Open(bool interpreted, Prompter& prompter) {
  std::unique_ptr<RenderWorkspace> work(new RenderWorkspace);
  if (!work->folder_.isValid()) {
    prompter.ShowMessage("cannot create a temporary working folder: " + work->folder_.errorString().toStdString());
    return nullptr;
  }
  OrbitraState& state = work->state_.emplace(work->folder_.path().toStdString());
  if (interpreted) state.CompiledMaps = NativeMaps(InterpretedOnly());
  StartUp(state, prompter);
  return work;
}

}  // namespace orbitra
