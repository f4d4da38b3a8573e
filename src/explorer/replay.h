#pragma once

#include <cstdint>
#include <filesystem>

#include "explorer/orbitra_state.h"
#include "explorer/run_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"
#include "plot/plot_box.h"
#include "storage/point_store.h"

namespace orbitra {

// The replays take plain records (the store, the working folder, the box, the run state
// for the colours and display options), never the whole state: a picture of another
// size replays into a copy of the box and leaves the program's records as they are.

// What a replay of the stream found.
struct StreamReplayOutcome {
  std::int32_t records = 0;  // whole records read and plotted
  int error = 0;             // errno when the file exists but could not be read to its end
};

// Plots every whole record of "tmpdata.bin" in the working folder into the X-Y box, in the
// record's colour or in black with "Display Buffer data in black". A trailing partial
// record is ignored; a missing file counts as empty.
StreamReplayOutcome ReplayStream(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run,
                                 Canvas& canvas);

// Plots the buffered points, in storing order, as ReplayStream plots records.
void ReplayBuffer(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas);

// The stored points as the display options show them: the stream (when shown), then the
// buffer (when shown) over it.
void ReplayKeptPoints(const PointStore& store, const std::filesystem::path& workDir, const PlotBox& xyBox,
                      const RunState& run, Canvas& canvas);

// The repaint's replay of the stream: Dsk becomes the number of records read. A stream
// that exists but cannot be read keeps its Dsk (its points are still there, and "Delete
// All" must still offer to delete them); that is reported once, until it reads again.
void ReplayStreamAndCount(OrbitraState& state, Canvas& canvas, Prompter& prompter);

}  // namespace orbitra
