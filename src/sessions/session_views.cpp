// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessions/session_views.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "analysis/grid_sweep.h"
#include "maps/mapping_catalogue.h"
#include "maps/system_catalogue.h"
#include "plot/grid_picture.h"
#include "plot/orbit_diagram_picture.h"

namespace orbitra {

namespace {

constexpr const char* kDiagramKind = "orbit_diagram";
constexpr const char* kPlaneKind = "parameter_plane";
constexpr const char* kBasinsKind = "basins";
// The canvas of a sweep window draws its texts at their plain size (as GridWindowLogic).
constexpr double kWindowTextScale = 1.0;
constexpr int kLargestPicture = 16384;

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? "\n" : "") + lines[i];
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Reads named values of one group of attributes; the first missing, wrongly typed or
// out-of-range one is the problem.
class Reader {
 public:
  Reader(const SessionAttributes& attributes, std::string path, std::string& problem)
      : attributes_(attributes), path_(std::move(path)), problem_(problem) {}
  bool Ok() const { return problem_.empty(); }
  void Fail(const std::string& why) {
    if (problem_.empty()) problem_ = why;
  }
  std::int64_t Int(const char* name, std::int64_t lo, std::int64_t hi) {
    const SessionValue* v = Find(name);
    const auto* i = v == nullptr ? nullptr : std::get_if<std::int64_t>(v);
    if (v != nullptr && (i == nullptr || *i < lo || *i > hi)) {
      Fail(Where(name) + " is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    }
    return i != nullptr && Ok() ? *i : lo;
  }
  double Double(const char* name) {
    const SessionValue* v = Find(name);
    const auto* d = v == nullptr ? nullptr : std::get_if<double>(v);
    if (v != nullptr && d == nullptr) Fail(Where(name) + " is not a number");
    return d != nullptr ? *d : 0.0;
  }
  std::string Text(const char* name) {
    const SessionValue* v = Find(name);
    const auto* s = v == nullptr ? nullptr : std::get_if<std::string>(v);
    if (v != nullptr && s == nullptr) Fail(Where(name) + " is not a text");
    return s != nullptr ? *s : std::string();
  }
  bool Has(const char* name) const { return attributes_.contains(name); }
  std::string Where(const std::string& name) const { return "\"" + path_ + "/" + name + "\""; }

 private:
  const SessionValue* Find(const char* name) {
    if (!Ok()) return nullptr;
    const auto it = attributes_.find(name);
    if (it == attributes_.end()) {
      Fail(Where(name) + " is missing");
      return nullptr;
    }
    return &it->second;
  }

  const SessionAttributes& attributes_;
  std::string path_;
  std::string& problem_;
};

void PutMap(SessionAttributes& a, const MappingModel& model, const std::string& name,
            const UserMapDefinition* typed) {
  a["map_system"] = std::int64_t{model.system};
  a["map_name"] = name;
  a["map_k1"] = model.k1;
  a["map_k2"] = model.k2;
  a["map_k3"] = model.k3;
  a["map_k4"] = model.k4;
  if (typed != nullptr) {
    a["map_x_formula"] = typed->xFormula;
    a["map_y_formula"] = typed->yFormula;
    a["map_helpers"] = JoinLines(typed->helpers);
  }
}

SavedViewMap GetMap(Reader& r) {
  SavedViewMap m;
  m.system = static_cast<int>(r.Int("map_system", kFirstSystem, kFirstUserSystem + kMaxUserMaps - 1));
  m.name = r.Text("map_name");
  m.k[0] = r.Double("map_k1");
  m.k[1] = r.Double("map_k2");
  m.k[2] = r.Double("map_k3");
  m.k[3] = r.Double("map_k4");
  if (m.system >= kFirstUserSystem) {
    UserMapDefinition d;
    d.name = m.name;
    d.xFormula = r.Text("map_x_formula");
    d.yFormula = r.Text("map_y_formula");
    d.helpers = SplitLines(r.Text("map_helpers"));
    m.typed = std::move(d);
  }
  return m;
}

SessionAttributes DiagramViewAttributes(const OrbitDiagramView& v) {
  return {{"parameter", std::int64_t{v.parameter}},   {"parameter_min", v.parameterMin},
          {"parameter_max", v.parameterMax},           {"coordinate", std::int64_t{v.coordinate}},
          {"coordinate_min", v.coordinateMin},         {"coordinate_max", v.coordinateMax},
          {"transient", std::int64_t{v.transient}},    {"points", std::int64_t{v.points}}};
}

OrbitDiagramView GetDiagramView(Reader& r) {
  OrbitDiagramView v;
  v.parameter = static_cast<int>(r.Int("parameter", 0, 3));
  v.parameterMin = r.Double("parameter_min");
  v.parameterMax = r.Double("parameter_max");
  v.coordinate = static_cast<int>(r.Int("coordinate", 0, 1));
  v.coordinateMin = r.Double("coordinate_min");
  v.coordinateMax = r.Double("coordinate_max");
  v.transient = static_cast<std::int32_t>(r.Int("transient", 0, std::numeric_limits<std::int32_t>::max()));
  v.points = static_cast<std::int32_t>(r.Int("points", 1, std::numeric_limits<std::int32_t>::max()));
  return v;
}

SessionAttributes GridViewAttributes(const GridSettings& s) {
  return {{"colouring", std::int64_t{static_cast<int>(s.colouring)}},
          {"x_parameter", std::int64_t{s.xParameter}},
          {"y_parameter", std::int64_t{s.yParameter}},
          {"xmin", s.range.Xmin},
          {"xmax", s.range.Xmax},
          {"ymin", s.range.Ymin},
          {"ymax", s.range.Ymax},
          {"from_x", s.from.x},
          {"from_y", s.from.y},
          {"transient", std::int64_t{s.transient}},
          {"longest_period", std::int64_t{s.longestPeriod}},
          {"lyapunov_iterations", std::int64_t{s.lyapunovIterations}},
          {"escape_iterations", std::int64_t{s.escapeIterations}},
          {"escape", s.escape},
          {"chaos_tolerance", s.chaosTolerance}};
}

GridSettings GetGridView(Reader& r) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int32_t>::max();
  GridSettings s;
  s.colouring = static_cast<GridColouring>(r.Int("colouring", 0, 3));
  s.xParameter = static_cast<int>(r.Int("x_parameter", 0, 3));
  s.yParameter = static_cast<int>(r.Int("y_parameter", 0, 3));
  s.range = {r.Double("xmin"), r.Double("xmax"), r.Double("ymin"), r.Double("ymax")};
  s.from = {r.Double("from_x"), r.Double("from_y")};
  s.transient = static_cast<std::int32_t>(r.Int("transient", 0, kMost));
  s.longestPeriod = static_cast<std::int32_t>(r.Int("longest_period", 1, kMostPeriodLookedFor));
  s.lyapunovIterations = static_cast<std::int32_t>(r.Int("lyapunov_iterations", 1, kMost));
  s.escapeIterations = static_cast<std::int32_t>(r.Int("escape_iterations", 1, kMost));
  s.escape = r.Double("escape");
  s.chaosTolerance = r.Double("chaos_tolerance");
  return s;
}

SessionSweepView GatherDiagram(const OrbitDiagramWindowLogic& logic) {
  const SavedDiagramWindow saved = logic.Saved();
  SessionSweepView v;
  v.diagram = true;
  v.attributes = {{"kind", std::string(kDiagramKind)},
                  {"picture_width", std::int64_t{saved.width}},
                  {"picture_height", std::int64_t{saved.height}},
                  {"history_current", static_cast<std::int64_t>(saved.current)},
                  {"threads", std::int64_t{saved.values.threads}},
                  {"initial_x", saved.values.initial.x},
                  {"initial_y", saved.values.initial.y},
                  {"carry", std::int64_t{saved.values.carry != 0}},
                  {"shading", std::int64_t{saved.values.shading == 1}}};
  const DiagramMap& map = logic.Map();
  PutMap(v.attributes, map.model, logic.MapName(), map.definition ? &*map.definition : nullptr);
  for (const OrbitDiagramView& view : saved.history) v.history.push_back(DiagramViewAttributes(view));
  v.unitsDone = saved.unitsDone;
  v.counts = saved.counts;
  v.escaped = saved.escaped;
  v.rows = saved.escaped.empty() ? 0 : saved.counts.size() / saved.escaped.size();
  v.columns = saved.escaped.size();
  return v;
}

SessionSweepView GatherGrid(const GridWindowLogic& logic, const OrbitraState& state) {
  const SavedGridWindow saved = logic.Saved();
  const GridSettings& current = saved.history[saved.current];
  SessionSweepView v;
  v.attributes = {{"kind", std::string(IsParameterPlane(current.colouring) ? kPlaneKind : kBasinsKind)},
                  {"picture_width", std::int64_t{saved.width}},
                  {"picture_height", std::int64_t{saved.height}},
                  {"history_current", static_cast<std::int64_t>(saved.current)},
                  {"threads", std::int64_t{saved.threads}}};
  const GridViewMap& map = logic.Map();
  const UserMap* typed = state.UserMaps.OfSystem(map.model.system);
  PutMap(v.attributes, map.model, map.name, typed != nullptr ? &typed->definition : nullptr);
  for (const GridSettings& view : saved.history) v.history.push_back(GridViewAttributes(view));
  v.unitsDone = saved.unitsDone;
  const GridValues& g = saved.grid;
  v.gridRows = static_cast<std::uint64_t>(g.rows.count);
  v.gridColumns = static_cast<std::uint64_t>(g.settings.width);
  if (g.value.empty()) v.gridRows = v.gridColumns = 0;
  v.value = g.value;
  v.done = g.done;
  v.hasLambda1 = IsParameterPlane(current.colouring);
  v.lambda1 = g.lambda1;
  v.hasRepresentative = current.colouring == GridColouring::Attractor;
  for (const WorldPoint p : g.representative) {
    v.representative.push_back(p.x);
    v.representative.push_back(p.y);
  }
  if (v.hasLambda1 && v.lambda1.size() != v.value.size()) v.lambda1.assign(v.value.size(), std::nan(""));
  if (v.hasRepresentative && v.representative.size() != 2 * v.value.size()) v.representative.assign(2 * v.value.size(), 0.0);
  return v;
}

void GatherStructure(const StructureOverlay& s, SessionViews& out) {
  SessionOrbitRecords& o = out.orbits;
  o.attributes = {{"markers_shown", std::int64_t{s.MarkersShown ? 1 : 0}}};
  for (const PeriodicOrbit& orbit : s.Orbits) {
    o.period.push_back(orbit.period);
    o.kind.push_back(static_cast<std::int32_t>(orbit.stability.kind));
    o.trace.push_back(orbit.stability.trace);
    o.determinant.push_back(orbit.stability.determinant);
    for (const std::complex<double>& e : orbit.stability.eigenvalues) {
      o.eigenvalues.push_back(e.real());
      o.eigenvalues.push_back(e.imag());
    }
    for (const WorldPoint p : orbit.points) {
      o.points.push_back(p.x);
      o.points.push_back(p.y);
    }
  }
  SessionManifoldRecords& m = out.manifolds;
  m.attributes = {{"wrap_x", s.Wrap.x}, {"wrap_y", s.Wrap.y}};
  for (const ManifoldBranch& b : s.Manifolds) {
    m.kind.push_back(b.kind == ManifoldKind::Stable ? 1 : 0);
    m.side.push_back(b.side);
    m.orbitPoint.push_back(static_cast<std::int64_t>(b.orbitPoint));
    m.length.push_back(static_cast<std::int64_t>(b.points.size()));
    for (const WorldPoint p : b.points) {
      m.points.push_back(p.x);
      m.points.push_back(p.y);
    }
  }
}

std::int64_t DiagramUnits(int columns, int rows) {
  return rows == 0 ? 0 : (columns + kDiagramUnitColumns - 1) / kDiagramUnitColumns;
}

std::optional<SavedSweepView> DecodeSweep(const SessionSweepView& v, const std::string& path, std::string& problem) {
  Reader r(v.attributes, path, problem);
  const std::string kind = r.Text("kind");
  const bool diagram = kind == kDiagramKind;
  if (r.Ok() && !diagram && kind != kPlaneKind && kind != kBasinsKind) r.Fail(r.Where("kind") + " is no kind of view");
  if (r.Ok() && diagram != v.diagram) r.Fail("\"" + path + "\" holds the numbers of another kind of view");
  SavedSweepView saved;
  saved.map = GetMap(r);
  const int width = static_cast<int>(r.Int("picture_width", 1, kLargestPicture));
  const int height = static_cast<int>(r.Int("picture_height", 1, kLargestPicture));
  const auto current = static_cast<std::size_t>(r.Int("history_current", 0, static_cast<std::int64_t>(v.history.size()) - 1));
  const auto threads = static_cast<std::int32_t>(r.Int("threads", 1, 1024));
  if (v.history.empty()) r.Fail("\"" + path + "/history\" is empty");
  if (!r.Ok()) return std::nullopt;

  const auto fail = [&](const std::string& why) {
    r.Fail("\"" + path + "\" " + why);
    return std::nullopt;
  };
  if (diagram) {
    SavedDiagramWindow w;
    w.values.initial = {r.Double("initial_x"), r.Double("initial_y")};
    w.values.carry = static_cast<int>(r.Int("carry", 0, 1));
    w.values.shading = static_cast<int>(r.Int("shading", 0, 1));
    w.values.threads = threads;
    for (std::size_t i = 0; i < v.history.size() && r.Ok(); ++i) {
      Reader h(v.history[i], path + "/history/" + std::to_string(i), problem);
      w.history.push_back(GetDiagramView(h));
      if (h.Ok() && !DiagramViewUsable(w.history.back())) return fail("has a view that cannot be computed");
    }
    if (!r.Ok()) return std::nullopt;
    w.values.view = w.history.front();
    if (CheckOrbitDiagramValues(w.values)) return fail("has values a diagram cannot have");
    w.current = current;
    w.width = width;
    w.height = height;
    const DiagramLayout layout = LayOutDiagram(width, height, w.history[current]);
    if (v.columns != static_cast<std::uint64_t>(layout.columns) || v.rows != static_cast<std::uint64_t>(layout.rows) ||
        v.escaped.size() != v.columns) {
      return fail("holds counts of another size than its picture's grid");
    }
    if (static_cast<std::int64_t>(v.unitsDone.size()) != DiagramUnits(layout.columns, layout.rows)) {
      return fail("marks another number of units than its grid has");
    }
    w.unitsDone = v.unitsDone;
    w.counts = v.counts;
    w.escaped = v.escaped;
    saved.window = std::move(w);
    return saved;
  }

  SavedGridWindow w;
  w.threads = threads;
  for (std::size_t i = 0; i < v.history.size() && r.Ok(); ++i) {
    Reader h(v.history[i], path + "/history/" + std::to_string(i), problem);
    w.history.push_back(GetGridView(h));
    if (!h.Ok()) break;
    if (IsParameterPlane(w.history.back().colouring) != (kind == kPlaneKind) ||
        CheckGridWindowValues(GridWindowValues{w.history.back(), threads})) {
      return fail("has a view that cannot be computed");
    }
  }
  if (!r.Ok()) return std::nullopt;
  w.current = current;
  w.width = width;
  w.height = height;
  GridSettings s = w.history[current];
  const GridPictureLayout layout = LayoutGridPicture(width, height, kWindowTextScale);
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  if (v.gridColumns != static_cast<std::uint64_t>(s.width) || v.gridRows != static_cast<std::uint64_t>(s.height)) {
    return fail("holds values of another size than its picture's grid");
  }
  if (v.hasLambda1 != IsParameterPlane(s.colouring) || v.hasRepresentative != (s.colouring == GridColouring::Attractor)) {
    return fail("holds other numbers than its colouring has");
  }
  if (static_cast<std::int64_t>(v.unitsDone.size()) != GridSweepUnits(RowBand{0, s.height})) {
    return fail("marks another number of units than its grid has");
  }
  w.grid = GridValues(s, RowBand{0, s.height});
  w.grid.value = v.value;
  w.grid.done = v.done;
  if (v.hasLambda1) w.grid.lambda1 = v.lambda1;
  for (std::size_t i = 0; i < w.grid.representative.size(); ++i) {
    w.grid.representative[i] = {v.representative[2 * i], v.representative[2 * i + 1]};
  }
  w.unitsDone = v.unitsDone;
  saved.window = std::move(w);
  return saved;
}

bool DecodeStructure(const SessionViews& v, StructureOverlay& s, std::string& problem) {
  const SessionOrbitRecords& o = v.orbits;
  Reader orbits(o.attributes, "views/periodic_orbits", problem);
  s.MarkersShown = orbits.Int("markers_shown", 0, 1) != 0;
  if (!orbits.Ok()) return false;
  const std::size_t n = o.period.size();
  if (o.kind.size() != n || o.trace.size() != n || o.determinant.size() != n || o.eigenvalues.size() != 4 * n) {
    orbits.Fail("\"views/periodic_orbits\" has lists of different lengths");
    return false;
  }
  std::size_t next = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (o.period[i] < 1 || o.period[i] > kLargestOrbitPeriod || o.kind[i] < 0 ||
        o.kind[i] > static_cast<int>(OrbitClass::Parabolic) || 2 * (next + o.period[i]) > o.points.size()) {
      orbits.Fail("\"views/periodic_orbits\" has an orbit this program cannot have found");
      return false;
    }
    PeriodicOrbit orbit;
    orbit.period = o.period[i];
    orbit.stability.kind = static_cast<OrbitClass>(o.kind[i]);
    orbit.stability.trace = o.trace[i];
    orbit.stability.determinant = o.determinant[i];
    orbit.stability.eigenvalues[0] = {o.eigenvalues[4 * i], o.eigenvalues[4 * i + 1]};
    orbit.stability.eigenvalues[1] = {o.eigenvalues[4 * i + 2], o.eigenvalues[4 * i + 3]};
    for (int p = 0; p < orbit.period; ++p, ++next) orbit.points.push_back({o.points[2 * next], o.points[2 * next + 1]});
    s.Orbits.push_back(std::move(orbit));
  }
  if (2 * next != o.points.size()) {
    orbits.Fail("\"views/periodic_orbits/points\" holds more points than the orbits have");
    return false;
  }

