// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>

#include "analysis/orbit_diagram.h"
#include "explorer/picture.h"
#include "render/grid_request.h"
#include "render/render_job.h"

namespace orbitra {

// An orbit diagram instead of runs: the view, and what the dialog would say besides.
struct DiagramRequest {
  OrbitDiagramView view;
  bool coordinateRangeGiven = false;  // otherwise the X-Y box's range of the coordinate
  bool carry = true;
  int shading = 0;  // 0 logarithmic grey, 1 black
};

// Everything orbitra-render was asked to do. Files are absolute, resolved against the
// folder the program was started in.
struct RenderRequest {
  RenderJob job;
  PictureSize picture{800, 600, 1.0};
  std::optional<std::filesystem::path> png;
  std::optional<std::filesystem::path> exportFile;
  bool highAccuracy = false;
  std::optional<int> threads;  // worker threads of a sweep; one per core otherwise
  std::optional<DiagramRequest> diagram;  // an orbit diagram instead of runs
  std::optional<GridRequest> grid;  // a parameter plane or basins instead of runs
  std::optional<std::filesystem::path> saveSession;  // the session of the runs, written after them
  std::optional<int> view;  // with the job's session: draw its sweep window N (from 0) to png
  std::optional<int> periodicOrbits;  // list the prime periodic orbits of periods 1 to this
  std::optional<WorldRange> region;   // where to look for them: the X-Y box's range otherwise
  struct Manifolds {
    int period = 1;
    WorldPoint near;  // the saddle of that period found nearest to this point
  };
  std::optional<Manifolds> manifolds;  // drawn into the picture; the export writes their points
  std::optional<double> arcLength;     // of each manifold branch
  struct OrbitType {
    int p = 0;
    int q = 1;
  };
  std::optional<OrbitType> orbitType;      // --periodic-orbit-type p/q
  std::optional<double> criticalCircle;    // --critical-circle: the rotation number (--omega)
  int criticalLargestPeriod = 987;         // --largest-period
  struct Profile {
    WorldPoint a, b;
    int points = 100;
    std::int32_t transient = 0;
  };
  std::optional<Profile> rotationProfile;  // --rotation-profile x0,y0:x1,y1 --points N
  std::optional<WorldPoint> centre;         // --centre, for the profile's winding
  bool interpreted = false;  // typed maps run by the expression library, never compiled
  bool plotOnly = false;     // no texts at fixed places, the picture cut to the boxes
};

inline constexpr int kMostThreads = 1024;

// The command line read: a request, or help (text to print, success), or an error (a
// message naming the bad argument; the program exits with status 2).
struct RenderArguments {
  std::optional<RenderRequest> request;
  std::string helpText;  // set when --help was given
  std::string error;     // set when an argument is wrong
  bool unreadableFile = false;  // the error is a file that cannot be read (exit status 1)
  std::vector<std::string> notes;  // worth saying but no reason to stop (a damaged map file)
};

// The name a map given by --x and --y goes by (on the X-Y box and in the orbit report).
inline constexpr const char* kInlineMapName = "Formula";

RenderArguments ParseRenderArguments(const QStringList& arguments);

}  // namespace orbitra
