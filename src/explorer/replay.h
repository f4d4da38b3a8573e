#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "explorer/run_state.h"
#include "platform/canvas.h"
#include "plot/plot_box.h"
#include "storage/point_store.h"

namespace orbitra {

// The replays take plain records (the store, the working folder, the box, the run state
// for the colours and display options), never the whole state: a picture of another
// size replays into a copy of the box and leaves the program's records as they are.

// Plots every whole record of "tmpdata.bin" in the working folder into the X-Y box, in the
// record's colour or in black with "Display Buffer data in black"; returns the number of
// whole records read. A trailing partial record is ignored; a missing file counts as empty.
std::int32_t ReplayStream(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run,
                          Canvas& canvas);

// Plots the buffered points, in storing order, as ReplayStream plots records.
void ReplayBuffer(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas);

// The stored points as the display options show them: the stream (when shown), then the
// buffer (when shown) over it. Returns the stream's record count, or nothing when the
// stream is not shown.
std::optional<std::int32_t> ReplayKeptPoints(const PointStore& store, const std::filesystem::path& workDir,
                                             const PlotBox& xyBox, const RunState& run, Canvas& canvas);

}  // namespace orbitra