  const SessionManifoldRecords& m = v.manifolds;
  Reader manifolds(m.attributes, "views/manifolds", problem);
  s.Wrap = {manifolds.Double("wrap_x"), manifolds.Double("wrap_y")};
  if (!manifolds.Ok()) return false;
  const std::size_t b = m.kind.size();
  if (m.side.size() != b || m.orbitPoint.size() != b || m.length.size() != b) {
    manifolds.Fail("\"views/manifolds\" has lists of different lengths");
    return false;
  }
  next = 0;
  for (std::size_t i = 0; i < b; ++i) {
    if (m.kind[i] < 0 || m.kind[i] > 1 || (m.side[i] != 1 && m.side[i] != -1) || m.orbitPoint[i] < 0 ||
        m.orbitPoint[i] >= kLargestOrbitPeriod || m.length[i] < 0 ||
        static_cast<std::uint64_t>(m.length[i]) > m.points.size() / 2 - next) {
      manifolds.Fail("\"views/manifolds\" has a branch this program cannot have grown");
      return false;
    }
    ManifoldBranch branch;
    branch.kind = m.kind[i] == 1 ? ManifoldKind::Stable : ManifoldKind::Unstable;
    branch.side = m.side[i];
    branch.orbitPoint = static_cast<std::size_t>(m.orbitPoint[i]);
    for (std::int64_t p = 0; p < m.length[i]; ++p, ++next) {
      branch.points.push_back({m.points[2 * next], m.points[2 * next + 1]});
    }
    s.Manifolds.push_back(std::move(branch));
  }
  if (2 * next != m.points.size()) {
    manifolds.Fail("\"views/manifolds/points\" holds more points than the branches have");
    return false;
  }
  return true;
}

// The state's system of a saved view's map, if it has it.
std::optional<int> SystemOf(const OrbitraState& state, const SavedViewMap& map) {
  if (!map.typed) {
    if (map.system < kFirstSystem || map.system > kLastSystem) return std::nullopt;
    return map.system;
  }
  // The map of that name and definition; else one of the same definition (the session's
  // own map may have been added under a new name when the user's of its name differed).
  std::optional<int> found;
  for (int i = 0; i < state.UserMaps.Count(); ++i) {
    const UserMapDefinition& d = state.UserMaps.At(i).definition;
    if (d.xFormula != map.typed->xFormula || d.yFormula != map.typed->yFormula || d.helpers != map.typed->helpers) {
      continue;
    }
    if (SameName(d.name, map.typed->name)) return kFirstUserSystem + i;
    if (!found) found = kFirstUserSystem + i;
  }
  return found;
}

}  // namespace

