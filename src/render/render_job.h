// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "explorer/orbitra_state.h"
#include "explorer/work_progress.h"
#include "maps/user_map_table.h"
#include "maps/world_geometry.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// A picture made without a window, as plain values: what orbitra-render was asked for.
// Everything not given keeps what a fresh start of the program has.
struct RenderJob {
  int system = 1;                               // 1 to 10 built-in; kFirstUserSystem + i: userMaps[i]
  std::vector<UserMap> userMaps;                // the user's maps the job knows, in list order
  std::array<std::optional<double>, 4> k;       // k1 to k4; the map's defaults otherwise
  std::vector<WorldPoint> starts;               // one new run from each, in order
  std::optional<std::filesystem::path> group;   // a group file, run as "Run Trajectory Group" runs it
  std::optional<std::int32_t> iterations;       // "Iterations ="
  std::optional<int> colour;                    // position in the "Color" list
  std::optional<std::int32_t> displayMode;      // 0 or 1
  std::optional<WorldRange> range;              // the X-Y box's, rounded as its dialog rounds it
  std::optional<std::int32_t> bufferCapacity;   // points; see RenderBufferCapacity otherwise
  bool inspect = false;                         // the orbit inspector follows the runs
  // A session to start from; then only what is given above (the map when mapGiven) applies
  // on top of it, and the runs add to its points.
  std::optional<std::filesystem::path> session;
  bool mapGiven = false;
};

// Watches a job's long work from outside the core (orbitra-render's progress line): told
// when the work of each repaint begins and, between its slices, how far it has got.
class RenderWatcher {
 public:
  virtual ~RenderWatcher() = default;
  virtual void WorkBegins() = 0;
  virtual void WorkGoesOn(const WorkProgress& progress) = 0;
};

// Iterations or replayed points per slice of a job's repaint: about a tenth of a second of
// a fast map, so a progress line moves often while the slices cost nothing to speak of.
inline constexpr std::int64_t kRenderSlice = 4'000'000;

// The system index of a map given by its name (letter case aside) or by its number 1 to
// 10: a built-in map first, then one of the user's maps; nothing for anything else.
std::optional<int> FindSystem(std::string_view nameOrNumber, const std::vector<UserMap>& userMaps = {});

// The position in the "Color" list of a colour given by its name (letter case aside) or by
// its position 0 to 12; nothing for anything else.
std::optional<int> FindColour(std::string_view nameOrPosition);

// The buffer a job gets unless it names one: room for every iteration it asks for (the
// group file's lines counted), and never less than the program's default, so that a long
// run is kept whole instead of ending with "Buffer is Full".
std::int32_t RenderBufferCapacity(const RenderJob& job);

// Performs the job on a freshly started state (or on the job's session, opened on it), through the commands the window's user
// would give: the job's user maps become the state's, the orbit inspector is shown if the
// job inspects, then "Select Mapping" with the map and its parameters (default range on), the
// buffer rebuilt as "reconstruction" rebuilds it, "Work/Display ...", the X-Y box's range
// through its dialog, "Initial conditions" with the iterations and the colour; then one
// new run per starting point, or the group, each in a full repaint of the canvas, or a
// single full repaint when nothing is to run. Each repaint goes in slices of kRenderSlice,
// with the watcher, if any, told between them. The group file is copied in as "icgroup.txt"
// after start-up emptied that. Messages go to the prompter; false when the session could
// not be opened or the group file could not be copied (reported).
bool PerformRenderJob(OrbitraState& state, const RenderJob& job, Canvas& canvas, Prompter& prompter,
                      RenderWatcher* watcher = nullptr);

// The first steps of PerformRenderJob: the job's session, if any, then its user maps, its
// map and parameters through "Select Mapping" (default range on, the machine code of a typed
// map awaited unless awaitCode is false), and the X-Y box's range; nothing runs. False when
// the session could not be opened (the prompter has said why). PerformRenderJob does not
// wait: its runs start interpreted and take the machine code at a slice once it is there,
// with the same bits, so a long compile never holds them up.
[[nodiscard]] bool SelectRenderJobMap(OrbitraState& state, const RenderJob& job, Prompter& prompter,
                                      bool awaitCode = true);

}  // namespace orbitra
