// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/phase_space_render.h"

#include <chrono>
#include <memory>
#include <new>
#include <thread>

#include "render/console_prompter.h"
#include "render/grid_render.h"
#include "render/picture_file.h"
#include "render/progress_line.h"
#include "render/render_canvas.h"
#include "render/render_workspace.h"
#include "render/render_program.h"
#include "storage/phase_space_files.h"
#include "sweeps/phase_space_view.h"

namespace orbitra {

namespace {

int WriteOutputs(const PhaseSpaceValues& values, const PhaseSpaceIdentity& id, const RenderRequest& request,
                 Prompter& prompter) {
  int status = kRenderDone;
  if (request.png) {
    const RenderCanvas picture(id.pictureWidth, id.pictureHeight, id.textScale);
    if (!picture.canvas) {
      prompter.ShowMessage(picture.failure);
      return kRenderWriteFailed;
    }
    DrawPhaseSpaceView(*picture.canvas, values, id.mapName);
    if (const FileFailure failure = WritePicture(*picture.canvas, *request.png)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  if (request.exportFile) {
    if (const FileFailure failure = WritePhaseSpaceExport(values, *request.exportFile)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  return status;
}

}  // namespace

int RenderPhaseSpace(const RenderRequest& request, std::ostream& err, bool errIsTerminal) {
  ConsolePrompter prompter(err);
  const GridRequest& asked = *request.grid;
  const std::unique_ptr<RenderWorkspace> work = RenderWorkspace::Open(request.interpreted, prompter);
  if (!work) return kRenderWriteFailed;
  OrbitraState& state = work->State();
  if (!SelectRenderJobMap(state, request.job, prompter)) return kRenderWriteFailed;
  const GridViewMap map = GridViewMapOf(state);

  WorkerPool pool(request.threads.value_or(0));
  PhaseSpaceSettings s;
  s.colouring = *asked.phaseColouring;
  s.range = request.job.range ? asked.settings.range : map.xyRange;
  TakeMapGeometry(map.model, s, pool);
  if (asked.centre) s.centre = *asked.centre;
  s.transient = asked.settings.transient;
  s.iterations = asked.settings.escapeIterations;
  s.escape = asked.settings.escape;
  const GridPictureLayout layout =
      LayoutGridPicture(request.picture.width, request.picture.height, request.picture.textScale);
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  PhaseSpaceIdentity id;
  id.mapName = map.name;
  id.k[0] = map.model.k1, id.k[1] = map.model.k2, id.k[2] = map.model.k3, id.k[3] = map.model.k4;
  id.pictureWidth = request.picture.width;
  id.pictureHeight = request.picture.height;
  id.textScale = request.picture.textScale;

  const RowBand band = asked.tileIndex ? TileRows(s.height, *asked.tileIndex, asked.tileCount) : RowBand{0, s.height};
  std::unique_ptr<PhaseSpaceSweep> sweep;
  try {
    sweep = std::make_unique<PhaseSpaceSweep>(map.model, s, band);
  } catch (const std::bad_alloc&) {
    prompter.ShowMessage("not enough memory for a picture of that size");
    return kRenderWriteFailed;
  }
  const auto start = std::chrono::steady_clock::now();
  sweep->Start(pool);
  bool shown = false;
  while (pool.Running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!errIsTerminal || seconds < ProgressLine::kQuietSeconds) continue;
    err << "\rrows " << sweep->RowsDone() << " of " << band.count << "   " << std::flush;
    shown = true;
  }
  pool.Wait();
  if (shown) err << '\n';

  if (asked.tileIndex) {
    PhaseSpaceTile tile{id, *asked.tileIndex, asked.tileCount, sweep->Values()};
    if (const FileFailure failure = WritePhaseSpaceTile(tile, *request.exportFile)) {
      prompter.ShowMessage(*failure);
      return kRenderWriteFailed;
    }
    return kRenderDone;
  }
  return WriteOutputs(sweep->Values(), id, request, prompter);
}

int MergePhaseSpace(const RenderRequest& request, std::ostream& err) {
  ConsolePrompter prompter(err);
  if (const std::optional<std::string> clash = OutputAmongInputs(request)) {
    prompter.ShowMessage(*clash);
    return kRenderBadArguments;
  }
  PhaseSpaceMerge merge;
  try {
    merge = MergePhaseSpaceTiles(request.grid->mergeFiles);
  } catch (const std::bad_alloc&) {
    prompter.ShowMessage("not enough memory to merge these tiles");
    return kRenderWriteFailed;
  }
  if (!merge.whole) {
    prompter.ShowMessage(merge.error);
    // As for plane tiles: a file that cannot be read is 1, tiles that do not fit are 2.
    return merge.unreadable ? kRenderWriteFailed : kRenderBadArguments;
  }
  return WriteOutputs(merge.whole->values, merge.whole->identity, request, prompter);
}

}  // namespace orbitra
