#pragma once

#include <cstdint>

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"

namespace orbitra {

// Plots every whole record of "tmpdata.bin" into the X-Y box, in the record's colour or in
// black with "Display Buffer data in black"; returns the number of whole records read.
// A trailing partial record is ignored; a missing file counts as empty.
std::int32_t ReplayStream(const OrbitraState& state, Canvas& canvas);

// Plots the buffered points, in storing order, as ReplayStream plots records.
void ReplayBuffer(const OrbitraState& state, Canvas& canvas);

}  // namespace orbitra
