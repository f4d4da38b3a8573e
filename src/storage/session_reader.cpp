// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/session_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "storage/session_hdf5.h"
#include "storage/session_views_file.h"
#include "storage/stream_reader.h"

namespace orbitra {

namespace {

using namespace hdf5;

constexpr const char* kOpenAction = "open the session";
constexpr const char* kNotASession = "it is not an Orbitra session";
constexpr const char* kDamaged = "it is damaged or incomplete";

bool HasHdf5Signature(const std::filesystem::path& file) {
  static constexpr unsigned char kSignature[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1a, '\n'};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "rb"), std::fclose);
  unsigned char head[8] = {};
  return f && std::fread(head, 1, sizeof head, f.get()) == sizeof head && std::memcmp(head, kSignature, 8) == 0;
}

bool ReadAttribute(hid_t attr, SessionValue& value) {
  Hid space(H5Aget_space(attr), H5Sclose);
  Hid type(H5Aget_type(attr), H5Tclose);
  if (!space.Ok() || !type.Ok() || H5Sget_simple_extent_type(space.Get()) != H5S_SCALAR) return false;
  switch (H5Tget_class(type.Get())) {
    case H5T_INTEGER: {
      std::int64_t i = 0;
      if (H5Aread(attr, H5T_NATIVE_INT64, &i) < 0) return false;
      value = i;
      return true;
    }
    case H5T_FLOAT: {
      double d = 0.0;
      if (H5Aread(attr, H5T_NATIVE_DOUBLE, &d) < 0) return false;
      value = d;
      return true;
    }
    case H5T_STRING: {
      if (H5Tis_variable_str(type.Get()) > 0) {
        Hid memType = TextType();
        char* text = nullptr;
        if (H5Aread(attr, memType.Get(), &text) < 0) return false;
        value = std::string(text != nullptr ? text : "");
        H5free_memory(text);
        return true;
      }
      const std::size_t size = H5Tget_size(type.Get());
      std::string text(size, '\0');
      Hid memType(H5Tcopy(type.Get()), H5Tclose);
      if (H5Aread(attr, memType.Get(), text.data()) < 0) return false;
      text.resize(std::strlen(text.c_str()));
      value = std::move(text);
      return true;
    }
    default:
      return false;
  }
}

struct AttributeVisit {
  SessionAttributes* attributes;
  bool failed = false;
};

herr_t CollectAttribute(hid_t object, const char* name, const H5A_info_t* /*info*/, void* data) {
  auto* visit = static_cast<AttributeVisit*>(data);
  Hid attr(H5Aopen(object, name, H5P_DEFAULT), H5Aclose);
  SessionValue value;
  // Attributes of shapes or types the program does not write are another program's
  // additions: passed over.
  if (attr.Ok() && ReadAttribute(attr.Get(), value)) (*visit->attributes)[name] = std::move(value);
  if (!attr.Ok()) visit->failed = true;
  return 0;
}

bool ReadAttributes(hid_t object, SessionAttributes& attributes) {
  AttributeVisit visit{&attributes};
  hsize_t index = 0;
  return H5Aiterate2(object, H5_INDEX_NAME, H5_ITER_INC, &index, CollectAttribute, &visit) >= 0 && !visit.failed;
}

bool ReadTexts(hid_t set, std::vector<std::string>& lines) {
  Hid space(H5Dget_space(set), H5Sclose);
  if (!space.Ok() || H5Sget_simple_extent_ndims(space.Get()) != 1) return false;
  hsize_t length = 0;
  H5Sget_simple_extent_dims(space.Get(), &length, nullptr);
  Hid type = TextType();
  std::vector<char*> pointers(length, nullptr);
  if (length > 0 && H5Dread(set, type.Get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, pointers.data()) < 0) return false;
  lines.clear();
  for (char* p : pointers) {
    lines.emplace_back(p != nullptr ? p : "");
    H5free_memory(p);
  }
  return true;
}

struct Reader {
  const std::filesystem::path& streamCopy;
  SessionReading& out;
  bool damaged = false;
  bool noMemory = false;
};


bool ReadBuffer(hid_t set, std::vector<StoredPoint>& buffer) {
  const hsize_t count = PointCount(set);
  if (count > static_cast<hsize_t>(INT32_MAX)) return false;
  Hid memType = PointType(true);
  buffer.resize(count);
  return ReadPointBlock(set, memType.Get(), 0, count, buffer.data());
}

FileFailure CopyStreamOut(hid_t set, const std::filesystem::path& streamCopy, std::int64_t& written) {
  const hsize_t count = PointCount(set);
  if (count > static_cast<hsize_t>(INT32_MAX)) return std::string();
  errno = 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(streamCopy.c_str(), "wb"), std::fclose);
  if (!out) return FileFailureText("create", streamCopy, LastError());
  Hid memType = PointType(true);
  std::vector<StoredPoint> block(std::min<hsize_t>(count, kStreamBlockRecords));
  for (hsize_t done = 0; done < count;) {
    const hsize_t n = std::min<hsize_t>(count - done, kStreamBlockRecords);
    if (!ReadPointBlock(set, memType.Get(), done, n, block.data())) return std::string();
    errno = 0;
    if (std::fwrite(block.data(), sizeof(StoredPoint), n, out.get()) != n) {
      return FileFailureText("write", streamCopy, LastError());
    }
    done += n;
  }
  errno = 0;
  if (std::fflush(out.get()) != 0) return FileFailureText("write", streamCopy, LastError());
  written = static_cast<std::int64_t>(count);
  return std::nullopt;
}

bool IsPointDataset(const std::string& path) { return path == kBufferDataset || path == kStreamDataset; }

