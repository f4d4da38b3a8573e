// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/orbit_diagram.h"
#include "explorer/orbitra_state.h"
#include "platform/prompter.h"
#include "plot/orbit_diagram_picture.h"
#include "storage/file_io.h"
#include "sweeps/grid_view.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

// The values of the orbit diagram's dialog.
struct OrbitDiagramValues {
  OrbitDiagramView view;
  WorldPoint initial;
  int carry = 1;  // each column starts from the previous column's last point
  std::int32_t threads = 0;
  int shading = 0;  // DiagramShading: 0 logarithmic grey, 1 black
  WorldRange box;   // the X-Y box's range: the default range of either coordinate
};

// The dialog as it opens: k1 over [0, k1] (or [k1, 0], or [0, 1] when k1 is 0), x over the
// X-Y box's range of x, transient 1000, 1000 points, the explorer's X0, Y0, carrying over,
// one thread per core, logarithmic grey.
OrbitDiagramValues PrepareOrbitDiagramDialog(const OrbitraState& state);
// The default range of a coordinate (0: x, 1: y) and of a parameter (0 to 3: k1 to k4).
void TakeDefaultCoordinateRange(OrbitDiagramValues& values);
void TakeDefaultParameterRange(OrbitDiagramValues& values, const MappingModel& model);
struct ParameterRange {
  double lo = 0.0;
  double hi = 1.0;
};
// A parameter's range as a dialog opens: from 0 to its value (the other way round when it
// is negative), or [0, 1] when it is 0.
ParameterRange DefaultParameterRange(const MappingModel& model, int parameter);
// What is wrong with the values, for a message; nothing when they can be computed.
std::optional<std::string> CheckOrbitDiagramValues(const OrbitDiagramValues& values);

// The map of the explorer as a diagram takes it (a user's map with its definition and,
// once its code is compiled, its lanes in machine code, asked for in the background), and
// its name.
DiagramMap DiagramMapOf(OrbitraState& state);
std::string MapNameOf(const OrbitraState& state);
// "Henon D-C Map: x against k1".
std::string OrbitDiagramTitle(const std::string& mapName, const OrbitDiagramView& view);

// An orbit diagram as a sweep job: the counts on the grid of a picture's plot area, the
// axes drawn by the box code, a marker line at a parameter value.
class OrbitDiagramJob : public SweepJob {
 public:
  OrbitDiagramJob(DiagramMap map, const OrbitDiagramSettings& settings, DiagramShading shading, std::string title,
                  int width, int height);

  const OrbitDiagram& Diagram() const noexcept { return diagram_; }
  const DiagramLayout& Layout() const noexcept { return layout_; }
  void SetMarker(std::optional<double> parameter) noexcept { marker_ = parameter; }
  // Saved numbers of the same grid, before any unit runs; false when their sizes differ.
  bool RestoreNumbers(const std::vector<std::uint32_t>& counts, const std::vector<std::uint8_t>& escaped) {
    return diagram_.Restore(counts, escaped);
  }

  std::int64_t Units() const override { return diagram_.Units(); }
  bool ComputeUnit(std::int64_t unit, std::stop_token stop) override { return diagram_.ComputeUnit(unit, stop); }
  std::int64_t UnitIterations(std::int64_t unit) const override { return diagram_.UnitIterations(unit); }
  std::int64_t UnitItems(std::int64_t unit) const override;
  std::int64_t Items() const override { return diagram_.Columns(); }
  double WorkDone() const override;
  std::int64_t RateCountSoFar() const override { return diagram_.IterationsRun(); }
  std::string WorkName() const override { return "Orbit diagram"; }
  std::string ItemName() const override { return "columns"; }
  std::string Remarks(const std::vector<std::uint8_t>& done) const override;
  void DrawFrame(Canvas& canvas) override;
  void DrawUnit(Canvas& canvas, std::int64_t unit) const override;
  void DrawOverlay(Canvas& canvas) const override;
  void DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const override;
  void SetSubtitle(std::string subtitle) { subtitle_ = std::move(subtitle); }

