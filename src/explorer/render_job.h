#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "explorer/orbitra_state.h"
#include "maps/world_geometry.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// A picture made without a window, as plain values: what orbitra-render was asked for.
// Everything not given keeps what a fresh start of the program has.
struct RenderJob {
  int system = 1;                               // catalogue index, 1 to 10
  std::array<std::optional<double>, 4> k;       // k1 to k4; the map's defaults otherwise
  std::vector<WorldPoint> starts;               // one new run from each, in order
  std::optional<std::filesystem::path> group;   // a group file, run as "Run Trajectory Group" runs it
  std::optional<std::int32_t> iterations;       // "Iterations ="
  std::optional<int> colour;                    // position in the "Color" list
  std::optional<std::int32_t> displayMode;      // 0 or 1
  std::optional<WorldRange> range;              // the X-Y box's, rounded as its dialog rounds it
  std::optional<std::int32_t> bufferCapacity;   // points; see RenderBufferCapacity otherwise
};

// The catalogue index of a map given by its name (letter case aside) or by its number
// 1 to 10; nothing for anything else.
std::optional<int> FindSystem(std::string_view nameOrNumber);

// The position in the "Color" list of a colour given by its name (letter case aside) or by
// its position 0 to 12; nothing for anything else.
std::optional<int> FindColour(std::string_view nameOrPosition);

// The buffer a job gets unless it names one: room for every iteration it asks for (the
// group file's lines counted), and never less than the program's default, so that a long
// run is kept whole instead of ending with "Buffer is Full".
std::int32_t RenderBufferCapacity(const RenderJob& job);

// Performs the job on a freshly started state, through the commands the window's user
// would give: "Select Mapping" with the map and its parameters (default range on), the
// buffer rebuilt as "reconstruction" rebuilds it, "Work/Display ...", the X-Y box's range
// through its dialog, "Initial conditions" with the iterations and the colour; then one
// new run per starting point, or the group, each in a full repaint of the canvas, or a
// single full repaint when nothing is to run. The group file is copied in as "icgroup.txt"
// after start-up emptied that. Messages go to the prompter; false when the group file
// could not be copied (reported).
bool PerformRenderJob(OrbitraState& state, const RenderJob& job, Canvas& canvas, Prompter& prompter);

}  // namespace orbitra
