// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/stream_append.h"

#include <string>
#include <system_error>

namespace orbitra {

namespace {

constexpr std::uintmax_t kRecordSize = sizeof(StoredPoint);

std::string CutRecordText(const std::filesystem::path& file, std::uintmax_t length) {
  return "\"" + file.string() + "\" was " + std::to_string(length) +
         " bytes long, not a whole number of 24-byte records: its incomplete last record (" +
         std::to_string(length % kRecordSize) + " bytes) was removed before the transfer.";
}

}  // namespace

StreamAppend AppendToStream(const std::filesystem::path& file, const StoredPoint* records, std::size_t count) {
  StreamAppend result;
  std::error_code ec;
  const bool regular = std::filesystem::is_regular_file(file, ec);
  if (regular) {
    const std::uintmax_t length = std::filesystem::file_size(file, ec);
    if (ec) {
      result.failure = FileFailureText("read the length of", file, ec.value());
      return result;
    }
    if (length % kRecordSize != 0) {
      std::filesystem::resize_file(file, length - length % kRecordSize, ec);
      if (ec) {
        result.failure = FileFailureText("cut the incomplete last record of", file, ec.value());
        return result;
      }
      result.cutRecord = CutRecordText(file, length);
    }
  }
  result.failure = AppendToFile(file, records, count * sizeof(StoredPoint));
  if (result.failure || !std::filesystem::is_regular_file(file, ec)) return result;
  const std::uintmax_t length = std::filesystem::file_size(file, ec);
  if (!ec) result.recordsInFile = length / kRecordSize;
  return result;
}

}  // namespace orbitra
