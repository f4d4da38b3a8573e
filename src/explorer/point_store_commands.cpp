// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/point_store_commands.h"

#include <algorithm>
#include <limits>
#include <string>

#include "storage/file_io.h"
#include "storage/point_buffer.h"
#include "storage/stream_append.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

// Takes up to n points (n < 0: none) from the end of the buffer; true when the buffer
// held fewer than n.
bool RemoveNewestPoints(PointStore& store, std::int64_t n) noexcept {
  const std::int64_t remaining = static_cast<std::int64_t>(store.Buf) - std::max<std::int64_t>(n, 0);
  store.Buf = static_cast<std::int32_t>(std::max<std::int64_t>(remaining, 0));
  return remaining < 0;
}

// Empties "tmpdata.bin"; a failure is reported and Dsk then keeps counting what is there.
void EmptyStream(OrbitraState& state, Prompter& prompter) {
  if (const FileFailure failure = TruncateFile(state.FilePath(kStreamFileName))) {
    prompter.ShowMessage(*failure);
    return;
  }
  state.Store.Dsk = 0;
}

}  // namespace

// One buffered point is not worth a question, but points in the stream always are.
bool PointsWorthAsking(const PointStore& store) noexcept { return store.Buf > 1 || store.Dsk != 0; }

void DeleteAll(OrbitraState& state, Prompter& prompter, bool force) {
  PointStore& store = state.Store;
  if (!force) {
    if (store.Buf == 0 && store.Dsk == 0) return;
    if (PointsWorthAsking(store) && prompter.AskYesNo(kAskDeletePreviousData) != Answer::Yes) return;
  }
  store.Buf = 0;
  EmptyStream(state, prompter);
}

namespace {

// What a successful transfer tells the user.
struct TransferReport {
  std::optional<std::string> cutRecord;  // the stream's incomplete last record was removed
  std::string done;                      // "Transfer of ..."
};

void ShowTransferReport(Prompter& prompter, const TransferReport& report) {
  if (report.cutRecord) prompter.ShowMessage(*report.cutRecord);
  prompter.ShowInformation(report.done);
}

// Moves the buffer into the stream without telling the user, so that a caller can finish
// its own changes first: a message box lets the event loop run, and nothing may find the
// state half changed. A failure is reported at once, as the counters have not changed
// then. Returns what to report, or nothing when the transfer failed.
std::optional<TransferReport> MoveBufferToStream(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  const std::int64_t points = store.Buf;
  const std::int64_t bytes = points * static_cast<std::int64_t>(sizeof(StoredPoint));
  const StreamAppend append =
      AppendToStream(state.FilePath(kStreamFileName), store.Slots.get(), static_cast<std::size_t>(points));
  if (append.failure) {
    if (append.cutRecord) prompter.ShowMessage(*append.cutRecord);
    prompter.ShowMessage(*append.failure + "\nThe points stay in the buffer.");
    return std::nullopt;
  }
  // The stream's count follows the file, which may have been changed from outside.
  const std::int64_t streamPoints =
      append.recordsInFile ? static_cast<std::int64_t>(*append.recordsInFile) : store.Dsk + points;
  store.Dsk =
      static_cast<std::int32_t>(std::min<std::int64_t>(streamPoints, std::numeric_limits<std::int32_t>::max()));
  store.Buf = 0;
  return TransferReport{append.cutRecord, FormatCounts(kTransferMessage, {points, bytes})};
}

}  // namespace

bool TransferBufferToStream(OrbitraState& state, Prompter& prompter) {
  const std::optional<TransferReport> report = MoveBufferToStream(state, prompter);
  if (report) ShowTransferReport(prompter, *report);
  return report.has_value();
}

Invalidation DeleteAllCommand(OrbitraState& state, Prompter& prompter) {
  DeleteAll(state, prompter, false);
  return Invalidation::WithErase;
}

Invalidation DeleteBuffer(OrbitraState& state, Prompter& prompter) {
  if (prompter.AskYesNo(kAskDeleteBuffer) == Answer::Yes) state.Store.Buf = 0;
  return Invalidation::WithErase;
}

Invalidation DeleteStream(OrbitraState& state, Prompter& prompter) {
  if (prompter.AskYesNo(kAskDeleteStream) == Answer::Yes) EmptyStream(state, prompter);
  return Invalidation::WithErase;
}

Invalidation StoreBufferInStream(OrbitraState& state, Prompter& prompter) {
  if (state.Store.Buf == 0) {
    prompter.ShowMessage(kBufferEmptyMessage);
  } else {
    TransferBufferToStream(state, prompter);
  }
  return Invalidation::None;
}

Invalidation DeleteLastTrajectory(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  const bool partlyInStream = RemoveNewestPoints(store, LastTrajectoryCount(store));
  store.RTN = 0;
  store.DTN = 0;
  if (partlyInStream) prompter.ShowMessage(kPartlyInStreamMessage);
  return Invalidation::WithErase;
}

Invalidation DeleteTrajectoryOrPoints(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  if (store.Buf == 0) return Invalidation::None;
  if (store.RTN != 0) return DeleteLastTrajectory(state, prompter);
  RemoveNewestPoints(store, state.Run.Settings.ContinueIterations);
  return Invalidation::WithErase;
}

ReconstructResult ReconstructBuffer(OrbitraState& state, Prompter& prompter,
                                    const std::function<std::optional<std::int32_t>()>& readCapacityFromDialog) {
  PointStore& store = state.Store;
  // The transfer is reported once the buffer has been rebuilt (or kept).
  std::optional<TransferReport> transferReport;
  if (store.Buf >= 2) {
    const Answer answer = prompter.AskYesNoCancel(kAskSaveBeforeReconstruction);
    if (answer == Answer::Cancel) return ReconstructResult::Cancelled;
    if (answer == Answer::Yes) {
      transferReport = MoveBufferToStream(state, prompter);
      // Points the user wanted saved are never dropped because saving failed.
      if (!transferReport) return ReconstructResult::SaveFailed;
    }
  }
  const std::optional<std::int32_t> capacity = readCapacityFromDialog();
  ReconstructResult result = ReconstructResult::DialogInvalid;
  if (capacity) {
    store.BufferCapacity = *capacity;
    result = AllocateBuffer(store) ? ReconstructResult::Rebuilt : ReconstructResult::AllocationFailed;
  }
  if (transferReport) ShowTransferReport(prompter, *transferReport);
  if (result == ReconstructResult::AllocationFailed) prompter.ShowMessage(kReconstructionFailure);
  return result;
}

}  // namespace orbitra
