// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/stream_reader.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace orbitra {

// Records are written and read as raw memory; the file format is little-endian.
static_assert(std::endian::native == std::endian::little, "the disk stream holds little-endian records");

SlotBlock AllocateSlots(std::size_t n) noexcept {
  if (n == 0 || n > SIZE_MAX / sizeof(StoredPoint)) return SlotBlock{};
  return SlotBlock{static_cast<StoredPoint*>(std::malloc(n * sizeof(StoredPoint)))};
}

StreamReader::StreamReader(const std::filesystem::path& file) {
  errno = 0;
  file_.reset(std::fopen(file.c_str(), "rb"));
  if (file_ == nullptr) openError_ = errno != 0 ? errno : EIO;
}

std::size_t StreamReader::Read(StoredPoint* block, std::size_t capacity) noexcept {
  if (file_ == nullptr || capacity == 0) return 0;
  // fread counts whole items only: the bytes of a trailing partial record are consumed
  // but never delivered.
  errno = 0;
  const std::size_t n = std::fread(block, sizeof(StoredPoint), capacity, file_.get());
  if (n < capacity && std::ferror(file_.get()) != 0 && readError_ == 0) readError_ = errno != 0 ? errno : EIO;
  return n;
}

int StreamReader::ReadError() const noexcept {
  if (file_ == nullptr) return openError_ == ENOENT ? 0 : openError_;
  return readError_;
}

}  // namespace orbitra