SessionViews GatherViews(const OrbitraState& state, std::span<const SweepView* const> views) {
  SessionViews out;
  for (const SweepView* view : views) {
    if (view == nullptr || view->Runner().Job() == nullptr) continue;  // no picture yet
    if (const auto* diagram = dynamic_cast<const OrbitDiagramWindowLogic*>(view)) {
      out.sweeps.push_back(GatherDiagram(*diagram));
    } else if (const auto* grid = dynamic_cast<const GridWindowLogic*>(view)) {
      out.sweeps.push_back(GatherGrid(*grid, state));
    }
  }
  GatherStructure(state.Structure, out);
  return out;
}

ViewsDecoding DecodeViews(const SessionViews& stored) {
  SavedViews views;
  std::string problem;
  for (std::size_t n = 0; n < stored.sweeps.size(); ++n) {
    std::optional<SavedSweepView> sweep = DecodeSweep(stored.sweeps[n], "views/" + std::to_string(n), problem);
    if (!sweep) return {std::nullopt, problem.empty() ? "\"views/" + std::to_string(n) + "\" is damaged" : problem};
    views.sweeps.push_back(std::move(*sweep));
  }
  const bool hasStructure = !stored.orbits.attributes.empty() || !stored.manifolds.attributes.empty();
  if (hasStructure && !DecodeStructure(stored, views.structure, problem)) return {std::nullopt, problem};
  return {std::move(views), {}};
}

