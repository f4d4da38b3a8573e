#include "explorer/point_store_commands.h"

#include <algorithm>
#include <limits>
#include <string>

#include "storage/file_io.h"
#include "storage/point_buffer.h"
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

void DeleteAll(OrbitraState& state, Prompter& prompter, bool force) {
  PointStore& store = state.Store;
  if (!force) {
    if (store.Buf == 0 && store.Dsk == 0) return;
    // One buffered point is not worth a question, but points in the stream always are.
    const bool nothingToLose = store.Buf <= 1 && store.Dsk == 0;
    if (!nothingToLose && prompter.AskYesNo(kAskDeletePreviousData) != Answer::Yes) return;
  }
  store.Buf = 0;
  EmptyStream(state, prompter);
}

namespace {

// Moves the buffer into the stream without telling the user, so that a caller can finish
// its own changes first: a message box lets the event loop run, and nothing may find the
// state half changed. A failure is reported at once, as nothing has changed then.
// Returns the report of the transfer, or nothing when it failed.
std::optional<std::string> MoveBufferToStream(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  const std::int64_t points = store.Buf;
  const std::int64_t bytes = points * static_cast<std::int64_t>(sizeof(StoredPoint));
  if (const FileFailure failure =
          AppendToFile(state.FilePath(kStreamFileName), store.Slots.get(), static_cast<std::size_t>(bytes))) {
    prompter.ShowMessage(*failure + "\nThe points stay in the buffer.");
    return std::nullopt;
  }
  store.Dsk = static_cast<std::int32_t>(
      std::min<std::int64_t>(store.Dsk + points, std::numeric_limits<std::int32_t>::max()));
  store.Buf = 0;
  return FormatCounts(kTransferMessage, {points, bytes});
}

}  // namespace

bool TransferBufferToStream(OrbitraState& state, Prompter& prompter) {
  const std::optional<std::string> report = MoveBufferToStream(state, prompter);
  if (report) prompter.ShowInformation(*report);
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
  std::optional<std::string> transferReport;
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
  if (transferReport) prompter.ShowInformation(*transferReport);
  if (result == ReconstructResult::AllocationFailed) prompter.ShowMessage(kReconstructionFailure);
  return result;
}

}  // namespace orbitra
