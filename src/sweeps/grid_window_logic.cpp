// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/grid_window_logic.h"

#include <cmath>

#include "storage/grid_files.h"
#include "sweeps/orbit_diagram_view.h"

namespace orbitra {

namespace {

// The canvas of a sweep window draws its texts at their plain size.
constexpr double kWindowTextScale = 1.0;

bool Range(double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && lo < hi; }

}  // namespace

GridWindowValues PrepareParameterPlaneDialog(const OrbitraState& state) {
  GridWindowValues v;
  v.threads = WorkerPool::DefaultThreads();
  v.settings.colouring = GridColouring::Period;
  v.settings.xParameter = 0;
  v.settings.yParameter = 1;
  v.settings.from = GridViewMapOf(state).initial;
  TakeDefaultAxisRange(v.settings, state.Model, 0);
  TakeDefaultAxisRange(v.settings, state.Model, 1);
  return v;
}

GridWindowValues PrepareBasinsDialog(const OrbitraState& state) {
  GridWindowValues v;
  v.threads = WorkerPool::DefaultThreads();
  v.settings.colouring = GridColouring::Escape;
  v.settings.range = GridViewMapOf(state).xyRange;
  return v;
}

void TakeDefaultAxisRange(GridSettings& s, const MappingModel& model, int axis) {
  const ParameterRange r = DefaultParameterRange(model, axis == 0 ? s.xParameter : s.yParameter);
  (axis == 0 ? s.range.Xmin : s.range.Ymin) = r.lo;
  (axis == 0 ? s.range.Xmax : s.range.Ymax) = r.hi;
}

std::optional<std::string> CheckGridWindowValues(const GridWindowValues& v) {
  const GridSettings& s = v.settings;
  const bool plane = IsParameterPlane(s.colouring);
  if (plane && s.xParameter == s.yParameter) return "The two axes must be two different parameters.";
  if (!Range(s.range.Xmin, s.range.Xmax) || !Range(s.range.Ymin, s.range.Ymax)) {
    return "Each range must go from a lower to a higher value.";
  }
  if (plane && (!std::isfinite(s.from.x) || !std::isfinite(s.from.y))) return "The initial point must be finite.";
  if (s.transient < 0) return "The transient cannot be negative.";
  if (s.longestPeriod < 1 || s.longestPeriod > kMostPeriodLookedFor) {
    return "The longest period must be from 1 to " + std::to_string(kMostPeriodLookedFor) + ".";
  }
  if (s.lyapunovIterations < 1 || s.escapeIterations < 1) return "The iterations must be at least 1.";
  if (!(s.escape > 0.0) || !std::isfinite(s.escape)) return "The escape threshold must be a number above 0.";
  if (v.threads < 1 || v.threads > 1024) return "Threads must be from 1 to 1024.";
  return std::nullopt;
}

GridJob::GridJob(const MappingModel& model, const GridSettings& settings, std::string mapName,
                 const GridPictureLayout& layout, std::optional<MapParameters> parameters)
    : sweep_(std::make_unique<GridSweep>(model, settings, RowBand{0, settings.height})),
      mapName_(std::move(mapName)),
      layout_(layout),
      parameters_(std::move(parameters)) {}

std::string GridJob::WorkName() const {
  return IsParameterPlane(Values().settings.colouring) ? "Parameter plane" : "Basins";
}

void GridJob::DrawFrame(Canvas& canvas) {
  DrawGridView(canvas, Values(), mapName_, &Shown(), parameters_ ? &*parameters_ : nullptr);
}

void GridJob::DrawUnit(Canvas& canvas, std::int64_t /*unit*/) const {
  // The scales and the legend depend on every row shown, so the picture is drawn whole,
  // once for all the rows that came in since the last poll.
  if (sweep_->TakeFinished().empty()) return;
  DrawGridView(canvas, Values(), mapName_, &Shown(), parameters_ ? &*parameters_ : nullptr);
}

void GridJob::DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& /*done*/) const {
  // The rows shown are the finished ones, as in the window.
  DrawGridView(canvas, Values(), mapName_, &Shown(), parameters_ ? &*parameters_ : nullptr);
}

