#pragma once

#include <array>
#include <cstdint>

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "plot/plot_box.h"
#include "storage/stream_reader.h"

namespace orbitra {

// The pixel of every colour index a stored point can carry, made once per replay: the
// point's own colour, or black with "Display Buffer data in black".
using RecordPixels = std::array<Canvas::Pixel, 256>;
RecordPixels MakeRecordPixels(const RunState& run) noexcept;

// Plots the whole records of "tmpdata.bin" into the X-Y box, oldest first, in slices.
// A trailing partial record is ignored; a missing file counts as empty.
class StreamReplay {
 public:
  StreamReplay(const OrbitraState& state, Canvas& canvas);

  // Plots up to `budget` more records; false once the stream is exhausted.
  bool Advance(std::int64_t budget);

  std::int64_t Replayed() const noexcept { return replayed_; }
  // The whole records the file held when the replay began.
  std::int64_t Total() const noexcept { return total_; }

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
  BufferReplay(const OrbitraState& state, Canvas& canvas);

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

// Plots every whole record of "tmpdata.bin" at once; returns the number of records read.
std::int32_t ReplayStream(const OrbitraState& state, Canvas& canvas);

// Plots the buffered points at once.
void ReplayBuffer(const OrbitraState& state, Canvas& canvas);

}  // namespace orbitra
