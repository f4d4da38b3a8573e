// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "storage/point_store.h"
#include "storage/stored_point.h"

namespace orbitra {

// Records read per call by the stream's readers: large enough that a read costs little
// per record, small enough to stay in the cache while the block is plotted.
inline constexpr std::size_t kStreamBlockRecords = 16384;

// A block of n slots from malloc, not cleared; empty when n is 0 or memory is short.
SlotBlock AllocateSlots(std::size_t n) noexcept;

// Reads the disk stream in blocks of whole records, oldest first. A trailing partial
// record is never delivered.
class StreamReader {
 public:
  explicit StreamReader(const std::filesystem::path& file);

  bool IsOpen() const noexcept { return file_ != nullptr; }
  // The errno of a failed open, 0 when open.
  int OpenError() const noexcept { return openError_; }

  // Reads up to `capacity` whole records into `block`; 0 at the end of the stream or
  // after a read failure.
  std::size_t Read(StoredPoint* block, std::size_t capacity) noexcept;
  // True when a read failure, not the end of the file, stopped the reading.
  bool Failed() const noexcept { return file_ != nullptr && std::ferror(file_.get()) != 0; }
  // Why the stream could not be read: the errno of a failed open or read, 0 when it was
  // read to its end. A missing file is no failure: it holds no record.
  int ReadError() const noexcept;

 private:
  struct Closer {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  int openError_ = 0;
  int readError_ = 0;
};

}  // namespace orbitra
