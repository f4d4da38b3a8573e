// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <hdf5.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "storage/session_values.h"
#include "storage/stored_point.h"

// The parts of the HDF5 library the session file's reader and writer share.
namespace orbitra::hdf5 {

inline constexpr const char* kBufferDataset = "store/buffer";
inline constexpr const char* kStreamDataset = "store/stream";

// An HDF5 identifier closed by its own function when it goes out of scope; a negative
// identifier is a failed call.
class Hid {
 public:
  Hid(hid_t id, herr_t (*close)(hid_t)) noexcept : id_(id), close_(close) {}
  ~Hid() {
    if (id_ >= 0) close_(id_);
  }
  Hid(const Hid&) = delete;
  Hid& operator=(const Hid&) = delete;
  Hid(Hid&& other) noexcept : id_(other.id_), close_(other.close_) { other.id_ = -1; }
  Hid& operator=(Hid&&) = delete;
  hid_t Get() const noexcept { return id_; }
  bool Ok() const noexcept { return id_ >= 0; }
  // Closes now; false when closing failed (for a file: its last writes did not succeed).
  bool Close() noexcept {
    const hid_t id = id_;
    id_ = -1;
    return close_(id) >= 0;
  }

 private:
  hid_t id_;
  herr_t (*close_)(hid_t);
};

// The library prints its own error stack by default; the program says what went wrong itself.
void SilenceLibrary() noexcept;
// Access without file locks: a session is written once to a file of its own and read
// once; locks only fail on filesystems that lack them.
Hid FileAccess();
// Variable-length UTF-8 text.
Hid TextType();

// A scalar attribute of `object`: a 64-bit integer, a double or a UTF-8 text, as sessions
// store every value.
bool WriteAttribute(hid_t object, const std::string& name, const SessionValue& value);
// A point as stored: x and y as little-endian doubles, the colour index as a byte. In
// memory the same members stand where StoredPoint has them.
Hid PointType(bool inMemory);
// Writes or reads `count` points of a one-dimensional dataset from `first` on.
bool WritePointBlock(hid_t set, hid_t memType, hsize_t first, hsize_t count, const StoredPoint* points);
bool ReadPointBlock(hid_t set, hid_t memType, hsize_t first, hsize_t count, StoredPoint* points);
// The length of a one-dimensional dataset; 0 for any other shape.
hsize_t PointCount(hid_t set);

inline int LastError() noexcept { return errno != 0 ? errno : EIO; }

}  // namespace orbitra::hdf5
