// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/orbit_diagram_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "explorer/selection_dialog_logic.h"
#include "maps/system_catalogue.h"
#include "storage/diagram_counts_file.h"

namespace orbitra {

namespace {

constexpr const char* kParameterNames[] = {"k1", "k2", "k3", "k4"};
constexpr const char* kCoordinateNames[] = {"x", "y"};

double ParameterOf(const MappingModel& m, int parameter) noexcept {
  const double k[] = {m.k1, m.k2, m.k3, m.k4};
  return k[std::clamp(parameter, 0, 3)];
}

}  // namespace

OrbitDiagramValues PrepareOrbitDiagramDialog(const OrbitraState& state) {
  OrbitDiagramValues v;
  v.box = state.Boxes.XYBox.GetRange();
  v.initial = WorldPoint{state.Run.InitialPoint.x, state.Run.InitialPoint.y};
  v.threads = WorkerPool::DefaultThreads();
  TakeDefaultParameterRange(v, state.Model);
  TakeDefaultCoordinateRange(v);
  return v;
}

void TakeDefaultCoordinateRange(OrbitDiagramValues& values) {
  const bool y = values.view.coordinate == 1;
  values.view.coordinateMin = y ? values.box.Ymin : values.box.Xmin;
  values.view.coordinateMax = y ? values.box.Ymax : values.box.Xmax;
}

ParameterRange DefaultParameterRange(const MappingModel& model, int parameter) {
  const double k = ParameterOf(model, parameter);
  return {k == 0.0 ? 0.0 : std::min(0.0, k), k == 0.0 ? 1.0 : std::max(0.0, k)};
}

void TakeDefaultParameterRange(OrbitDiagramValues& values, const MappingModel& model) {
  const ParameterRange range = DefaultParameterRange(model, values.view.parameter);
  values.view.parameterMin = range.lo;
  values.view.parameterMax = range.hi;
}

std::optional<std::string> CheckOrbitDiagramValues(const OrbitDiagramValues& v) {
  const auto range = [](double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && lo < hi; };
  if (!range(v.view.parameterMin, v.view.parameterMax)) return "The parameter's range must go from a lower to a higher value.";
  if (!range(v.view.coordinateMin, v.view.coordinateMax)) return "The coordinate's range must go from a lower to a higher value.";
  if (v.view.transient < 0) return "The transient cannot be negative.";
  if (v.view.points < 1) return "At least one point per column must be plotted.";
  if (!std::isfinite(v.initial.x) || !std::isfinite(v.initial.y)) return "The initial point must be finite.";
  if (v.threads < 1 || v.threads > 1024) return "Threads must be from 1 to 1024.";
  return std::nullopt;
}

DiagramMap DiagramMapOf(OrbitraState& state) {
  DiagramMap map{state.Model, std::nullopt, {}};
  if (const UserMap* user = state.UserMaps.OfSystem(state.Model.system)) {
    map.definition = user->definition;
    map.lanes = state.CompiledMaps.Lanes(state.Model);
  }
  return map;
}

std::string MapNameOf(const OrbitraState& state) { return std::string(SystemName(state.UserMaps, state.Model.system)); }

std::string OrbitDiagramTitle(const std::string& mapName, const OrbitDiagramView& view) {
  return mapName + ": " + kCoordinateNames[view.coordinate == 1 ? 1 : 0] + " against " +
         kParameterNames[std::clamp(view.parameter, 0, 3)];
}

OrbitDiagramJob::OrbitDiagramJob(DiagramMap map, const OrbitDiagramSettings& settings, DiagramShading shading,
                                 std::string title, int width, int height)
    : layout_(LayOutDiagram(width, height, settings.view)),
      diagram_(std::move(map), settings, layout_.columns, layout_.rows),
      shading_(shading),
      title_(std::move(title)) {}

std::int64_t OrbitDiagramJob::UnitItems(std::int64_t unit) const {
  return diagram_.EndColumn(unit) - diagram_.FirstColumn(unit);
}

double OrbitDiagramJob::WorkDone() const {
  std::int64_t all = 0;
  for (std::int64_t u = 0; u < diagram_.Units(); ++u) all += diagram_.UnitIterations(u);
  return all > 0 ? static_cast<double>(diagram_.IterationsRun()) / static_cast<double>(all) : -1.0;
}

std::vector<std::uint8_t> OrbitDiagramJob::ColumnsDone(const std::vector<std::uint8_t>& unitsDone) const {
  std::vector<std::uint8_t> columns(static_cast<std::size_t>(diagram_.Columns()), 0);
  for (std::size_t u = 0; u < unitsDone.size(); ++u) {
    if (unitsDone[u] == 0) continue;
    const auto unit = static_cast<std::int64_t>(u);
    for (int c = diagram_.FirstColumn(unit); c < diagram_.EndColumn(unit); ++c) columns[static_cast<std::size_t>(c)] = 1;
  }
  return columns;
}

std::string OrbitDiagramJob::Remarks(const std::vector<std::uint8_t>& done) const {
  const std::vector<std::uint8_t> columns = ColumnsDone(done);
  std::int64_t escaped = 0;
  for (int c = 0; c < diagram_.Columns(); ++c) escaped += columns[static_cast<std::size_t>(c)] != 0 && diagram_.Escaped(c);
  if (escaped == 0) return {};
  return std::to_string(escaped) + (escaped == 1 ? " column escaped" : " columns escaped");
}

void OrbitDiagramJob::DrawFrame(Canvas& canvas) {
  const OrbitDiagramView& view = diagram_.Settings().view;
  DrawDiagramFrame(canvas, layout_, title_, kParameterNames[std::clamp(view.parameter, 0, 3)],
                   kCoordinateNames[view.coordinate == 1 ? 1 : 0], subtitle_);
}

void OrbitDiagramJob::DrawUnit(Canvas& canvas, std::int64_t unit) const {
  DrawDiagramColumns(canvas, layout_, diagram_, diagram_.FirstColumn(unit), diagram_.EndColumn(unit), shading_);
}

void OrbitDiagramJob::DrawOverlay(Canvas& canvas) const {
  if (marker_) DrawDiagramMarker(canvas, layout_, diagram_, *marker_);
}

void OrbitDiagramJob::DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const {
  const OrbitDiagramView& view = diagram_.Settings().view;
  DiagramLayout layout = LayOutDiagram(canvas.Width(), canvas.Height(), view, canvas.TextScale());
  DrawDiagramFrame(canvas, layout, title_, kParameterNames[std::clamp(view.parameter, 0, 3)],
                   kCoordinateNames[view.coordinate == 1 ? 1 : 0], subtitle_);
  for (std::size_t u = 0; u < done.size(); ++u) {
    if (done[u] == 0) continue;
    const auto unit = static_cast<std::int64_t>(u);
    DrawDiagramColumns(canvas, layout, diagram_, diagram_.FirstColumn(unit), diagram_.EndColumn(unit), shading_);
  }
  if (marker_) DrawDiagramMarker(canvas, layout, diagram_, *marker_);
}

std::unique_ptr<OrbitDiagramJob> MakeOrbitDiagramJob(const DiagramMap& map, const std::string& mapName,
                                                     const OrbitDiagramValues& values, const OrbitDiagramView& view,
                                                     double infinity, int width, int height,
                                                     const std::optional<MapParameters>& parameters) {
  OrbitDiagramSettings settings;
  settings.view = view;
  settings.initial = values.initial;
  settings.carry = values.carry != 0;
  settings.infinity = infinity;
  auto job = std::make_unique<OrbitDiagramJob>(map, settings, static_cast<DiagramShading>(values.shading == 1 ? 1 : 0),
                                               OrbitDiagramTitle(mapName, view), width, height);
  if (parameters) job->SetSubtitle(FixedParametersText(*parameters, view.parameter));
  return job;
}

std::optional<double> ExplorerParameter(const OrbitraState& state, int system, int parameter) {
  if (state.Model.system != system) return std::nullopt;
  return ParameterOf(state.Model, parameter);
}

OrbitDiagramWindowLogic::OrbitDiagramWindowLogic(OrbitraState& state, Prompter& prompter,
                                                 const OrbitDiagramValues& values)
    : SweepViewOf<OrbitDiagramView>(values.view, values.threads),
      state_(state),
      prompter_(prompter),
      values_(values),
      map_(DiagramMapOf(state)),
      mapName_(MapNameOf(state)),
      parameters_(MapParametersOf(state)) {}

OrbitDiagramWindowLogic::OrbitDiagramWindowLogic(OrbitraState& state, Prompter& prompter, SavedDiagramWindow saved,
                                                 DiagramMap map, std::string mapName, MapParameters parameters)
    : SweepViewOf<OrbitDiagramView>(ViewHistory<OrbitDiagramView>(saved.history, saved.current), saved.values.threads),
      state_(state),
      prompter_(prompter),
      values_(saved.values),
      map_(std::move(map)),
      mapName_(std::move(mapName)),
      parameters_(parameters) {
  ExpectSaved(saved.width, saved.height);
  saved_ = std::move(saved);
}

SavedDiagramWindow OrbitDiagramWindowLogic::Saved() const {
  SavedDiagramWindow saved;
  saved.values = values_;
  saved.history = History().Views();
  saved.current = History().CurrentIndex();
  saved.width = Shown().Width();
  saved.height = Shown().Height();
  if (job_ == nullptr) return saved;
  const OrbitDiagram& diagram = job_->Diagram();
  saved.unitsDone = Runner().UnitsDone();
  const std::vector<std::uint8_t> columns = job_->ColumnsDone(saved.unitsDone);
  saved.counts.assign(diagram.Counts().size(), 0u);
  saved.escaped.assign(columns.size(), 0);
  for (int c = 0; c < diagram.Columns(); ++c) {
    if (columns[static_cast<std::size_t>(c)] == 0) continue;
    std::copy(diagram.Column(c), diagram.Column(c) + diagram.Rows(),
              saved.counts.begin() + static_cast<std::ptrdiff_t>(c) * diagram.Rows());
    saved.escaped[static_cast<std::size_t>(c)] = diagram.Escaped(c) ? 1 : 0;
  }
  return saved;
}

std::vector<std::uint8_t> OrbitDiagramWindowLogic::LoadSaved(SweepJob& job) {
  std::optional<SavedDiagramWindow> saved = std::move(saved_);
  saved_.reset();
  auto& diagram = static_cast<OrbitDiagramJob&>(job);
  if (!saved || !diagram.RestoreNumbers(saved->counts, saved->escaped)) return {};
  return std::move(saved->unitsDone);
}

std::string OrbitDiagramWindowLogic::WindowTitle() const { return "Orbit Diagram - " + mapName_; }

std::unique_ptr<SweepJob> OrbitDiagramWindowLogic::MakeJob(int width, int height) {
  std::unique_ptr<OrbitDiagramJob> job = MakeOrbitDiagramJob(map_, mapName_, values_, CurrentView(),
                                                             state_.Run.Settings.InfinityValue, width, height,
                                                             parameters_);
  job->SetMarker(ExplorerParameter(state_, map_.model.system, CurrentView().parameter));
  job_ = job.get();
  return job;
}

std::optional<OrbitDiagramView> OrbitDiagramWindowLogic::Zoomed(int x0, int y0, int x1, int y1) const {
  if (job_ == nullptr) return std::nullopt;
  const DiagramLayout& layout = job_->Layout();
  int c0 = 0, r0 = 0, c1 = 0, r1 = 0;
  layout.CellAt(x0, y1, c0, r0);  // left, bottom
  layout.CellAt(x1, y0, c1, r1);  // right, top
  c0 = std::clamp(c0, 0, layout.columns - 1);
  c1 = std::clamp(c1, 0, layout.columns - 1);
  r0 = std::clamp(r0, 0, layout.rows - 1);
  r1 = std::clamp(r1, 0, layout.rows - 1);
  if (c1 <= c0 || r1 <= r0) return std::nullopt;
  // The region the cells cover, edges included, in double: deep zooms keep their digits.
  OrbitDiagramView view = CurrentView();
  const double dp = (view.parameterMax - view.parameterMin) / layout.columns;
  const double dc = (view.coordinateMax - view.coordinateMin) / layout.rows;
  const double p0 = view.parameterMin;
  const double q0 = view.coordinateMin;
  view.parameterMin = p0 + c0 * dp;
  view.parameterMax = c1 + 1 == layout.columns ? view.parameterMax : p0 + (c1 + 1) * dp;
  view.coordinateMin = q0 + r0 * dc;
  view.coordinateMax = r1 + 1 == layout.rows ? view.coordinateMax : q0 + (r1 + 1) * dc;
  if (!DiagramViewUsable(view)) return std::nullopt;
  return view;
}

Invalidation OrbitDiagramWindowLogic::Click(int px, int py) {
  if (job_ == nullptr) return Invalidation::None;
  int column = 0, row = 0;
  if (!job_->Layout().CellAt(px, py, column, row)) return Invalidation::None;
  if (state_.Model.system != map_.model.system) {
    prompter_.ShowMessage(kDiagramOtherMap);
    return Invalidation::None;
  }
  // As if typed into "Mapping System Selection": the other parameters stay.
  SelectionDialogValues selection = PrepareSelectionDialog(state_);
  double* const k[] = {&selection.k1, &selection.k2, &selection.k3, &selection.k4};
  const int parameter = std::clamp(CurrentView().parameter, 0, 3);
  const double value = job_->Diagram().ParameterAt(column);
  *k[parameter] = value;
  // What the click does, before the explorer's own question about its stored points.
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", value);
  if (prompter_.AskYesNo(std::string("Set ") + kParameterNames[parameter] + " = " + text + " in the explorer?") !=
      Answer::Yes) {
    return Invalidation::None;
  }
  const Invalidation repaint = ApplySelectionDialog(state_, prompter_, selection);
  ExplorerChanged();
  return repaint;
}

std::string OrbitDiagramWindowLogic::PointerText(int px, int py) const {
  if (job_ == nullptr) return {};
  int column = 0, row = 0;
  if (!job_->Layout().CellAt(px, py, column, row)) return {};
  const OrbitDiagram& diagram = job_->Diagram();
  if (column >= diagram.Columns() || row >= diagram.Rows()) return {};
  const OrbitDiagramView& view = diagram.Settings().view;
  char text[160];
  std::snprintf(text, sizeof text, "%s = %.6g, %s = %.6g: ", kParameterNames[std::clamp(view.parameter, 0, 3)],
                diagram.ParameterAt(column), kCoordinateNames[view.coordinate == 1 ? 1 : 0], diagram.CoordinateAt(row));
  const std::vector<std::uint8_t>& units = Runner().UnitsDone();
  const auto unit = static_cast<std::size_t>(column / kDiagramUnitColumns);
  if (unit >= units.size() || units[unit] == 0) return text + std::string("not computed yet");
  if (diagram.Escaped(column)) return text + std::string("escaped");
  return text + std::to_string(diagram.Count(column, row)) + " of " + std::to_string(view.points) +
         " points in this pixel";
}

void OrbitDiagramWindowLogic::ExplorerChanged() {
  if (job_ == nullptr) return;
  job_->SetMarker(ExplorerParameter(state_, map_.model.system, CurrentView().parameter));
  RefreshOverlay();
}

FileFailure OrbitDiagramWindowLogic::ExportCounts(const std::filesystem::path& file) const {
  if (job_ == nullptr) return std::nullopt;
  return WriteDiagramCounts(file, job_->Diagram(), job_->ColumnsDone(Runner().UnitsDone()));
}

}  // namespace orbitra
