// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/structure_output.h"

#include <cmath>
#include <cstdio>

#include <QSaveFile>
#include <QString>

#include <algorithm>

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
    out << FormatPeriodicOrbits(listed) << std::flush;
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
