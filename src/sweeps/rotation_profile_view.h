// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analysis/plane_map.h"
#include "analysis/rotation_number.h"
#include "explorer/orbitra_state.h"
#include "platform/prompter.h"
#include "platform/worker_pool.h"
#include "plot/orbit_diagram_picture.h"
#include "storage/file_io.h"
#include "sweeps/grid_view.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

// A rotation profile: the rotation number of the orbits started along a segment of the
// X-Y box, plotted against the distance s along it. Plateaus at rational values are island
// chains, a smooth rise is invariant circles, noise is chaos.

// What the dialog asks once the segment is drawn.
struct RotationProfileValues {
  std::int32_t points = 400;
  std::int32_t transient = 0;
  std::int32_t iterations = 1000;
};
// What is wrong with the values, for a message; nothing when they can be computed.
std::optional<std::string> CheckRotationProfileValues(const RotationProfileValues& values);
inline constexpr std::int32_t kMostProfilePoints = 100000;

// One view of a profile: the segment drawn (its ends a and b), the part of it shown (t from
// `from` to `to`, 0 and 1 its ends; a zoom narrows it), and the range of rotation numbers
// plotted. Winding profiles (a map whose x does not wrap) count turns about `centre`.
struct RotationProfileSettings {
  WorldPoint a;
  WorldPoint b;
  double from = 0.0;
  double to = 1.0;
  std::int32_t points = 400;
  std::int64_t transient = 0;
  std::int64_t iterations = 1000;
  std::optional<WorldPoint> centre;
  double rotationMin = 0.0;
  double rotationMax = 1.0;
};

// The settings a profile along the segment from a to b starts with: lifted rotation
// numbers, plotted over [0, 1], for a map whose x wraps; otherwise the winding about the
// elliptic fixed point nearest the segment's middle, plotted over [-1/2, 1/2]. Nothing
// (and `problem` says why) when that map has no such point near the segment.
std::optional<RotationProfileSettings> RotationProfileSettingsFor(const PlaneMap& map, const WorldRange& xyRange,
                                                                  WorldPoint a, WorldPoint b,
                                                                  const RotationProfileValues& values,
                                                                  std::string& problem);
inline constexpr const char* kNoWindingCentre =
    "The map's x does not wrap, and no elliptic fixed point lies near the segment to count turns about.";

// Points per unit of work: a block of consecutive points.
inline constexpr std::int32_t kProfilePointsPerUnit = 8;
std::int64_t ProfileUnits(const RotationProfileSettings& settings) noexcept;

// The points of unit `unit` written into `profile` (sized to the settings' points); the
// same numbers whichever thread computes them.
void ComputeProfileUnit(const PlaneMap& map, const RotationProfileSettings& settings, std::int64_t unit,
                        std::vector<ProfilePoint>& profile);
// The whole profile on `pool`, waiting for it.
std::vector<ProfilePoint> ComputeRotationProfile(const PlaneMap& map, const RotationProfileSettings& settings,
                                                 WorkerPool& pool);

// Where the plot sits on a picture: the axes of s (horizontal) and rotation number.
DiagramLayout LayOutProfile(int width, int height, const RotationProfileSettings& settings);
// The column of point i of the profile, and the row of a rotation number (nothing outside
// the plotted range or not a number).
int ProfileColumn(const DiagramLayout& layout, const RotationProfileSettings& settings, int i) noexcept;
std::optional<int> ProfileRow(const DiagramLayout& layout, const RotationProfileSettings& settings,
                              double rotation) noexcept;
// The point nearest a column of the plot; nothing outside the plot's columns.
std::optional<int> ProfilePointAtColumn(const DiagramLayout& layout, const RotationProfileSettings& settings,
                                        int column) noexcept;

// A profile as a sweep job: blocks of points, each drawn as it finishes.
class RotationProfileJob : public SweepJob {
 public:
  RotationProfileJob(PlaneMap map, const RotationProfileSettings& settings, std::string mapName, int width,
                     int height);
  const std::vector<ProfilePoint>& Profile() const noexcept { return profile_; }
  const RotationProfileSettings& Settings() const noexcept { return settings_; }
  const DiagramLayout& Layout() const noexcept { return layout_; }
  // Whether the unit holding point i has finished (read on the job's own thread).
  bool PointDone(int i) const noexcept;

  std::int64_t Units() const override { return ProfileUnits(settings_); }
  bool ComputeUnit(std::int64_t unit, std::stop_token stop) override;
  std::int64_t UnitIterations(std::int64_t unit) const override;
  std::int64_t UnitItems(std::int64_t unit) const override;
  std::int64_t Items() const override { return settings_.points; }
  std::string WorkName() const override { return "Rotation profile"; }
  std::string ItemName() const override { return "points"; }
  std::string Remarks(const std::vector<std::uint8_t>& done) const override;
  void DrawFrame(Canvas& canvas) override;
  void DrawUnit(Canvas& canvas, std::int64_t unit) const override;
  void DrawOverlay(Canvas& /*canvas*/) const override {}
  void DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const override;

 private:
  void DrawFrameOn(Canvas& canvas, DiagramLayout& layout) const;  // the layout takes the labels' widths
  // The points of a unit as squares of 2 radius + 1 pixels.
  void DrawPointsOn(Canvas& canvas, const DiagramLayout& layout, std::int64_t unit, int radius) const;

  PlaneMap map_;
  RotationProfileSettings settings_;
  std::string mapName_;
  DiagramLayout layout_;
  std::vector<ProfilePoint> profile_;
  std::vector<std::uint8_t> finished_;  // per unit, written by the unit that computed it
  std::mutex evaluating_;  // a map that serves one caller at a time
};

// The "Rotation Profile" window: a zoom computes the part of the segment and the range of
// rotation numbers a rectangle covers, the pointer's nearest point is described in the
// status line, a click starts an orbit from that point in the explorer, Export writes
// "s x y rotation" lines.
class RotationProfileWindowLogic : public SweepViewOf<RotationProfileSettings> {
 public:
  RotationProfileWindowLogic(OrbitraState& state, Prompter& prompter, const RotationProfileSettings& settings,
                             int threads);
  std::string WindowTitle() const override;
  std::string PointerText(int px, int py) const override;
  Invalidation Click(int px, int py) override;
  // The finished profile as "s x y rotation" lines; refused until every point is in.
  [[nodiscard]] FileFailure Export(const std::filesystem::path& file) const;
  const RotationProfileJob* CurrentJob() const noexcept { return job_; }

 protected:
  std::unique_ptr<SweepJob> MakeJob(int width, int height) override;
  std::optional<RotationProfileSettings> Zoomed(int x0, int y0, int x1, int y1) const override;

 private:
  OrbitraState& state_;
  Prompter& prompter_;
  GridViewMap map_;
  PlaneMap analysisMap_;
  RotationProfileJob* job_ = nullptr;
};

inline constexpr const char* kProfileExportIncomplete =
    "The profile is not complete: press Resume and export it when every point is in.";

}  // namespace orbitra
