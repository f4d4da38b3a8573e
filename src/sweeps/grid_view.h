// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/grid_values.h"
#include "explorer/orbitra_state.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"
#include "plot/grid_picture.h"

namespace orbitra {

// What the whole-plane views (parameter plane, basins) take from the explorer: its map
// and parameters, the map's name as the X-Y box shows it, the X-Y box's range (the basins'
// default) and the initial point X0, Y0 (the parameter plane's default).
// The parameters a picture names under its title, so that a saved picture says what it
// shows: those the map's formula lines name (all four when they name none).
struct MapParameters {
  std::array<double, 4> k{};
  std::array<bool, 4> named{true, true, true, true};
};
// The explorer's parameters, named by its map's formula lines.
MapParameters MapParametersOf(const OrbitraState& state);
// Values k of the map numbered `system` in the explorer's list, named by its formula lines
// (a window kept in a session, whose map is not the explorer's).
MapParameters MapParametersOf(const OrbitraState& state, int system, const std::array<double, 4>& k);
// Values k of the map called `mapName`: named by a built-in map's formula lines, all four
// for any other name (a user's map, not known here).
MapParameters MapParametersNamed(std::string_view mapName, const std::array<double, 4>& k);
// "k1 = 1.4, k3 = 1": the named parameters but `varied` (up to two, -1 for none).
std::string FixedParametersText(const MapParameters& p, int variedA = -1, int variedB = -1);

struct GridViewMap {
  MappingModel model;
  std::string name;
  WorldRange xyRange;
  WorldPoint initial;
  MapParameters parameters;
};
GridViewMap GridViewMapOf(const OrbitraState& state);

// "k1" to "k4" for 0 to 3.
std::string ParameterName(int which);

// The title and the axis names of a view's picture, e.g. "Henon D-C Map: k1 and k2 by
// period", "Henon D-C Map: basins by escape time", and under the title the parameters
// that stay fixed ("k3 = 1"; all of them for basins).
GridPictureText GridPictureTextFor(const std::string& mapName, const GridSettings& s,
                                   const MapParameters* parameters = nullptr);

// The whole picture of a view: what the window shows and orbitra-render writes.
void DrawGridView(Canvas& canvas, const GridValues& grid, const std::string& mapName,
                  const GridShown* shown = nullptr, const MapParameters* parameters = nullptr);

// The status text of the pixel under the pointer: its parameters (or point), its class
// or value, and λ1 where there is one, e.g. "k1 = 1.4, k2 = 0.3: chaotic, λ1 = 0.419".
// `labels` are the attractors' numbers (GridPalette::AttractorLabels) for that colouring.
// With `shown`, a row not finished yet is "not computed yet" (its cells are not read).
std::string GridPixelText(const GridValues& grid, std::int32_t column, std::int32_t row,
                          const std::vector<std::int32_t>& labels = {}, const GridShown* shown = nullptr);

// "Parameter plane: 42% of 480000 pixels, 1.3 M pixels/s" (basins: "Basins: ...").
std::string GridProgressText(const GridValues& grid, std::int64_t done, double seconds);

// A click on a parameter plane's cell: both of its parameters go to the explorer's map as
// if typed in "Select Mapping" (the same map, the other parameters and the X-Y box's
// range kept, stored points deleted as that dialog deletes them, after its question).
Invalidation ApplyParameterPlaneClick(OrbitraState& state, Prompter& prompter, const GridSettings& settings,
                                      GridCell cell);

// A click on a basin picture's cell: a new run from the cell's point, as "Initial
// conditions" with "Run trajectory by pressing Ok" ticked.
Invalidation ApplyBasinsClick(OrbitraState& state, const GridSettings& settings, GridCell cell);

// The range a zoom rectangle dragged on the picture covers (canvas pixels, corners in any
// order, clipped to the cells): the whole cells under it. Nothing for a rectangle less
// than two cells wide or high, or outside the cells.
std::optional<WorldRange> ZoomedGridRange(const GridSettings& settings, const GridPictureLayout& layout, int x0,
                                          int y0, int x1, int y1);

}  // namespace orbitra