GridWindowLogic::GridWindowLogic(OrbitraState& state, Prompter& prompter, const GridWindowValues& values)
    : SweepViewOf<GridSettings>(values.settings, values.threads),
      state_(state),
      prompter_(prompter),
      threads_(values.threads),
      map_(GridViewMapOf(state)) {}

GridWindowLogic::GridWindowLogic(OrbitraState& state, Prompter& prompter, SavedGridWindow saved, GridViewMap map)
    : SweepViewOf<GridSettings>(ViewHistory<GridSettings>(saved.history, saved.current), saved.threads),
      state_(state),
      prompter_(prompter),
      threads_(saved.threads),
      map_(std::move(map)) {
  ExpectSaved(saved.width, saved.height);
  saved_ = std::move(saved);
}

SavedGridWindow GridWindowLogic::Saved() const {
  SavedGridWindow saved;
  saved.threads = threads_;
  saved.history = History().Views();
  saved.current = History().CurrentIndex();
  saved.width = Shown().Width();
  saved.height = Shown().Height();
  if (job_ == nullptr) return saved;
  saved.unitsDone = Runner().UnitsDone();
  saved.grid = job_->FinishedValues(saved.unitsDone);
  return saved;
}

std::vector<std::uint8_t> GridWindowLogic::LoadSaved(SweepJob& job) {
  std::optional<SavedGridWindow> saved = std::move(saved_);
  saved_.reset();
  if (!saved || !static_cast<GridJob&>(job).Restore(saved->grid, saved->unitsDone)) return {};
  return std::move(saved->unitsDone);
}

std::string GridWindowLogic::WindowTitle() const {
  return (IsParameterPlane(CurrentView().colouring) ? "Parameter Plane - " : "Basins - ") + map_.name;
}

std::unique_ptr<SweepJob> GridWindowLogic::MakeJob(int width, int height) {
  const GridPictureLayout layout = LayoutGridPicture(width, height, kWindowTextScale);
  GridSettings s = CurrentView();
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  auto job = std::make_unique<GridJob>(map_.model, s, map_.name, layout, map_.parameters);
  job_ = job.get();
  return job;
}

std::optional<GridSettings> GridWindowLogic::Zoomed(int x0, int y0, int x1, int y1) const {
  if (job_ == nullptr) return std::nullopt;
  const std::optional<WorldRange> range = ZoomedGridRange(job_->Values().settings, job_->Layout(), x0, y0, x1, y1);
  if (!range) return std::nullopt;
  GridSettings s = CurrentView();
  s.range = *range;
  return s;
}

std::string GridWindowLogic::PointerText(int px, int py) const {
  if (job_ == nullptr) return {};
  const std::optional<GridCell> cell = GridCellAt(job_->Layout(), px, py);
  if (!cell) return {};
  const GridValues& grid = job_->Values();
  if (grid.settings.colouring != GridColouring::Attractor) {
    return GridPixelText(grid, cell->column, cell->row, {}, &job_->Shown());
  }
  const GridPalette palette(grid, &job_->Shown());
  return GridPixelText(grid, cell->column, cell->row, palette.AttractorLabels(), &job_->Shown());
}

Invalidation GridWindowLogic::Click(int px, int py) {
  if (job_ == nullptr) return Invalidation::None;
  const std::optional<GridCell> cell = GridCellAt(job_->Layout(), px, py);
  if (!cell) return Invalidation::None;
  if (state_.Model.system != map_.model.system) {
    prompter_.ShowMessage(kGridOtherMap);
    return Invalidation::None;
  }
  const GridSettings& s = job_->Values().settings;
  if (IsParameterPlane(s.colouring)) return ApplyParameterPlaneClick(state_, prompter_, s, *cell);
  return ApplyBasinsClick(state_, s, *cell);
}

FileFailure GridWindowLogic::Export(const std::filesystem::path& file) const {
  if (job_ == nullptr || !Runner().Complete()) return std::string(kGridExportIncomplete);
  return WriteGridExport(job_->Values(), file);
}

}  // namespace orbitra
