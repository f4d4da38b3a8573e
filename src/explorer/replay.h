#pragma once

#include <cstdint>

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// What a replay of the stream found.
struct StreamReplay {
  std::int32_t records = 0;  // whole records read and plotted
  int error = 0;             // errno when the file exists but could not be read to its end
};

// Plots every whole record of "tmpdata.bin" into the X-Y box, in the record's colour or in
// black with "Display Buffer data in black". A trailing partial record is ignored; a
// missing file counts as empty.
StreamReplay ReplayStream(const OrbitraState& state, Canvas& canvas);

// The repaint's replay of the stream: Dsk becomes the number of records read. A stream
// that exists but cannot be read keeps its Dsk (its points are still there, and "Delete
// All" must still offer to delete them); that is reported once, until it reads again.
void ReplayStreamAndCount(OrbitraState& state, Canvas& canvas, Prompter& prompter);

// Plots the buffered points, in storing order, as ReplayStream plots records.
void ReplayBuffer(const OrbitraState& state, Canvas& canvas);

}  // namespace orbitra
