#include "explorer/replay.h"

#include <array>
#include <cerrno>
#include <limits>

#include "storage/file_io.h"
#include "storage/point_buffer.h"
#include "storage/stream_reader.h"

namespace orbitra {

namespace {

using PixelTable = std::array<Canvas::Pixel, 256>;

// The pixel of every colour index a record can carry, made once per replay.
PixelTable RecordPixels(const RunState& run) noexcept {
  PixelTable pixels{};
  for (unsigned index = 0; index < pixels.size(); ++index) {
    pixels[index] = Canvas::ToPixel(run.Settings.BufferInBlack != 0 ? kBlack : ColourOf(run.Colours, index));
  }
  return pixels;
}

void PlotRecords(const PlotBox& xyBox, Canvas& canvas, const StoredPoint* records, std::size_t count,
                 const PixelTable& pixels) {
  // A private copy of the box: no pixel write can alias its fields, so its transform
  // stays in registers for the whole loop (measured about 15 % faster).
  const PlotBox box = xyBox;
  for (std::size_t i = 0; i < count; ++i) {
    const StoredPoint& p = records[i];
    box.PlotPixel(canvas, p.x, p.y, pixels[p.colour]);
  }
}

}  // namespace

StreamReplayOutcome ReplayStream(const std::filesystem::path& workDir, const PlotBox& xyBox, const RunState& run,
                                 Canvas& canvas) {
  StreamReader reader(workDir / kStreamFileName);
  if (!reader.IsOpen()) return StreamReplayOutcome{0, reader.ReadError()};
  const SlotBlock block = AllocateSlots(kStreamBlockRecords);
  if (block == nullptr) return StreamReplayOutcome{0, ENOMEM};
  const PixelTable pixels = RecordPixels(run);
  std::int64_t count = 0;
  for (std::size_t n; (n = reader.Read(block.get(), kStreamBlockRecords)) > 0;) {
    PlotRecords(xyBox, canvas, block.get(), n, pixels);
    count += static_cast<std::int64_t>(n);
  }
  constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();
  return StreamReplayOutcome{static_cast<std::int32_t>(count < kMaxCount ? count : kMaxCount), reader.ReadError()};
}

void ReplayBuffer(const PointStore& store, const PlotBox& xyBox, const RunState& run, Canvas& canvas) {
  if (store.Buf <= 0) return;
  PlotRecords(xyBox, canvas, store.Slots.get(), static_cast<std::size_t>(store.Buf), RecordPixels(run));
}

void ReplayKeptPoints(const PointStore& store, const std::filesystem::path& workDir, const PlotBox& xyBox,
                      const RunState& run, Canvas& canvas) {
  if (run.Settings.ShowStreamPoints != 0) ReplayStream(workDir, xyBox, run, canvas);
  if (run.Settings.ShowBufferPoints != 0) ReplayBuffer(store, xyBox, run, canvas);
}

void ReplayStreamAndCount(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  const StreamReplayOutcome replay = ReplayStream(state.WorkDir, state.Boxes.XYBox, state.Run, canvas);
  PointStore& store = state.Store;
  if (replay.error == 0) {
    store.Dsk = replay.records;
    store.streamFailureShown = false;
    return;
  }
  if (store.streamFailureShown) return;
  store.streamFailureShown = true;
  prompter.ShowMessage(FileFailureText("read", state.FilePath(kStreamFileName), replay.error) +
                       "\nIts points cannot be shown; Dsk keeps counting them.");
}

}  // namespace orbitra
