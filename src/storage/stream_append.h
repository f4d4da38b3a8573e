// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "storage/file_io.h"
#include "storage/stored_point.h"

namespace orbitra {

// What appending to the disk stream did.
struct StreamAppend {
  FileFailure failure;  // set: no record was appended
  // Set when an incomplete last record was cut off before appending: the message that
  // tells the user, with the file and its length.
  std::optional<std::string> cutRecord;
  // Whole records in the file afterwards; nothing when the stream is no regular file
  // (a device), whose records cannot be counted.
  std::optional<std::uintmax_t> recordsInFile;
};

// Appends the records to the stream file as one block. A stream whose length is no
// multiple of the record size (cut or changed from outside) would take them at a
// misaligned offset, where every reader finds garbage; its incomplete last record, which
// no reader delivers anyway, is cut off first. A failed write leaves the file at the
// length it had before the block.
StreamAppend AppendToStream(const std::filesystem::path& file, const StoredPoint* records, std::size_t count);

}  // namespace orbitra