  // Per column: whether its unit is marked done.
  std::vector<std::uint8_t> ColumnsDone(const std::vector<std::uint8_t>& unitsDone) const;

 private:
  DiagramLayout layout_;
  OrbitDiagram diagram_;
  DiagramShading shading_;
  std::string title_;
  std::string subtitle_;
  std::optional<double> marker_;
};

// The job of a view with the dialog's other values at a picture size; `infinity` is the
// escape bound of the runs.
// `parameters`: the map's, named under the title but for the one the diagram varies.
std::unique_ptr<OrbitDiagramJob> MakeOrbitDiagramJob(const DiagramMap& map, const std::string& mapName,
                                                     const OrbitDiagramValues& values, const OrbitDiagramView& view,
                                                     double infinity, int width, int height,
                                                     const std::optional<MapParameters>& parameters = std::nullopt);

// The explorer's value of the diagram's parameter while it shows the diagram's map.
std::optional<double> ExplorerParameter(const OrbitraState& state, int system, int parameter);

// A diagram window as a session keeps it: the dialog's values, the views shown (and
// which is current), the picture's size, and the numbers of the current view's finished
// units (the other columns zero).
struct SavedDiagramWindow {
  OrbitDiagramValues values;
  std::vector<OrbitDiagramView> history;
  std::size_t current = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> unitsDone;
  std::vector<std::uint32_t> counts;  // column after column, rows bottom to top
  std::vector<std::uint8_t> escaped;  // per column
};

// The window of an orbit diagram: what it computes, how a rectangle zooms it, and the
// link to the explorer (a click sets the parameter there, as Select Mapping would).
class OrbitDiagramWindowLogic : public SweepViewOf<OrbitDiagramView> {
 public:
  OrbitDiagramWindowLogic(OrbitraState& state, Prompter& prompter, const OrbitDiagramValues& values);
  // A saved window on its map: its picture, once resized to the saved size, shows the
  // saved units at once; Resume computes the rest.
  OrbitDiagramWindowLogic(OrbitraState& state, Prompter& prompter, SavedDiagramWindow saved, DiagramMap map,
                          std::string mapName, MapParameters parameters);

  // What a session keeps of the window; only finished units are read, so the workers may
  // go on meanwhile.
  SavedDiagramWindow Saved() const;
  const DiagramMap& Map() const noexcept { return map_; }
  const std::string& MapName() const noexcept { return mapName_; }

  std::string WindowTitle() const override;
  // "k1 = 1.2345, x = 0.5: 12 of 1000 points in this pixel" (or "escaped", "not computed
  // yet"), as the plane describes its pixels.
  std::string PointerText(int px, int py) const override;
  // Asks "Set k1 = ... in the explorer?" first, then sets it as Select Mapping would.
  Invalidation Click(int px, int py) override;
  // The marker follows the explorer's value of the parameter.
  void ExplorerChanged() override;
  // Writes the counts of the columns finished so far.
  [[nodiscard]] FileFailure ExportCounts(const std::filesystem::path& file) const;

 protected:
  std::unique_ptr<SweepJob> MakeJob(int width, int height) override;
  std::optional<OrbitDiagramView> Zoomed(int x0, int y0, int x1, int y1) const override;
  std::vector<std::uint8_t> LoadSaved(SweepJob& job) override;

 private:
  OrbitraState& state_;
  Prompter& prompter_;
  OrbitDiagramValues values_;
  std::optional<SavedDiagramWindow> saved_;  // until its picture is shown
  DiagramMap map_;  // as the explorer had it when the window opened
  std::string mapName_;
  MapParameters parameters_;
  OrbitDiagramJob* job_ = nullptr;  // the runner's current job
};

inline constexpr const char* kDiagramOtherMap =
    "The mapping window shows another map now: the diagram's parameter was not set.";

}  // namespace orbitra
