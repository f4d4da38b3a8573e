// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/phase_space_view.h"

#include "maps/user_map_evaluator.h"
#include "plot/phase_space_picture.h"
#include "sweeps/grid_window_logic.h"
#include "storage/phase_space_files.h"

namespace orbitra {

namespace {
constexpr double kWindowTextScale = 1.0;
}  // namespace

std::string PhaseSpaceTitle(const std::string& mapName, const PhaseSpaceSettings& s) {
  switch (s.colouring) {
    case PhaseColouring::Fli: return mapName + ": phase space by FLI";
    case PhaseColouring::Megno: return mapName + ": phase space by MEGNO";
    case PhaseColouring::Lyapunov: return mapName + ": phase space by \xCE\xBB" "1";
    case PhaseColouring::Rotation: return mapName + ": phase space by rotation number";
  }
  return mapName;
}

PhaseSpaceSettings PhaseSpaceSettingsFor(const GridViewMap& map, PhaseColouring colouring, WorkerPool& pool) {
  PhaseSpaceSettings s;
  s.colouring = colouring;
  s.range = map.xyRange;
  TakeMapGeometry(map.model, s, pool);
  return s;
}

void DrawPhaseSpaceView(Canvas& canvas, const PhaseSpaceValues& values, const std::string& mapName) {
  canvas.Clear(kWhite);
  DrawPhaseSpacePicture(canvas, values, PhaseSpaceTitle(mapName, values.settings));
}

PhaseSpaceJob::PhaseSpaceJob(const MappingModel& model, const PhaseSpaceSettings& settings, std::string mapName,
                             const GridPictureLayout& layout)
    : model_(model), values_(settings, RowBand{0, settings.height}),
      finished_(static_cast<std::size_t>(settings.height), 0), mapName_(std::move(mapName)), layout_(layout),
      oneAtATime_(model.routine == &UserMapRoutine && !(model.userMap && model.userMap->Native())) {}

bool PhaseSpaceJob::ComputeUnit(std::int64_t unit, std::stop_token stop) {
  if (stop.stop_requested()) return false;
  std::unique_lock<std::mutex> lock(evaluate_, std::defer_lock);
  if (oneAtATime_) lock.lock();
  ComputePhaseSpaceRow(model_, values_, static_cast<std::int32_t>(unit), &pixelsDone_);
  finished_[static_cast<std::size_t>(unit)] = 1;
  return true;
}

void PhaseSpaceJob::DrawFrame(Canvas& canvas) {
  PhaseSpaceValues none(values_.settings, RowBand{0, 0});
  DrawPhaseSpaceView(canvas, none, mapName_);
}

void PhaseSpaceJob::DrawUnit(Canvas& canvas, std::int64_t unit) const {
  // Only the finished row: its pixels are written by its unit alone.
  const PhaseScale scale = ScaleOf(values_.settings);
  const auto r = static_cast<std::int32_t>(unit);
  if (r >= layout_.gridHeight) return;
  for (std::int32_t c = 0; c < values_.settings.width && c < layout_.gridWidth; ++c) {
    canvas.SetPixel(layout_.PixelX(c), layout_.PixelY(r), PhaseColour(scale, values_.value[values_.Index(c, r)]));
  }
}

void PhaseSpaceJob::DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const {
  // The finished rows only: a copy of their values, every other pixel not done.
  PhaseSpaceValues finished(values_.settings, values_.rows);
  for (std::int32_t r = 0; r < values_.rows.count && static_cast<std::size_t>(r) < done.size(); ++r) {
    if (done[static_cast<std::size_t>(r)] == 0) continue;
    const std::size_t first = values_.Index(0, values_.rows.first + r);
    const std::size_t end = first + static_cast<std::size_t>(values_.settings.width);
    std::copy(values_.value.begin() + static_cast<std::ptrdiff_t>(first), values_.value.begin() + static_cast<std::ptrdiff_t>(end),
              finished.value.begin() + static_cast<std::ptrdiff_t>(first));
    std::copy(values_.done.begin() + static_cast<std::ptrdiff_t>(first), values_.done.begin() + static_cast<std::ptrdiff_t>(end),
              finished.done.begin() + static_cast<std::ptrdiff_t>(first));
  }
  DrawPhaseSpacePicture(canvas, finished, PhaseSpaceTitle(mapName_, values_.settings));
}

PhaseSpaceWindowLogic::PhaseSpaceWindowLogic(OrbitraState& state, Prompter& prompter,
                                             const PhaseSpaceSettings& settings, int threads)
    : SweepViewOf<PhaseSpaceSettings>(settings, threads), state_(state), prompter_(prompter),
      map_(GridViewMapOf(state)) {}

std::string PhaseSpaceWindowLogic::WindowTitle() const { return "Phase Space - " + map_.name; }

std::unique_ptr<SweepJob> PhaseSpaceWindowLogic::MakeJob(int width, int height) {
  const GridPictureLayout layout = LayoutGridPicture(width, height, kWindowTextScale);
  PhaseSpaceSettings s = CurrentView();
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  auto job = std::make_unique<PhaseSpaceJob>(map_.model, s, map_.name, layout);
  job_ = job.get();
  return job;
}

GridSettings PhaseSpaceWindowLogic::AsGrid() const {
  GridSettings g;
  g.colouring = GridColouring::Escape;
  g.range = job_->Values().settings.range;
  g.width = job_->Values().settings.width;
  g.height = job_->Values().settings.height;
  return g;
}

std::optional<PhaseSpaceSettings> PhaseSpaceWindowLogic::Zoomed(int x0, int y0, int x1, int y1) const {
  if (job_ == nullptr) return std::nullopt;
  const std::optional<WorldRange> range = ZoomedGridRange(AsGrid(), job_->Layout(), x0, y0, x1, y1);
  if (!range) return std::nullopt;
  PhaseSpaceSettings s = CurrentView();
  s.range = *range;
  return s;
}

std::string PhaseSpaceWindowLogic::PointerText(int px, int py) const {
  if (job_ == nullptr) return {};
  const std::optional<GridCell> cell = GridCellAt(job_->Layout(), px, py);
  if (!cell) return {};
  return PhaseSpacePixelText(job_->Values(), cell->column, cell->row);
}

Invalidation PhaseSpaceWindowLogic::Click(int px, int py) {
  if (job_ == nullptr) return Invalidation::None;
  const std::optional<GridCell> cell = GridCellAt(job_->Layout(), px, py);
  if (!cell) return Invalidation::None;
  if (state_.Model.system != map_.model.system) {
    prompter_.ShowMessage(kGridOtherMap);
    return Invalidation::None;
  }
  return ApplyBasinsClick(state_, AsGrid(), *cell);
}

FileFailure PhaseSpaceWindowLogic::Export(const std::filesystem::path& file) const {
  if (job_ == nullptr || !Runner().Complete()) return std::string(kGridExportIncomplete);
  return WritePhaseSpaceExport(job_->Values(), file);
}

}  // namespace orbitra
