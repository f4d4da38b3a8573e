// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/rotation_profile_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "explorer/initial_conditions_logic.h"
#include "storage/replacement_file.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/structure_commands.h"

namespace orbitra {

namespace {

constexpr Colour kProfileDot = Colour::FromRgb(0, 0, 160);

// The last point of a unit, one past it.
std::int32_t UnitEnd(const RotationProfileSettings& s, std::int64_t unit) noexcept {
  return static_cast<std::int32_t>(std::min<std::int64_t>((unit + 1) * kProfilePointsPerUnit, s.points));
}
std::int32_t UnitBegin(std::int64_t unit) noexcept { return static_cast<std::int32_t>(unit * kProfilePointsPerUnit); }

double SegmentLength(const RotationProfileSettings& s) noexcept { return std::hypot(s.b.x - s.a.x, s.b.y - s.a.y); }

// The axes as the plot box takes them: s across, the rotation number up.
OrbitDiagramView AxesOf(const RotationProfileSettings& s) {
  OrbitDiagramView view;
  const double length = SegmentLength(s);
  view.parameterMin = s.from * length;
  view.parameterMax = s.to * length;
  view.coordinateMin = s.rotationMin;
  view.coordinateMax = s.rotationMax;
  return view;
}

// Point i of the view and its s, as RotationProfilePoint places it (before its orbit is run).
ProfilePoint PlaceOf(const RotationProfileSettings& s, int i) noexcept {
  const double t = s.from + (s.to - s.from) * (s.points > 1 ? static_cast<double>(i) / (s.points - 1) : 0.0);
  return {t * SegmentLength(s), WorldPoint{s.a.x + t * (s.b.x - s.a.x), s.a.y + t * (s.b.y - s.a.y)}, NAN};
}

}  // namespace

std::optional<std::string> CheckRotationProfileValues(const RotationProfileValues& v) {
  if (v.points < 2 || v.points > kMostProfilePoints) {
    return "The points must be from 2 to " + std::to_string(kMostProfilePoints) + ".";
  }
  if (v.transient < 0) return "The transient cannot be negative.";
  if (v.iterations < 1) return "The iterations must be at least 1.";
  return std::nullopt;
}

std::optional<RotationProfileSettings> RotationProfileSettingsFor(const PlaneMap& map, const WorldRange& xyRange,
                                                                  WorldPoint a, WorldPoint b,
                                                                  const RotationProfileValues& values,
                                                                  std::string& problem) {
  RotationProfileSettings s;
  s.a = a;
  s.b = b;
  s.points = values.points;
  s.transient = values.transient;
  s.iterations = values.iterations;
  if (map.Wrap().x > 0.0) return s;
  const WorldPoint middle{0.5 * (a.x + b.x), 0.5 * (a.y + b.y)};
  s.centre = EllipticFixedPointNear(
      map, middle, 0.125 * std::hypot(xyRange.Xmax - xyRange.Xmin, xyRange.Ymax - xyRange.Ymin));
  if (!s.centre) {
    problem = kNoWindingCentre;
    return std::nullopt;
  }
  s.rotationMin = -0.5;
  s.rotationMax = 0.5;
  return s;
}

std::int64_t ProfileUnits(const RotationProfileSettings& s) noexcept {
  return (static_cast<std::int64_t>(s.points) + kProfilePointsPerUnit - 1) / kProfilePointsPerUnit;
}

void ComputeProfileUnit(const PlaneMap& map, const RotationProfileSettings& s, std::int64_t unit,
                        std::vector<ProfilePoint>& profile) {
  for (std::int32_t i = UnitBegin(unit); i < UnitEnd(s, unit); ++i) {
    profile[static_cast<std::size_t>(i)] =
        RotationProfilePoint(map, s.a, s.b, s.from, s.to, s.points, i, s.transient, s.iterations, s.centre);
  }
}

std::vector<ProfilePoint> ComputeRotationProfile(const PlaneMap& map, const RotationProfileSettings& s,
                                                 WorkerPool& pool) {
  std::vector<ProfilePoint> profile(static_cast<std::size_t>(std::max(s.points, 0)));
  std::mutex evaluating;
  pool.Run(ProfileUnits(s), [&](std::int64_t unit, std::stop_token) {
    std::unique_lock<std::mutex> lock(evaluating, std::defer_lock);
    if (!map.Concurrent()) lock.lock();
    ComputeProfileUnit(map, s, unit, profile);
    return true;
  });
  return profile;
}

DiagramLayout LayOutProfile(int width, int height, const RotationProfileSettings& s) {
  return LayOutDiagram(width, height, AxesOf(s));
}

int ProfileColumn(const DiagramLayout& layout, const RotationProfileSettings& s, int i) noexcept {
  if (s.points < 2 || layout.columns < 1) return 0;
  return static_cast<int>(std::lround(static_cast<double>(i) * (layout.columns - 1) / (s.points - 1)));
}

std::optional<int> ProfileRow(const DiagramLayout& layout, const RotationProfileSettings& s, double rotation) noexcept {
  if (!std::isfinite(rotation) || layout.rows < 1 || !(s.rotationMax > s.rotationMin)) return std::nullopt;
  const double f = (rotation - s.rotationMin) / (s.rotationMax - s.rotationMin);
  if (f < 0.0 || f > 1.0) return std::nullopt;
  return static_cast<int>(std::lround(f * (layout.rows - 1)));
}

std::optional<int> ProfilePointAtColumn(const DiagramLayout& layout, const RotationProfileSettings& s,
                                        int column) noexcept {
  if (column < 0 || column >= layout.columns || s.points < 1) return std::nullopt;
  if (s.points < 2 || layout.columns < 2) return 0;
  const double at = static_cast<double>(column) * (s.points - 1) / (layout.columns - 1);
  return std::clamp(static_cast<int>(std::lround(at)), 0, s.points - 1);
}

RotationProfileJob::RotationProfileJob(PlaneMap map, const RotationProfileSettings& settings, std::string mapName,
                                       int width, int height)
    : map_(std::move(map)),
      settings_(settings),
      mapName_(std::move(mapName)),
      layout_(LayOutProfile(width, height, settings)),
      profile_(static_cast<std::size_t>(settings.points)),
      finished_(static_cast<std::size_t>(ProfileUnits(settings)), 0) {}

bool RotationProfileJob::PointDone(int i) const noexcept {
  return i >= 0 && i < settings_.points && finished_[static_cast<std::size_t>(i / kProfilePointsPerUnit)] != 0;
}

bool RotationProfileJob::ComputeUnit(std::int64_t unit, std::stop_token stop) {
  if (stop.stop_requested()) return false;
  std::unique_lock<std::mutex> lock(evaluating_, std::defer_lock);
  if (!map_.Concurrent()) lock.lock();
  ComputeProfileUnit(map_, settings_, unit, profile_);
  finished_[static_cast<std::size_t>(unit)] = 1;
  return true;
}

std::int64_t RotationProfileJob::UnitIterations(std::int64_t unit) const {
  return static_cast<std::int64_t>(UnitEnd(settings_, unit) - UnitBegin(unit)) *
         (settings_.transient + settings_.iterations);
}

std::int64_t RotationProfileJob::UnitItems(std::int64_t unit) const { return UnitEnd(settings_, unit) - UnitBegin(unit); }

std::string RotationProfileJob::Remarks(const std::vector<std::uint8_t>& done) const {
  int lost = 0;
  for (std::int64_t u = 0; u < static_cast<std::int64_t>(done.size()); ++u) {
    if (!done[static_cast<std::size_t>(u)]) continue;
    for (std::int32_t i = UnitBegin(u); i < UnitEnd(settings_, u); ++i) {
      lost += std::isnan(profile_[static_cast<std::size_t>(i)].rotation) ? 1 : 0;
    }
  }
  return lost == 0 ? std::string() : std::to_string(lost) + " orbits escaped";
}

void RotationProfileJob::DrawFrameOn(Canvas& canvas, DiagramLayout& layout) const {
  canvas.Clear(kWhite);
  const std::string title = mapName_ + ": rotation number along a segment";
  char subtitle[160];
  std::snprintf(subtitle, sizeof subtitle, "from (%.6g, %.6g) to (%.6g, %.6g)", settings_.a.x, settings_.a.y,
                settings_.b.x, settings_.b.y);
  std::string under = subtitle;
  if (settings_.centre) {
    char centre[80];
    std::snprintf(centre, sizeof centre, ", turns about (%.6g, %.6g)", settings_.centre->x, settings_.centre->y);
    under += centre;
  }
  DrawDiagramFrame(canvas, layout, title, "s", "rotation", under);
}

void RotationProfileJob::DrawPointsOn(Canvas& canvas, const DiagramLayout& layout, std::int64_t unit,
                                      int radius) const {
  // A square dot per point (3 x 3 pixels on the screen), kept inside the plot.
  const Canvas::Pixel dot = Canvas::ToPixel(kProfileDot);
  for (std::int32_t i = UnitBegin(unit); i < UnitEnd(settings_, unit); ++i) {
    const std::optional<int> row = ProfileRow(layout, settings_, profile_[static_cast<std::size_t>(i)].rotation);
    if (!row) continue;
    const int column = ProfileColumn(layout, settings_, i);
    for (int dc = -radius; dc <= radius; ++dc) {
      for (int dr = -radius; dr <= radius; ++dr) {
        const int c = column + dc, r = *row + dr;
        if (c < 0 || c >= layout.columns || r < 0 || r >= layout.rows) continue;
        canvas.SetPixelRaw(layout.gridLeft + c, layout.gridBottom - r, dot);
      }
    }
  }
}

void RotationProfileJob::DrawFrame(Canvas& canvas) { DrawFrameOn(canvas, layout_); }

void RotationProfileJob::DrawUnit(Canvas& canvas, std::int64_t unit) const { DrawPointsOn(canvas, layout_, unit, 1); }

void RotationProfileJob::DrawAtSize(Canvas& canvas, const std::vector<std::uint8_t>& done) const {
  DiagramLayout layout = LayOutDiagram(canvas.Width(), canvas.Height(), AxesOf(settings_), canvas.TextScale());
  DrawFrameOn(canvas, layout);
  // Dots grow with the picture, as its texts do.
  const int radius = std::max(1, static_cast<int>(std::lround(canvas.TextScale())));
  for (std::size_t u = 0; u < done.size(); ++u) {
    if (done[u] != 0) DrawPointsOn(canvas, layout, static_cast<std::int64_t>(u), radius);
  }
}

RotationProfileWindowLogic::RotationProfileWindowLogic(OrbitraState& state, Prompter& prompter,
                                                       const RotationProfileSettings& settings, int threads)
    : SweepViewOf<RotationProfileSettings>(settings, threads),
      state_(state),
      prompter_(prompter),
      map_(GridViewMapOf(state)),
      analysisMap_(AnalysisMapOf(state)) {}

std::string RotationProfileWindowLogic::WindowTitle() const { return "Rotation Profile - " + map_.name; }

std::unique_ptr<SweepJob> RotationProfileWindowLogic::MakeJob(int width, int height) {
  auto job = std::make_unique<RotationProfileJob>(analysisMap_, CurrentView(), map_.name, width, height);
  job_ = job.get();
  return job;
}

std::optional<RotationProfileSettings> RotationProfileWindowLogic::Zoomed(int x0, int y0, int x1, int y1) const {
  if (job_ == nullptr) return std::nullopt;
  const DiagramLayout& layout = job_->Layout();
  const RotationProfileSettings& s = job_->Settings();
  if (layout.columns < 2 || layout.rows < 2) return std::nullopt;
  const auto column = [&](int x) { return std::clamp(x - layout.gridLeft, 0, layout.columns - 1); };
  const auto row = [&](int y) { return std::clamp(layout.gridBottom - y, 0, layout.rows - 1); };
  const int c0 = column(std::min(x0, x1)), c1 = column(std::max(x0, x1));
  const int r0 = row(std::max(y0, y1)), r1 = row(std::min(y0, y1));
  if (c1 - c0 < 2 || r1 - r0 < 2) return std::nullopt;
  RotationProfileSettings zoomed = s;
  const double dt = (s.to - s.from) / (layout.columns - 1);
  const double dr = (s.rotationMax - s.rotationMin) / (layout.rows - 1);
  zoomed.from = s.from + c0 * dt;
  zoomed.to = s.from + c1 * dt;
  zoomed.rotationMin = s.rotationMin + r0 * dr;
  zoomed.rotationMax = s.rotationMin + r1 * dr;
  return zoomed;
}

std::string RotationProfileWindowLogic::PointerText(int px, int py) const {
  if (job_ == nullptr) return {};
  const DiagramLayout& layout = job_->Layout();
  int column = 0, row = 0;
  if (!layout.CellAt(px, py, column, row)) return {};
  const std::optional<int> i = ProfilePointAtColumn(layout, job_->Settings(), column);
  if (!i) return {};
  const ProfilePoint& p = job_->Profile()[static_cast<std::size_t>(*i)];
  char text[200];
  if (!job_->PointDone(*i)) {
    const ProfilePoint at = PlaceOf(job_->Settings(), *i);
    std::snprintf(text, sizeof text, "s = %.6g (x = %.6g, y = %.6g): not computed yet", at.s, at.at.x, at.at.y);
  } else if (std::isnan(p.rotation)) {
    std::snprintf(text, sizeof text, "s = %.6g (x = %.6g, y = %.6g): the orbit escaped", p.s, p.at.x, p.at.y);
  } else {
    std::snprintf(text, sizeof text, "s = %.6g (x = %.6g, y = %.6g): rotation %.9g", p.s, p.at.x, p.at.y,
                  p.rotation);
  }
  return text;
}

Invalidation RotationProfileWindowLogic::Click(int px, int py) {
  if (job_ == nullptr) return Invalidation::None;
  const DiagramLayout& layout = job_->Layout();
  int column = 0, row = 0;
  if (!layout.CellAt(px, py, column, row)) return Invalidation::None;
  const std::optional<int> i = ProfilePointAtColumn(layout, job_->Settings(), column);
  if (!i) return Invalidation::None;
  if (state_.Model.system != map_.model.system) {
    prompter_.ShowMessage(kGridOtherMap);
    return Invalidation::None;
  }
  // The point itself, whether or not its rotation number is in yet.
  const ProfilePoint at = PlaceOf(job_->Settings(), *i);
  InitialConditionsValues values = PrepareInitialConditionsDialog(state_);
  values.x0 = at.at.x;
  values.y0 = at.at.y;
  values.runOnOk = 1;
  const Invalidation invalidation = ApplyInitialConditionsDialog(state_, values);
  InitialConditionsDialogClosed(state_);
  return invalidation;
}

FileFailure RotationProfileWindowLogic::Export(const std::filesystem::path& file) const {
  if (job_ == nullptr || !Runner().Complete()) return std::string(kProfileExportIncomplete);
  return ReplaceFile(file, FormatRotationProfile(job_->Profile()));
}

}  // namespace orbitra