std::unique_ptr<SweepView> MakeSavedView(OrbitraState& state, Prompter& prompter, const SavedSweepView& saved) {
  const std::optional<int> system = SystemOf(state, saved.map);
  if (!system) return nullptr;
  MappingModel model;
  std::string label;
  const SystemDefaults defaults = LoadSystemDefaults(state.UserMaps, *system);
  CommitSelection(model, label, state.UserMaps, *system, saved.map.k[0], saved.map.k[1], saved.map.k[2],
                  saved.map.k[3], PendingSelection{defaults.routine, defaults.DefaultRange, defaults.userMap});
  if (const auto* diagram = std::get_if<SavedDiagramWindow>(&saved.window)) {
    DiagramMap map{model, std::nullopt, {}};
    if (const UserMap* user = state.UserMaps.OfSystem(*system)) {
      map.definition = user->definition;
      map.lanes = state.CompiledMaps.Lanes(model);
    }
    return std::make_unique<OrbitDiagramWindowLogic>(state, prompter, *diagram, std::move(map),
                                                     std::string(SystemName(state.UserMaps, *system)),
                                                     MapParametersOf(state, *system, {saved.map.k[0], saved.map.k[1], saved.map.k[2], saved.map.k[3]}));
  }
  GridViewMap map = GridViewMapOf(state);
  map.model = model;
  map.name = label;  // as the X-Y box names the map
  map.parameters = MapParametersOf(state, *system, {saved.map.k[0], saved.map.k[1], saved.map.k[2], saved.map.k[3]});
  return std::make_unique<GridWindowLogic>(state, prompter, std::get<SavedGridWindow>(saved.window), std::move(map));
}

int SavedWidth(const SavedSweepView& saved) {
  return std::visit([](const auto& w) { return w.width; }, saved.window);
}

int SavedHeight(const SavedSweepView& saved) {
  return std::visit([](const auto& w) { return w.height; }, saved.window);
}

bool IsSavedDiagram(const SavedSweepView& saved) { return std::holds_alternative<SavedDiagramWindow>(saved.window); }

}  // namespace orbitra
