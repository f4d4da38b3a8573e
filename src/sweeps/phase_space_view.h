// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "analysis/chaos_indicators.h"
#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"
#include "storage/file_io.h"
#include "sweeps/grid_view.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

// The title of a phase-space picture, e.g. "Standard Map: phase space by MEGNO".
std::string PhaseSpaceTitle(const std::string& mapName, const PhaseSpaceSettings& s);

// The settings a picture of the state's map starts with: the X-Y box's range, the map's
// wraps and, for the rotation number of a map whose x does not wrap, its centre.
PhaseSpaceSettings PhaseSpaceSettingsFor(const GridViewMap& map, PhaseColouring colouring, WorkerPool& pool);

// The whole picture: what a window shows and orbitra-render writes.
void DrawPhaseSpaceView(Canvas& canvas, const PhaseSpaceValues& values, const std::string& mapName);

// A phase-space picture as a sweep job: one unit per row, drawn whole as rows come in.
class PhaseSpaceJob : public SweepJob {
 public:
  PhaseSpaceJob(const MappingModel& model, const PhaseSpaceSettings& settings, std::string mapName,
                const GridPictureLayout& layout);
  const PhaseSpaceValues& Values() const noexcept { return values_; }
  const GridPictureLayout& Layout() const noexcept { return layout_; }
  std::int64_t Units() const override { return values_.rows.count; }
  bool ComputeUnit(std::int64_t unit, std::stop_token stop) override;
  std::int64_t UnitIterations(std::int64_t /*unit*/) const override { return values_.settings.width; }
  std::string RateName() const override { return "pixels"; }
  std::int64_t UnitItems(std::int64_t /*unit*/) const override { return values_.settings.width; }
  std::int64_t Items() const override {
    return static_cast<std::int64_t>(values_.settings.width) * values_.rows.count;
  }
  // Pixels done so far, rows not finished included: the percentage and the speed move
  // within a heavy row.
  double WorkDone() const override {
    const std::int64_t all = Items();
    return all > 0 ? static_cast<double>(RateCountSoFar()) / static_cast<double>(all) : -1.0;
  }
  std::int64_t RateCountSoFar() const override { return pixelsDone_.load(std::memory_order_relaxed); }
  std::string WorkName() const override { return "Phase space"; }
  std::string ItemName() const override { return "pixels"; }
  std::string Remarks(const std::vector<std::uint8_t>& /*done*/) const override { return {}; }
  void DrawFrame(Canvas& canvas) override;
  void DrawUnit(Canvas& canvas, std::int64_t unit) const override;
  void DrawOverlay(Canvas& /*canvas*/) const override {}
  void DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const override;

 private:
  MappingModel model_;
  PhaseSpaceValues values_;
  std::vector<std::uint8_t> finished_;  // per row, written by the unit that computed it
  std::string mapName_;
  GridPictureLayout layout_;
  bool oneAtATime_ = false;
  std::mutex evaluate_;
  std::atomic<std::int64_t> pixelsDone_{0};
};

// The "Phase Space" window: a zoom computes the rectangle's range anew, the pointer's
// pixel is described in the status line, a click starts an orbit there in the explorer.
class PhaseSpaceWindowLogic : public SweepViewOf<PhaseSpaceSettings> {
 public:
  PhaseSpaceWindowLogic(OrbitraState& state, Prompter& prompter, const PhaseSpaceSettings& settings, int threads);
  std::string WindowTitle() const override;
  std::string PointerText(int px, int py) const override;
  Invalidation Click(int px, int py) override;
  // "x y value" per pixel; refused until every pixel is in.
  [[nodiscard]] FileFailure Export(const std::filesystem::path& file) const;

 protected:
  std::unique_ptr<SweepJob> MakeJob(int width, int height) override;
  std::optional<PhaseSpaceSettings> Zoomed(int x0, int y0, int x1, int y1) const override;

 private:
  GridSettings AsGrid() const;
  OrbitraState& state_;
  Prompter& prompter_;
  GridViewMap map_;
  PhaseSpaceJob* job_ = nullptr;
};

}  // namespace orbitra
