// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/grid_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "explorer/initial_conditions_logic.h"
#include "explorer/selection_dialog_logic.h"
#include "maps/system_catalogue.h"

namespace orbitra {

namespace {

std::string Number(double v, const char* format = "%.6g") {
  if (std::isnan(v)) return "nan";
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

const char* ColouringWords(GridColouring c) {
  switch (c) {
    case GridColouring::Period: return "by period";
    case GridColouring::Lyapunov: return "by \xCE\xBB" "1";
    case GridColouring::Escape: return "by escape time";
    case GridColouring::Attractor: return "by attractor";
  }
  return "";
}

}  // namespace

namespace {

std::array<bool, 4> NamedBy(std::string_view line1, std::string_view line2) {
  std::array<bool, 4> named{};
  bool any = false;
  for (int k = 0; k < 4; ++k) {
    const std::string name = ParameterName(k);
    named[static_cast<std::size_t>(k)] = line1.find(name) != std::string_view::npos ||
                                         line2.find(name) != std::string_view::npos;
    any = any || named[static_cast<std::size_t>(k)];
  }
  if (!any) named = {true, true, true, true};
  return named;
}

}  // namespace

MapParameters MapParametersOf(const OrbitraState& state) {
  return MapParametersOf(state, state.Model.system, {state.Model.k1, state.Model.k2, state.Model.k3, state.Model.k4});
}

MapParameters MapParametersOf(const OrbitraState& state, int system, const std::array<double, 4>& k) {
  const SystemText text = SystemTextAt(state.UserMaps, system);
  return {k, NamedBy(text.formulaLine1, text.formulaLine2)};
}

MapParameters MapParametersNamed(std::string_view mapName, const std::array<double, 4>& k) {
  for (int t = kFirstSystem; t <= kLastSystem; ++t) {
    const CatalogueEntry& e = CatalogueAt(t);
    if (e.name == mapName) return {k, NamedBy(e.formulaLine1, e.formulaLine2)};
  }
  return {k, {true, true, true, true}};
}

std::string FixedParametersText(const MapParameters& p, int variedA, int variedB) {
  std::string text;
  for (int k = 0; k < 4; ++k) {
    if (!p.named[static_cast<std::size_t>(k)] || k == variedA || k == variedB) continue;
    if (!text.empty()) text += ", ";
    text += ParameterName(k) + " = " + Number(p.k[static_cast<std::size_t>(k)], "%.10g");
  }
  return text;
}

GridViewMap GridViewMapOf(const OrbitraState& state) {
  return {state.Model, state.Boxes.XYBox.Label, state.Boxes.XYBox.GetRange(),
          WorldPoint{state.Run.InitialPoint.x, state.Run.InitialPoint.y}, MapParametersOf(state)};
}

std::string ParameterName(int which) { return "k" + std::to_string(which + 1); }

GridPictureText GridPictureTextFor(const std::string& mapName, const GridSettings& s,
                                   const MapParameters* parameters) {
  if (IsParameterPlane(s.colouring)) {
    return {mapName + ": " + ParameterName(s.xParameter) + " and " + ParameterName(s.yParameter) + " " +
                ColouringWords(s.colouring),
            ParameterName(s.xParameter), ParameterName(s.yParameter),
            parameters ? FixedParametersText(*parameters, s.xParameter, s.yParameter) : std::string()};
  }
  return {mapName + ": basins " + ColouringWords(s.colouring), "x", "y",
          parameters ? FixedParametersText(*parameters) : std::string()};
}

void DrawGridView(Canvas& canvas, const GridValues& grid, const std::string& mapName, const GridShown* shown,
                  const MapParameters* parameters) {
  canvas.Clear(kWhite);
  DrawGridPicture(canvas, grid, GridPictureTextFor(mapName, grid.settings, parameters), shown);
}

std::string GridPixelText(const GridValues& grid, std::int32_t column, std::int32_t row,
                          const std::vector<std::int32_t>& labels, const GridShown* shown) {
  const GridSettings& s = grid.settings;
  const bool plane = IsParameterPlane(s.colouring);
  const double p = CellCentre(s.range.Xmin, s.range.Xmax, s.width, column);
  const double q = CellCentre(s.range.Ymin, s.range.Ymax, s.height, row);
  std::string text = (plane ? ParameterName(s.xParameter) : std::string("x")) + " = " + Number(p) + ", " +
                     (plane ? ParameterName(s.yParameter) : std::string("y")) + " = " + Number(q) + ": ";
  if (!grid.HasRow(row) || column < 0 || column >= s.width) return text + "outside";
  const std::size_t i = grid.Index(column, row);
  const bool finished = shown == nullptr || shown->full[static_cast<std::size_t>(row - grid.rows.first)];
  if (!finished || !grid.done[i]) return text + "not computed yet";
  const std::int32_t v = grid.value[i];
  switch (s.colouring) {
    case GridColouring::Period:
    case GridColouring::Lyapunov: {
      const PixelClass c = ClassOf(grid, i);
      if (c == PixelClass::Escaped) return text + "escaped";
      const std::string lambda = ", \xCE\xBB" "1 = " + Number(grid.lambda1[i], "%.4g");
      if (c == PixelClass::Periodic && s.colouring == GridColouring::Period) {
        return text + "period " + std::to_string(v) + lambda;
      }
      return text + (c == PixelClass::Chaotic ? "chaotic" : "not settled") + lambda;
    }
    case GridColouring::Escape:
      return text + (v > 0 ? "escapes after " + std::to_string(v) + " iterations" : "does not escape");
    case GridColouring::Attractor: {
      if (v < 0) return text + "escaped";
      if (v == 0) return text + "no period";
      const std::string period = "period " + std::to_string(v);
      if (i < labels.size()) return text + "attractor " + std::to_string(labels[i]) + ", " + period;
      return text + period;
    }
  }
  return text;
}

std::string GridProgressText(const GridValues& grid, std::int64_t done, double seconds) {
  const std::int64_t total = static_cast<std::int64_t>(grid.settings.width) * grid.rows.count;
  const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
  std::string text = std::string(IsParameterPlane(grid.settings.colouring) ? "Parameter plane: " : "Basins: ") +
                     std::to_string(percent) + "% of " + std::to_string(total) + " pixels";
  if (seconds > 0.0) text += ", " + Number(static_cast<double>(done) / seconds / 1e6, "%.3g") + " M pixels/s";
  return text;
}

Invalidation ApplyParameterPlaneClick(OrbitraState& state, Prompter& prompter, const GridSettings& settings,
                                      GridCell cell) {
  SelectionDialogValues values = PrepareSelectionDialog(state);
  double* const k[] = {&values.k1, &values.k2, &values.k3, &values.k4};
  const double p = CellCentre(settings.range.Xmin, settings.range.Xmax, settings.width, cell.column);
  const double q = CellCentre(settings.range.Ymin, settings.range.Ymax, settings.height, cell.row);
  *k[settings.xParameter & 3] = p;
  *k[settings.yParameter & 3] = q;
  // What the click does, before the explorer's own question about its stored points.
  const std::string question = "Set " + ParameterName(settings.xParameter & 3) + " = " + Number(p, "%.10g") + ", " +
                               ParameterName(settings.yParameter & 3) + " = " + Number(q, "%.10g") +
                               " in the explorer?";
  if (prompter.AskYesNo(question) != Answer::Yes) return Invalidation::None;
  // The X-Y box keeps its range for this click, but the dialog's "Use default graphics
  // range " stays as the user left it: only the dialog's OK changes it.
  values.useDefaultRange = 0;
  const int useDefaultRange = state.UseDefaultRange;
  const Invalidation repaint = ApplySelectionDialog(state, prompter, values);
  state.UseDefaultRange = useDefaultRange;
  return repaint;
}

Invalidation ApplyBasinsClick(OrbitraState& state, const GridSettings& settings, GridCell cell) {
  InitialConditionsValues values = PrepareInitialConditionsDialog(state);
  values.x0 = CellCentre(settings.range.Xmin, settings.range.Xmax, settings.width, cell.column);
  values.y0 = CellCentre(settings.range.Ymin, settings.range.Ymax, settings.height, cell.row);
  values.runOnOk = 1;
  const Invalidation invalidation = ApplyInitialConditionsDialog(state, values);
  InitialConditionsDialogClosed(state);
  return invalidation;
}

std::optional<WorldRange> ZoomedGridRange(const GridSettings& s, const GridPictureLayout& layout, int x0, int y0,
                                          int x1, int y1) {
  const auto clampColumn = [&](int x) { return std::clamp(x - layout.frameLeft - 1, 0, layout.gridWidth - 1); };
  const auto clampRow = [&](int y) { return std::clamp(layout.frameTop + layout.gridHeight - y, 0, layout.gridHeight - 1); };
  const int c0 = clampColumn(std::min(x0, x1)), c1 = clampColumn(std::max(x0, x1));
  const int r0 = clampRow(std::max(y0, y1)), r1 = clampRow(std::min(y0, y1));
  if (c1 - c0 < 1 || r1 - r0 < 1) return std::nullopt;
  const double dx = (s.range.Xmax - s.range.Xmin) / s.width, dy = (s.range.Ymax - s.range.Ymin) / s.height;
  return WorldRange{s.range.Xmin + c0 * dx, s.range.Xmin + (c1 + 1) * dx, s.range.Ymin + r0 * dy,
                    s.range.Ymin + (r1 + 1) * dy};
}

}  // namespace orbitra
