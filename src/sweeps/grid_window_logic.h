// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/grid_sweep.h"
#include "explorer/orbitra_state.h"
#include "platform/prompter.h"
#include "plot/grid_picture.h"
#include "storage/file_io.h"
#include "sweeps/grid_view.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

// The values of the dialog of a parameter plane or a basin picture.
struct GridWindowValues {
  GridSettings settings;
  std::int32_t threads = 0;
};

// "Parameter Plane" as it opens: k1 and k2 over their default ranges, the explorer's X0,
// Y0, transient 1000, periods up to 64, 1000 iterations for λ1, coloured by period.
GridWindowValues PrepareParameterPlaneDialog(const OrbitraState& state);
// "Basins" as it opens: the X-Y box's range, 1000 iterations to escape, coloured by
// escape time.
GridWindowValues PrepareBasinsDialog(const OrbitraState& state);
// The default range of the plane's x (axis 0) or y (axis 1) parameter.
void TakeDefaultAxisRange(GridSettings& settings, const MappingModel& model, int axis);
// What is wrong with the values, for a message; nothing when they can be computed.
std::optional<std::string> CheckGridWindowValues(const GridWindowValues& values);

// A whole-plane grid as a sweep job: the GridSweep's units in its own order (the coarse
// pass first), the picture orbitra-render draws for the same settings, redrawn whole
// when rows come in (the legend and the scales follow the rows shown).
class GridJob : public SweepJob {
 public:
  // `settings` sized to the layout's grid.
  GridJob(const MappingModel& model, const GridSettings& settings, std::string mapName,
          const GridPictureLayout& layout, std::optional<MapParameters> parameters = std::nullopt);

  const GridValues& Values() const noexcept { return sweep_->Values(); }
  // See GridSweep::FinishedValues and GridSweep::Restore.
  GridValues FinishedValues(const std::vector<std::uint8_t>& unitsDone) const {
    return sweep_->FinishedValues(unitsDone);
  }
  bool Restore(const GridValues& saved, const std::vector<std::uint8_t>& unitsDone) {
    return sweep_->Restore(saved, unitsDone);
  }
  const GridShown& Shown() const noexcept { return sweep_->Shown(); }
  const GridPictureLayout& Layout() const noexcept { return layout_; }

  std::int64_t Units() const override { return sweep_->Units(); }
  bool ComputeUnit(std::int64_t unit, std::stop_token stop) override { return sweep_->ComputeUnit(unit, stop); }
  std::int64_t UnitIterations(std::int64_t unit) const override { return sweep_->UnitPixels(unit); }
  std::string RateName() const override { return "pixels"; }
  std::int64_t UnitItems(std::int64_t unit) const override { return sweep_->UnitPixels(unit); }
  std::int64_t Items() const override { return sweep_->PixelCount(); }
  double WorkDone() const override {
    const std::int64_t all = sweep_->PixelCount();
    return all > 0 ? static_cast<double>(sweep_->PixelsDone()) / static_cast<double>(all) : -1.0;
  }
  std::int64_t RateCountSoFar() const override { return sweep_->PixelsDone(); }
  std::string WorkName() const override;
  std::string ItemName() const override { return "pixels"; }
  std::string Remarks(const std::vector<std::uint8_t>& /*done*/) const override { return {}; }
  void DrawFrame(Canvas& canvas) override;
  void DrawUnit(Canvas& canvas, std::int64_t unit) const override;
  void DrawOverlay(Canvas& /*canvas*/) const override {}
  void DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const override;

 private:
  std::unique_ptr<GridSweep> sweep_;  // a pointer: drawing takes the rows it announced
  std::string mapName_;
  GridPictureLayout layout_;
  std::optional<MapParameters> parameters_;  // named under the title
};

// A parameter plane's or basin picture's window as a session keeps it: the views shown
// (and which is current), the picture's size, and the numbers of the current view's
// finished units (every other pixel not done).
struct SavedGridWindow {
  std::int32_t threads = 0;
  std::vector<GridSettings> history;
  std::size_t current = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> unitsDone;
  GridValues grid;
};

// The window of a parameter plane or a basin picture: a zoom computes the rectangle's
// range at full resolution; the pointer's pixel is described in the status line; a click
// sets both parameters in the explorer (plane) or starts an orbit there (basins).
class GridWindowLogic : public SweepViewOf<GridSettings> {
 public:
  GridWindowLogic(OrbitraState& state, Prompter& prompter, const GridWindowValues& values);
  // A saved window on its map (`map.model` and `map.name`): its picture, once resized to
  // the saved size, shows the saved units at once; Resume computes the rest.
  GridWindowLogic(OrbitraState& state, Prompter& prompter, SavedGridWindow saved, GridViewMap map);

  // What a session keeps of the window; only finished units are read.
  SavedGridWindow Saved() const;
  const GridViewMap& Map() const noexcept { return map_; }

  std::string WindowTitle() const override;
  std::string PointerText(int px, int py) const override;
  Invalidation Click(int px, int py) override;
  // Writes one line per pixel, as orbitra-render's --export; refused until every pixel is in.
  [[nodiscard]] FileFailure Export(const std::filesystem::path& file) const;
  const GridJob* CurrentJob() const noexcept { return job_; }

 protected:
  std::unique_ptr<SweepJob> MakeJob(int width, int height) override;
  std::optional<GridSettings> Zoomed(int x0, int y0, int x1, int y1) const override;
  std::vector<std::uint8_t> LoadSaved(SweepJob& job) override;

 private:
  OrbitraState& state_;
  Prompter& prompter_;
  std::int32_t threads_ = 0;
  std::optional<SavedGridWindow> saved_;  // until its picture is shown
  GridViewMap map_;  // as the explorer had it when the window opened
  GridJob* job_ = nullptr;  // the runner's current job
};

inline constexpr const char* kGridOtherMap = "The mapping window shows another map now: the click was ignored.";
inline constexpr const char* kGridExportIncomplete =
    "The picture is not complete: press Resume and export it when every pixel is in.";

}  // namespace orbitra
