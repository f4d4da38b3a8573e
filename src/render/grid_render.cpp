// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/grid_render.h"

#include <chrono>
#include <memory>
#include <new>

#include "analysis/grid_sweep.h"
#include "platform/worker_pool.h"
#include "render/console_prompter.h"
#include "render/picture_file.h"
#include "render/progress_line.h"
#include "render/render_canvas.h"
#include "render/render_workspace.h"
#include "render/render_program.h"
#include "render/thread_note.h"
#include "storage/grid_files.h"
#include "sweeps/grid_view.h"
#include "sweeps/grid_window_logic.h"

namespace orbitra {

namespace {

// Waits for the sweep's end; on a terminal, a progress line once the work has taken a
// second, rewritten twice a second.
void WaitWithProgress(WorkerPool& pool, const GridSweep& sweep, std::ostream& err, bool errIsTerminal) {
  const auto start = std::chrono::steady_clock::now();
  bool shown = false;
  while (pool.Running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!errIsTerminal || seconds < ProgressLine::kQuietSeconds) continue;
    err << '\r' << GridProgressText(sweep.Values(), sweep.PixelsDone(), seconds) << "   " << std::flush;
    shown = true;
  }
  pool.Wait();
  if (shown) err << '\n';
}

int WritePictureAndExport(const GridValues& grid, const GridIdentity& identity, const RenderRequest& request,
                          Prompter& prompter) {
  int status = kRenderDone;
  if (request.png) {
    const RenderCanvas picture(identity.pictureWidth, identity.pictureHeight, identity.textScale);
    if (!picture.canvas) {
      prompter.ShowMessage(picture.failure);
      return kRenderWriteFailed;
    }
    const MapParameters parameters = MapParametersNamed(identity.mapName, identity.k);
    DrawGridView(*picture.canvas, grid, identity.mapName, nullptr, &parameters);
    if (const FileFailure failure = WritePicture(*picture.canvas, *request.png)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  if (request.exportFile) {
    if (const FileFailure failure = WriteGridExport(grid, *request.exportFile)) {
      prompter.ShowMessage(*failure);
      status = kRenderWriteFailed;
    }
  }
  return status;
}

int Merge(const RenderRequest& request, Prompter& prompter) {
  if (const std::optional<std::string> clash = OutputAmongInputs(request)) {
    prompter.ShowMessage(*clash);
    return kRenderBadArguments;
  }
  GridMerge merge;
  try {
    merge = MergeGridTiles(request.grid->mergeFiles);
  } catch (const std::bad_alloc&) {
    prompter.ShowMessage("not enough memory to merge these tiles");
    return kRenderWriteFailed;
  }
  if (!merge.whole) {
    prompter.ShowMessage(merge.error);
    return merge.unreadable ? kRenderWriteFailed : kRenderBadArguments;
  }
  return WritePictureAndExport(merge.whole->values, merge.whole->identity, request, prompter);
}

}  // namespace

int RenderGrid(const RenderRequest& request, std::ostream& err, bool errIsTerminal) {
  ConsolePrompter prompter(err);
  const GridRequest& asked = *request.grid;
  if (!asked.mergeFiles.empty()) return Merge(request, prompter);

  const std::unique_ptr<RenderWorkspace> work = RenderWorkspace::Open(request.interpreted, prompter);
  if (!work) return kRenderWriteFailed;
  OrbitraState& state = work->State();
  if (!SelectRenderJobMap(state, request.job, prompter)) return kRenderWriteFailed;
  const GridViewMap map = GridViewMapOf(state);

  GridSettings s = asked.settings;
  if (IsParameterPlane(s.colouring) && !asked.fromGiven) s.from = map.initial;
  if (!IsParameterPlane(s.colouring) && !request.job.range) s.range = map.xyRange;
  const GridPictureLayout layout =
      LayoutGridPicture(request.picture.width, request.picture.height, request.picture.textScale);
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  const GridIdentity identity{map.name,
                              {map.model.k1, map.model.k2, map.model.k3, map.model.k4},
                              request.picture.width,
                              request.picture.height,
                              request.picture.textScale};

  const RowBand band = asked.tileIndex ? TileRows(s.height, *asked.tileIndex, asked.tileCount) : RowBand{0, s.height};
  std::unique_ptr<GridSweep> sweep;
  try {
    sweep = std::make_unique<GridSweep>(map.model, s, band);
  } catch (const std::bad_alloc&) {
    prompter.ShowMessage("not enough memory for a grid of that size");
    return kRenderWriteFailed;
  }
  WorkerPool pool(request.threads.value_or(0));
  if (pool.Threads() < pool.RequestedThreads()) prompter.ShowMessage(FewerThreadsNote(pool.Threads(), pool.RequestedThreads()));
  sweep->Start(pool);
  WaitWithProgress(pool, *sweep, err, errIsTerminal);

  if (asked.tileIndex) {
    const GridTile tile{identity, *asked.tileIndex, asked.tileCount, sweep->Values()};
    if (const FileFailure failure = WriteGridTile(tile, *request.exportFile)) {
      prompter.ShowMessage(*failure);
      return kRenderWriteFailed;
    }
    return kRenderDone;
  }
  int status = WritePictureAndExport(sweep->Values(), identity, request, prompter);
  if (request.saveSession) {
    // The session holds the plane as its window would: a view made from the numbers.
    SavedGridWindow saved;
    saved.threads = request.threads.value_or(WorkerPool::DefaultThreads());
    saved.history = {s};
    saved.width = request.picture.width;
    saved.height = request.picture.height;
    saved.unitsDone.assign(static_cast<std::size_t>(sweep->Units()), 1);
    saved.grid = sweep->Values();
    GridWindowLogic view(state, prompter, std::move(saved), map);
    if (!SaveSessionWithView(state, prompter, *request.saveSession, view, request.picture.width,
                             request.picture.height)) {
      status = kRenderWriteFailed;
    }
  }
  return status;
}

std::optional<std::string> OutputAmongInputs(const RenderRequest& request) {
  for (const std::optional<std::filesystem::path>& output : {request.png, request.exportFile}) {
    if (!output) continue;
    for (const std::filesystem::path& input : request.grid->mergeFiles) {
      std::error_code ec;
      if (std::filesystem::equivalent(*output, input, ec) && !ec) {
        return "the output \"" + output->string() + "\" is one of the tiles to merge";
      }
    }
  }
  return std::nullopt;
}

}  // namespace orbitra
