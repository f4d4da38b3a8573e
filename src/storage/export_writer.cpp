// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/export_writer.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <system_error>

#include "storage/file_io.h"
#include "storage/point_buffer.h"
#include "storage/replacement_file.h"
#include "storage/stream_reader.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

constexpr const char* kNothingExported = "\nNothing was exported.";
constexpr std::size_t kFlushThreshold = std::size_t{1} << 20;

struct ExportRectangle {
  double xLower, xUpper, yLower, yUpper;
  bool Contains(const StoredPoint& p) const noexcept {
    return p.x >= xLower && p.x <= xUpper && p.y >= yLower && p.y <= yUpper;
  }
};

// Formats lines into a chunk and hands full chunks to the file.
class LineWriter {
 public:
  LineWriter(ReplacementFile& file, bool highAccuracy) : file_(file), highAccuracy_(highAccuracy) {
    chunk_.reserve(kFlushThreshold + 1024);
  }

  FileFailure Add(const StoredPoint& p) {
    // "%14.12lf %14.12lf\n" or "%f %f\n" in the "C" locale.
    const int decimals = highAccuracy_ ? 12 : 6;
    const int width = highAccuracy_ ? 14 : 0;
    AppendFixed(chunk_, p.x, decimals, width);
    chunk_ += ' ';
    AppendFixed(chunk_, p.y, decimals, width);
    chunk_ += '\n';
    return chunk_.size() >= kFlushThreshold ? Flush() : std::nullopt;
  }

  FileFailure Flush() {
    FileFailure failure = file_.Write(chunk_);
    chunk_.clear();
    return failure;
  }

 private:
  ReplacementFile& file_;
  bool highAccuracy_;
  std::string chunk_;
};

struct Outcome {
  std::int64_t lines = 0;
  FileFailure failure;
};

Outcome WriteBufferPoints(const PointStore& store, const ExportDialogValues& values, const ExportRectangle& rect,
                          LineWriter& writer) {
  Outcome outcome;
  std::int32_t first = store.Buf;
  if (values.memoryBuffer) {
    first = 0;
  } else if (values.lastTrajectory) {
    first = store.Buf - std::clamp(LastTrajectoryCount(store), 0, store.Buf);
  }
  for (std::int32_t slot = first; slot < store.Buf && !outcome.failure; ++slot) {
    const StoredPoint& p = store.Slots[slot];
    if (!rect.Contains(p)) continue;
    outcome.failure = writer.Add(p);
    ++outcome.lines;
  }
  return outcome;
}

// The stream's points. A stream that cannot be read is no failure of the export: the
// points that could be read are exported all the same, and `missing` says what is not.
Outcome WriteStreamPoints(const std::filesystem::path& streamFile, const ExportRectangle& rect, LineWriter& writer,
                          std::optional<std::string>& missing) {
  Outcome outcome;
  StreamReader reader(streamFile);
  const SlotBlock block = reader.IsOpen() ? AllocateSlots(kStreamBlockRecords) : SlotBlock{};
  if (!reader.IsOpen() || block == nullptr) {
    const int error = reader.IsOpen() ? ENOMEM : reader.OpenError();
    missing = FileFailureText("read", streamFile, error) + "\nThe points of the disk stream are not in the export.";
    return outcome;
  }
  for (std::size_t n; !outcome.failure && (n = reader.Read(block.get(), kStreamBlockRecords)) > 0;) {
    for (std::size_t i = 0; i < n && !outcome.failure; ++i) {
      if (!rect.Contains(block[i])) continue;
      outcome.failure = writer.Add(block[i]);
      ++outcome.lines;
    }
  }
  if (!outcome.failure && reader.ReadError() != 0) {
    missing = FileFailureText("read", streamFile, reader.ReadError()) +
              "\nOnly the points of the disk stream read before the failure are in the export.";
  }
  return outcome;
}

std::int64_t Fail(Prompter& prompter, const std::string& failure) {
  prompter.ShowMessage(failure + kNothingExported);
  return kExportFailed;
}

}  // namespace

std::int64_t ExportPoints(const PointStore& store, const std::filesystem::path& workDir, Prompter& prompter,
                          const ExportDialogValues& values) {
  if (values.fileName.empty()) return Fail(prompter, "No file name is given.");
  const std::filesystem::path target = workDir / values.fileName;

  if (FileFailure failure = CheckReplaceable(target)) return Fail(prompter, *failure);
  if (!AgreeToReplace(target, values.fileName, prompter)) return kExportDeclined;

  ReplacementFile file(target);
  if (FileFailure failure = file.Create()) return Fail(prompter, *failure);
  LineWriter writer(file, values.highAccuracy);
  const ExportRectangle rect{values.xLower, values.xUpper, values.yLower, values.yUpper};

  Outcome buffer = WriteBufferPoints(store, values, rect, writer);
  if (buffer.failure) return Fail(prompter, *buffer.failure);
  std::int64_t lines = buffer.lines;
  std::optional<std::string> missing;
  if (values.diskStream && store.Dsk != 0) {
    Outcome stream = WriteStreamPoints(workDir / kStreamFileName, rect, writer, missing);
    if (stream.failure) return Fail(prompter, *stream.failure);
    lines += stream.lines;
  }
  if (FileFailure failure = writer.Flush()) return Fail(prompter, *failure);
  if (FileFailure failure = file.Commit()) return Fail(prompter, *failure);
  if (missing) prompter.ShowMessage(*missing);
  return lines;
}

StemAndExtension SplitExtension(std::string_view path) {
  // '.' never occurs inside a multi-byte character, so a byte search is safe.
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || name == "..") {
    return StemAndExtension{std::string(path), std::string()};
  }
  return StemAndExtension{std::string(path.substr(0, nameStart + dot)), std::string(name.substr(dot + 1))};
}

std::string BrowseResultToFileName(const std::string& chosenPath) {
  return SplitExtension(chosenPath).stem + ".dat";
}

}  // namespace orbitra
