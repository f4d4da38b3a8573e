// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/replay.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "storage/point_buffer.h"

namespace orbitra {

namespace {

void PlotRecords(const PlotBox& box, Canvas& canvas, const StoredPoint* records, std::size_t count,
                 const RecordPixels& pixels) {
  if (canvas.PointSize() != 1) {
    for (std::size_t i = 0; i < count; ++i) box.PlotPointSquare(canvas, records[i].x, records[i].y, pixels[records[i].colour]);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const StoredPoint& p = records[i];
    box.PlotPixel(canvas, p.x, p.y, pixels[p.colour]);
  }
}

std::int64_t WholeRecordsIn(const std::filesystem::path& file) {
  std::error_code error;
  const std::uintmax_t bytes = std::filesystem::file_size(file, error);
  return error ? 0 : static_cast<std::int64_t>(bytes / sizeof(StoredPoint));
}

constexpr std::int64_t kLargestCount = std::numeric_limits<std::int32_t>::max();

}  // namespace

RecordPixels MakeRecordPixels(const RunState& run) noexcept {
  RecordPixels pixels{};
  for (unsigned index = 0; index < pixels.size(); ++index) {
    pixels[index] = Canvas::ToPixel(run.Settings.BufferInBlack != 0 ? kBlack : ColourOf(run.Colours, index));
  }
  return pixels;
}

StreamReplay::StreamReplay(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run,
                           Canvas& canvas)
    : reader_(workDir / kStreamFileName), pixels_(MakeRecordPixels(run)), box_(xyBox), canvas_(canvas) {
  if (reader_.IsOpen()) {
    block_ = AllocateSlots(kStreamBlockRecords);
    total_ = WholeRecordsIn(workDir / kStreamFileName);
  }
  exhausted_ = block_ == nullptr;
}

bool StreamReplay::Advance(std::int64_t budget) {
  while (!exhausted_ && budget > 0) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(budget, kStreamBlockRecords));
    const std::size_t n = reader_.Read(block_.get(), want);
    if (n == 0) {
      exhausted_ = true;
      break;
    }
    PlotRecords(box_, canvas_, block_.get(), n, pixels_);
    replayed_ += static_cast<std::int64_t>(n);
    budget -= static_cast<std::int64_t>(n);
  }
  return !exhausted_;
}

BufferReplay::BufferReplay(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas)
    : points_(store.Slots.get()),
      count_(store.Buf > 0 ? store.Buf : 0),
      pixels_(MakeRecordPixels(run)),
      box_(xyBox),
      canvas_(canvas) {}

bool BufferReplay::Advance(std::int64_t budget) {
  const std::int64_t n = std::min(budget, count_ - next_);
  if (n > 0) {
    PlotRecords(box_, canvas_, points_ + next_, static_cast<std::size_t>(n), pixels_);
    next_ += n;
  }
  return next_ < count_;
}

StreamReplayOutcome ReplayStream(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run,
                                 Canvas& canvas) {
  StreamReplay replay(workDir, xyBox, run, canvas);
  while (replay.Advance(std::numeric_limits<std::int64_t>::max())) {
  }
  return StreamReplayOutcome{static_cast<std::int32_t>(std::min(replay.Replayed(), kLargestCount)), replay.Error()};
}

void ReplayBuffer(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas) {
  BufferReplay replay(store, xyBox, run, canvas);
  replay.Advance(std::numeric_limits<std::int64_t>::max());
}

void ReplayKeptPoints(const PointStore& store, const std::filesystem::path& workDir, const PlotBox& xyBox,
                      const RunState& run, Canvas& canvas) {
  if (run.Settings.ShowStreamPoints != 0) ReplayStream(workDir, xyBox, run, canvas);
  if (run.Settings.ShowBufferPoints != 0) ReplayBuffer(store, xyBox, run, canvas);
}

}  // namespace orbitra
