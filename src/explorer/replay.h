// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

#include "explorer/run_state.h"
#include "platform/canvas.h"
#include "plot/plot_box.h"
#include "storage/point_store.h"
#include "storage/stream_reader.h"

namespace orbitra {

// The replays take plain records (the store, the working folder, the box, the run state
// for the colours and display options), never the whole state: a picture of another
// size replays into a copy of the box and leaves the program's records as they are.

// The pixel of every colour index a stored point can carry, made once per replay: the
// point's own colour, or black with "Display Buffer data in black".
using RecordPixels = std::array<Canvas::Pixel, 256>;
RecordPixels MakeRecordPixels(const RunState& run) noexcept;

// Plots the whole records of "tmpdata.bin" in the working folder into the X-Y box, oldest
// first, in slices. A trailing partial record is ignored; a missing file counts as empty.
class StreamReplay {
 public:
  StreamReplay(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run, Canvas& canvas);

  // Plots up to `budget` more records; false once the stream is exhausted.
  bool Advance(std::int64_t budget);

  std::int64_t Replayed() const noexcept { return replayed_; }
  // The whole records the file held when the replay began.
  std::int64_t Total() const noexcept { return total_; }
  // The errno when the file exists but could not be read (so far), 0 otherwise.
  int Error() const noexcept { return reader_.ReadError(); }

 private:
  StreamReader reader_;
  SlotBlock block_;
  RecordPixels pixels_;
  PlotBox box_;  // a private copy: no pixel write can alias its transform
  Canvas& canvas_;
  std::int64_t replayed_ = 0;
  std::int64_t total_ = 0;
  bool exhausted_ = false;
};

// Plots the buffered points, in storing order, in slices.
class BufferReplay {
 public:
  BufferReplay(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas);

  // Plots up to `budget` more points; false once every point is plotted.
  bool Advance(std::int64_t budget);

  std::int64_t Replayed() const noexcept { return next_; }
  std::int64_t Total() const noexcept { return count_; }

 private:
  const StoredPoint* points_;
  std::int64_t count_;
  std::int64_t next_ = 0;
  RecordPixels pixels_;
  PlotBox box_;
  Canvas& canvas_;
};

// What a replay of the stream found.
struct StreamReplayOutcome {
  std::int32_t records = 0;  // whole records read and plotted
  int error = 0;             // errno when the file exists but could not be read to its end
};

// Plots every whole record of "tmpdata.bin" at once.
StreamReplayOutcome ReplayStream(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run,
                          Canvas& canvas);

// Plots the buffered points at once.
void ReplayBuffer(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas);

// The stored points as the display options show them: the stream (when shown), then the
// buffer (when shown) over it.
void ReplayKeptPoints(const PointStore& store, const std::filesystem::path& workDir, const PlotBox& xyBox,
                      const RunState& run, Canvas& canvas);

}  // namespace orbitra
