// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/session_hdf5.h"

#include <algorithm>
#include <cstddef>

namespace orbitra::hdf5 {

void SilenceLibrary() noexcept {
  // The library's own clean-up at exit closes what it still holds, and a file whose closing
  // failed (a full disk) crashes it there: the system frees everything at exit anyway.
  // Asked before the library's first use; later calls change nothing.
  H5dont_atexit();
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
}

Hid FileAccess() {
  Hid fapl(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
  if (fapl.Ok()) H5Pset_file_locking(fapl.Get(), false, true);
  return fapl;
}

Hid TextType() {
  Hid type(H5Tcopy(H5T_C_S1), H5Tclose);
  if (type.Ok()) {
    H5Tset_size(type.Get(), H5T_VARIABLE);
    H5Tset_cset(type.Get(), H5T_CSET_UTF8);
  }
  return type;
}

Hid PointType(bool inMemory) {
  const std::size_t size = inMemory ? sizeof(StoredPoint) : 17;
  Hid type(H5Tcreate(H5T_COMPOUND, size), H5Tclose);
  if (!type.Ok()) return type;
  H5Tinsert(type.Get(), "x", inMemory ? offsetof(StoredPoint, x) : 0, inMemory ? H5T_NATIVE_DOUBLE : H5T_IEEE_F64LE);
  H5Tinsert(type.Get(), "y", inMemory ? offsetof(StoredPoint, y) : 8, inMemory ? H5T_NATIVE_DOUBLE : H5T_IEEE_F64LE);
  H5Tinsert(type.Get(), "colour", inMemory ? offsetof(StoredPoint, colour) : 16,
            inMemory ? H5T_NATIVE_UINT8 : H5T_STD_U8LE);
  return type;
}

bool WritePointBlock(hid_t set, hid_t memType, hsize_t first, hsize_t count, const StoredPoint* points) {
  if (count == 0) return true;
  Hid fileSpace(H5Dget_space(set), H5Sclose);
  Hid memSpace(H5Screate_simple(1, &count, nullptr), H5Sclose);
  if (!fileSpace.Ok() || !memSpace.Ok()) return false;
  if (H5Sselect_hyperslab(fileSpace.Get(), H5S_SELECT_SET, &first, nullptr, &count, nullptr) < 0) return false;
  return H5Dwrite(set, memType, memSpace.Get(), fileSpace.Get(), H5P_DEFAULT, points) >= 0;
}

bool ReadPointBlock(hid_t set, hid_t memType, hsize_t first, hsize_t count, StoredPoint* points) {
  if (count == 0) return true;
  Hid fileSpace(H5Dget_space(set), H5Sclose);
  Hid memSpace(H5Screate_simple(1, &count, nullptr), H5Sclose);
  if (!fileSpace.Ok() || !memSpace.Ok()) return false;
  if (H5Sselect_hyperslab(fileSpace.Get(), H5S_SELECT_SET, &first, nullptr, &count, nullptr) < 0) return false;
  std::fill(points, points + count, StoredPoint{});
  if (H5Dread(set, memType, memSpace.Get(), fileSpace.Get(), H5P_DEFAULT, points) < 0) return false;
  for (hsize_t i = 0; i < count; ++i) points[i].reserved = {};
  return true;
}

hsize_t PointCount(hid_t set) {
  Hid space(H5Dget_space(set), H5Sclose);
  hsize_t length = 0;
  if (!space.Ok() || H5Sget_simple_extent_ndims(space.Get()) != 1) return 0;
  H5Sget_simple_extent_dims(space.Get(), &length, nullptr);
  return length;
}

bool WriteAttribute(hid_t object, const std::string& name, const SessionValue& value) {
  Hid space(H5Screate(H5S_SCALAR), H5Sclose);
  if (!space.Ok()) return false;
  if (const auto* i = std::get_if<std::int64_t>(&value)) {
    Hid attr(H5Acreate2(object, name.c_str(), H5T_STD_I64LE, space.Get(), H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
    return attr.Ok() && H5Awrite(attr.Get(), H5T_NATIVE_INT64, i) >= 0;
  }
  if (const auto* d = std::get_if<double>(&value)) {
    Hid attr(H5Acreate2(object, name.c_str(), H5T_IEEE_F64LE, space.Get(), H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
    return attr.Ok() && H5Awrite(attr.Get(), H5T_NATIVE_DOUBLE, d) >= 0;
  }
  const char* text = std::get<std::string>(value).c_str();
  Hid type = TextType();
  Hid attr(H5Acreate2(object, name.c_str(), type.Get(), space.Get(), H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
  return attr.Ok() && H5Awrite(attr.Get(), type.Get(), &text) >= 0;
}

}  // namespace orbitra::hdf5
