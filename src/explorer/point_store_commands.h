// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "explorer/orbitra_state.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

inline constexpr const char* kAskDeletePreviousData = "Do you want to delete previous data?";
inline constexpr const char* kAskDeleteBuffer = "Do you want to delete the data in Buffer?";
inline constexpr const char* kAskDeleteStream = "Do you want to delete the data in Disk-Stream?";
inline constexpr const char* kPartlyInStreamMessage =
    "Part of data copied in disk-stream, complete delete is not possible";
inline constexpr const char* kBufferEmptyMessage = "Buffer is empty";
inline constexpr const char* kTransferMessage = "Transfer of %d  (%d bytes) Ok";
inline constexpr const char* kAskSaveBeforeReconstruction =
    "Current data in buffer will be lost\n - Do you want to save them in disk-stream?";
inline constexpr const char* kReconstructionFailure = "Error: Buffer Reconstruction failure!";

// Deletes the buffer and the stream. Unless forced it asks first, except when there is
// nothing to lose: an empty store, or a single buffered point and an empty stream.
// A stream that cannot be emptied is reported and keeps its count.
void DeleteAll(OrbitraState& state, Prompter& prompter, bool force);

// Whether deleting the stored points is worth a question: more than one buffered point, or
// any point in the stream.
bool PointsWorthAsking(const PointStore& store) noexcept;

// Appends the buffer to "tmpdata.bin" as one block, empties the buffer and reports the
// transfer. A stream cut inside a record first loses that incomplete record (with a
// message), so that the new records stand at whole-record offsets; Dsk then counts the
// records the file holds. A failed write is reported and changes no counter: the points
// stay in the buffer. True when the points were transferred.
bool TransferBufferToStream(OrbitraState& state, Prompter& prompter);

// The menu commands of the store; each says how the mapping window must repaint.
Invalidation DeleteAllCommand(OrbitraState& state, Prompter& prompter);   // "Delete All"
Invalidation DeleteBuffer(OrbitraState& state, Prompter& prompter);       // repaints after No, too
Invalidation DeleteStream(OrbitraState& state, Prompter& prompter);       // repaints after No, too
Invalidation StoreBufferInStream(OrbitraState& state, Prompter& prompter);  // never repaints
// Removes the current trajectory's buffered points (LastTrajectoryCount); the part of it
// already moved to the stream stays there, with a message. No current trajectory after.
Invalidation DeleteLastTrajectory(OrbitraState& state, Prompter& prompter);
// The toolbar's "Delete Trajectory / points": the last trajectory when there is one, else
// the last "On continue, run for" points. Nothing at all, no repaint, with an empty buffer.
Invalidation DeleteTrajectoryOrPoints(OrbitraState& state, Prompter& prompter);

enum class ReconstructResult {
  Cancelled,         // the question was cancelled: nothing changed
  SaveFailed,        // saving to the stream failed (reported): the buffer was kept as it was
  DialogInvalid,     // the dialog's fields did not read back: the buffer was kept as it was
  Rebuilt,           // an empty buffer of the new capacity
  AllocationFailed,  // reported; the buffer now behaves as one of capacity 0
};

// The "reconstruction" button of the Controls dialog. Buffered points are offered for
// saving first; then the dialog's fields are read (nothing when they are invalid) and the
// buffer is rebuilt, empty, with the capacity from the dialog. A transfer is reported
// only after that, so no message box opens while the buffer is half rebuilt.
ReconstructResult ReconstructBuffer(OrbitraState& state, Prompter& prompter,
                                    const std::function<std::optional<std::int32_t>()>& readCapacityFromDialog);

}  // namespace orbitra