herr_t ReadLink(hid_t group, const char* name, Reader* reader);

// Reads the groups and datasets below a group, depth first. No exception may cross the
// library: a file that claims more than memory holds is refused here.
herr_t VisitLink(hid_t group, const char* name, const H5L_info_t* /*info*/, void* data) {
  auto* reader = static_cast<Reader*>(data);
  try {
    return ReadLink(group, name, reader);
  } catch (const std::bad_alloc&) {
    reader->noMemory = true;
    reader->damaged = true;
    return 1;
  }
}

herr_t ReadLink(hid_t group, const char* name, Reader* reader) {
  void* data = reader;
  Hid object(H5Oopen(group, name, H5P_DEFAULT), H5Oclose);
  if (!object.Ok()) {
    reader->damaged = true;
    return 1;
  }
  ssize_t length = H5Iget_name(object.Get(), nullptr, 0);
  std::string path(static_cast<std::size_t>(std::max<ssize_t>(length, 0)), '\0');
  H5Iget_name(object.Get(), path.data(), path.size() + 1);
  if (!path.empty() && path.front() == '/') path.erase(0, 1);

  const H5I_type_t kind = H5Iget_type(object.Get());
  if (kind == H5I_GROUP) {
    if (!ReadAttributes(object.Get(), reader->out.content.groups[path])) reader->damaged = true;
    hsize_t index = 0;
    if (!reader->damaged && H5Literate(object.Get(), H5_INDEX_NAME, H5_ITER_INC, &index, VisitLink, data) < 0) {
      reader->damaged = true;
    }
  } else if (kind == H5I_DATASET && path == kBufferDataset) {
    if (!ReadBuffer(object.Get(), reader->out.content.buffer)) reader->damaged = true;
  } else if (kind == H5I_DATASET && path == kStreamDataset) {
    if (FileFailure failure = CopyStreamOut(object.Get(), reader->streamCopy, reader->out.streamPoints)) {
      if (!failure->empty()) reader->out.failure = std::move(failure);
      reader->damaged = true;
    }
  } else if (kind == H5I_DATASET && !IsPointDataset(path)) {
    Hid type(H5Dget_type(object.Get()), H5Tclose);
    if (type.Ok() && H5Tget_class(type.Get()) == H5T_STRING && !ReadTexts(object.Get(), reader->out.content.texts[path])) {
      reader->damaged = true;
    }
  }
  return reader->damaged ? 1 : 0;
}

std::int64_t IntegerOr(const SessionAttributes& attributes, std::string_view name, std::int64_t otherwise) {
  const auto it = attributes.find(name);
  if (it == attributes.end()) return otherwise;
  const auto* i = std::get_if<std::int64_t>(&it->second);
  return i != nullptr ? *i : otherwise;
}

}  // namespace

SessionReading ReadSessionFile(const std::filesystem::path& file, const std::filesystem::path& streamCopy) {
  SilenceLibrary();
  SessionReading reading;
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) {
    reading.failure = FileFailureText(kOpenAction, file, LastError());
    return reading;
  }
  if (!S_ISREG(st.st_mode)) {
    reading.failure = FileFailureText(kOpenAction, file, kNotASession);
    return reading;
  }
  Hid fapl = FileAccess();
  Hid h5(H5Fopen(file.c_str(), H5F_ACC_RDONLY, fapl.Get()), H5Fclose);
  if (!h5.Ok()) {
    reading.failure = FileFailureText(kOpenAction, file, HasHdf5Signature(file) ? kDamaged : kNotASession);
    return reading;
  }
  SessionAttributes& root = reading.content.groups[""];
  if (!ReadAttributes(h5.Get(), root)) {
    reading.failure = FileFailureText(kOpenAction, file, kDamaged);
    return reading;
  }
  const auto format = root.find("format");
  if (format == root.end() || format->second != SessionValue(std::string(kSessionFormatName))) {
    reading.failure = FileFailureText(kOpenAction, file, kNotASession);
    return reading;
  }
  const std::int64_t version = IntegerOr(root, "format_version", 0);
  if (version > kSessionFormatVersion) {
    reading.failure = FileFailureText(
        kOpenAction, file,
        "it was written by a newer Orbitra (session format " + std::to_string(version) + ", this one reads up to " +
            std::to_string(kSessionFormatVersion) + ")");
    return reading;
  }
  if (version < 1) {
    reading.failure = FileFailureText(kOpenAction, file, kDamaged);
    return reading;
  }
  Reader reader{streamCopy, reading};
  hsize_t index = 0;
  const herr_t visited = H5Literate(h5.Get(), H5_INDEX_NAME, H5_ITER_INC, &index, VisitLink, &reader);
  // Both point datasets belong to every session, empty or not.
  const bool whole = H5Lexists(h5.Get(), "store", H5P_DEFAULT) > 0 &&
                     H5Lexists(h5.Get(), kBufferDataset, H5P_DEFAULT) > 0 &&
                     H5Lexists(h5.Get(), kStreamDataset, H5P_DEFAULT) > 0;
  if (visited < 0 || reader.damaged || !whole) {
    if (!reading.failure) {
      reading.failure = FileFailureText(kOpenAction, file, reader.noMemory ? "there is not enough memory for it" : kDamaged);
    }
    return reading;
  }
  // Format 1 only reserved "/views".
  std::string viewsProblem;
  if (version >= 2 && !ReadSessionViews(h5.Get(), reading.content.views, viewsProblem)) {
    reading.failure = FileFailureText(kOpenAction, file, "it is damaged (" + viewsProblem + ")");
  }
  return reading;
}


}  // namespace orbitra
