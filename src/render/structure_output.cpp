// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/structure_output.h"

#include <cmath>
#include <cstdio>

#include <QSaveFile>
#include <QString>

#include <algorithm>

#include "analysis/area_preservation.h"
#include "analysis/critical_circle.h"
#include "analysis/residue.h"
#include "analysis/rotation_number.h"
#include "storage/file_io.h"
#include "sweeps/structure_commands.h"

namespace orbitra {

namespace {

bool WriteManifoldPoints(const std::vector<ManifoldBranch>& branches, const std::filesystem::path& file,
                         Prompter& prompter) {
  const std::string text = FormatManifoldPoints(branches);
  QSaveFile out(QString::fromStdString(file.string()));
  const bool written = out.open(QIODevice::WriteOnly) &&
                       out.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
                       out.commit();
  if (!written) prompter.ShowMessage(FileFailureText("write", file, out.errorString().toStdString()));
  return written;
}

}  // namespace

bool PerformStructureRequest(OrbitraState& state, const RenderRequest& request, Canvas& canvas, std::ostream& out,
                             Prompter& prompter) {
  if (request.rotationProfile) {
    const PlaneMap map = AnalysisMapOf(state);
    const RenderRequest::Profile& profile = *request.rotationProfile;
    std::optional<WorldPoint> centre = request.centre;
    if (!centre && !(map.Wrap().x > 0.0)) {
      const WorldPoint middle{0.5 * (profile.a.x + profile.b.x), 0.5 * (profile.a.y + profile.b.y)};
      const WorldRange r = state.Boxes.XYBox.GetRange();
      centre = EllipticFixedPointNear(map, middle, 0.125 * std::hypot(r.Xmax - r.Xmin, r.Ymax - r.Ymin));
      if (!centre) {
        prompter.ShowMessage("no elliptic fixed point near the segment to count the winding about: give --centre x,y");
        return false;
      }
    }
    const std::int64_t iterations = request.job.iterations.value_or(1000);
    out << FormatRotationProfile(
               RotationProfile(map, profile.a, profile.b, profile.points, profile.transient, iterations, centre))
        << std::flush;
  }
  if (request.orbitType || request.criticalCircle) {
    const PlaneMap map = AnalysisMapOf(state);
    if (!(map.Wrap().x > 0.0)) {
      prompter.ShowMessage("the map's x does not wrap: orbits have no rotation type p/q and circles no rotation number");
      return false;
    }
    if (request.orbitType) {
      const WorldRange region = SearchOf(state, 1, request.region).region;
      out << FormatPeriodicOrbits(FindOrbitsOfType(map, request.orbitType->p, request.orbitType->q, region), true)
          << std::flush;
    }
    if (request.criticalCircle) {
      CriticalCircleSettings settings;
      settings.omega = *request.criticalCircle;
      settings.largestPeriod = request.criticalLargestPeriod;
      const CriticalCircle circle = FindCriticalCircle(state.Model, settings);
      out << FormatCriticalCircle(circle) << std::flush;
      if (circle.rows.empty()) return false;
    }
  }
  const int periods = std::max(request.periodicOrbits.value_or(0), request.manifolds ? request.manifolds->period : 0);
  if (periods == 0) return true;
  const PlaneMap map = AnalysisMapOf(state);
  WorkerPool pool;
  const std::vector<PeriodicOrbit> orbits = FindPeriodicOrbits(map, SearchOf(state, periods, request.region), pool);
  if (request.periodicOrbits) {
    std::vector<PeriodicOrbit> listed;
    for (const PeriodicOrbit& o : orbits) {
      if (o.period <= *request.periodicOrbits) listed.push_back(o);
    }
    const WorldRange region = SearchOf(state, periods, request.region).region;
    out << FormatPeriodicOrbits(listed, PreservesArea(map, region)) << std::flush;
  }
  if (!request.manifolds) return true;

  const PeriodicOrbit* saddle = NearestSaddle(orbits, request.manifolds->period, request.manifolds->near);
  if (!saddle) {
    prompter.ShowMessage("no saddle of period " + std::to_string(request.manifolds->period) + " was found");
    return false;
  }
  // Which saddle was taken, and how far its nearest point lies from the one asked for.
  const WorldPoint near = request.manifolds->near;
  const WorldPoint* taken = &saddle->points.front();
  for (const WorldPoint& p : saddle->points) {
    if (std::hypot(p.x - near.x, p.y - near.y) < std::hypot(taken->x - near.x, taken->y - near.y)) taken = &p;
  }
  char where[160];
  std::snprintf(where, sizeof where, "the manifolds of the saddle of period %d at (%.9g, %.9g), %.3g from (%.9g, %.9g)",
                saddle->period, taken->x, taken->y, std::hypot(taken->x - near.x, taken->y - near.y), near.x, near.y);
  prompter.ShowMessage(where);
  ManifoldSettings settings;
  if (request.arcLength) settings.arcLength = *request.arcLength;
  state.Structure.Manifolds = GrowManifolds(map, *saddle, settings, pool);
  state.Structure.Wrap = map.Wrap();
  DrawStructure(state.Structure, state.Boxes.XYBox, canvas);
  return !request.exportFile || WriteManifoldPoints(state.Structure.Manifolds, *request.exportFile, prompter);
}

}  // namespace orbitra
