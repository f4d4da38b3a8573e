#include "storage/session_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <hdf5.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>

#include "storage/stream_reader.h"

namespace orbitra {

namespace {

constexpr const char* kOpenAction = "open the session";
constexpr const char* kSaveAction = "save the session";
constexpr const char* kNotASession = "it is not an Orbitra session";
constexpr const char* kDamaged = "it is damaged or incomplete";
constexpr const char* kBufferDataset = "store/buffer";
constexpr const char* kStreamDataset = "store/stream";

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
void SilenceLibrary() noexcept { H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr); }

// Access without file locks: a session is written once to a file of its own and read
// once; locks only fail on filesystems that lack them.
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

// A point as stored: x and y as little-endian doubles, the colour index as a byte. In
// memory the same members stand where StoredPoint has them.
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

bool WriteAttributes(hid_t object, const SessionAttributes& attributes) {
  for (const auto& [name, value] : attributes) {
    if (!WriteAttribute(object, name, value)) return false;
  }
  return true;
}

// The group at path, made with the groups above it when missing.
Hid OpenOrCreateGroup(hid_t file, const std::string& path) {
  if (H5Lexists(file, path.c_str(), H5P_DEFAULT) > 0) return Hid(H5Gopen2(file, path.c_str(), H5P_DEFAULT), H5Gclose);
  Hid lcpl(H5Pcreate(H5P_LINK_CREATE), H5Pclose);
  H5Pset_create_intermediate_group(lcpl.Get(), 1);
  return Hid(H5Gcreate2(file, path.c_str(), lcpl.Get(), H5P_DEFAULT, H5P_DEFAULT), H5Gclose);
}

Hid CreateDataset(hid_t file, const std::string& path, hid_t type, hsize_t length) {
  Hid lcpl(H5Pcreate(H5P_LINK_CREATE), H5Pclose);
  H5Pset_create_intermediate_group(lcpl.Get(), 1);
  Hid space(H5Screate_simple(1, &length, nullptr), H5Sclose);
  if (!space.Ok()) return Hid(-1, H5Dclose);
  return Hid(H5Dcreate2(file, path.c_str(), type, space.Get(), lcpl.Get(), H5P_DEFAULT, H5P_DEFAULT), H5Dclose);
}

bool WriteTexts(hid_t file, const std::string& path, const std::vector<std::string>& lines) {
  Hid type = TextType();
  Hid set = CreateDataset(file, path, type.Get(), lines.size());
  if (!set.Ok()) return false;
  if (lines.empty()) return true;
  std::vector<const char*> pointers;
  pointers.reserve(lines.size());
  for (const std::string& line : lines) pointers.push_back(line.c_str());
  return H5Dwrite(set.Get(), type.Get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, pointers.data()) >= 0;
}

// Writes `count` points of a dataset from `first` on, from memory.
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

// The stream's first `count` records, copied block by block into the dataset.
FileFailure CopyStreamIn(hid_t set, hid_t memType, const std::filesystem::path& streamFile, std::int64_t count) {
  StreamReader reader(streamFile);
  std::vector<StoredPoint> block(count > 0 ? kStreamBlockRecords : 0);
  std::int64_t done = 0;
  while (done < count) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count - done, kStreamBlockRecords));
    const std::size_t got = reader.Read(block.data(), want);
    if (got == 0) {
      const int error = reader.ReadError();
      if (error != 0) return FileFailureText("read", streamFile, error);
      return FileFailureText("read", streamFile, "it holds fewer points than counted");
    }
    if (!WritePointBlock(set, memType, static_cast<hsize_t>(done), got, block.data())) return std::string();
    done += static_cast<std::int64_t>(got);
  }
  return std::nullopt;
}

// Writes every part of the session into an open new file. An empty failure text means
// the library failed (the caller words it); any other names its own cause.
FileFailure WriteContent(hid_t file, const SessionContent& content, const SessionPoints& points) {
  // The root's own attributes, if any, come with the format marks (and may replace them).
  SessionAttributes root{{"format", std::string(kSessionFormatName)},
                         {"format_version", std::int64_t{kSessionFormatVersion}}};
  if (const auto own = content.groups.find(""); own != content.groups.end()) {
    for (const auto& [name, value] : own->second) root[name] = value;
  }
  if (!WriteAttributes(file, root)) return std::string();
  for (const auto& [path, attributes] : content.groups) {
    if (path.empty()) continue;
    Hid group = OpenOrCreateGroup(file, path);
    if (!group.Ok() || !WriteAttributes(group.Get(), attributes)) return std::string();
  }
  for (const auto& [path, lines] : content.texts) {
    if (!WriteTexts(file, path, lines)) return std::string();
  }
  Hid fileType = PointType(false);
  Hid memType = PointType(true);
  Hid buffer = CreateDataset(file, kBufferDataset, fileType.Get(), points.buffer.size());
  if (!buffer.Ok() || !WritePointBlock(buffer.Get(), memType.Get(), 0, points.buffer.size(), points.buffer.data())) {
    return std::string();
  }
  const std::int64_t streamPoints = std::max<std::int64_t>(points.streamPoints, 0);
  Hid stream = CreateDataset(file, kStreamDataset, fileType.Get(), static_cast<hsize_t>(streamPoints));
  if (!stream.Ok()) return std::string();
  return CopyStreamIn(stream.Get(), memType.Get(), points.streamFile, streamPoints);
}

int LastError() noexcept { return errno != 0 ? errno : EIO; }

// Makes the written bytes durable before the new file takes the old one's place.
bool SyncFile(const std::filesystem::path& file) noexcept {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

// A temporary file beside `target` whose name nothing else has; removed on destruction
// unless kept.
class TempBeside {
 public:
  explicit TempBeside(const std::filesystem::path& target) {
    std::string pattern = target.string() + ".part-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
      error_ = LastError();
      return;
    }
    ::close(fd);
    path_ = pattern;
  }
  ~TempBeside() {
    if (!path_.empty()) {
      std::error_code ignored;
      std::filesystem::remove(path_, ignored);
    }
  }
  TempBeside(const TempBeside&) = delete;
  TempBeside& operator=(const TempBeside&) = delete;
  const std::filesystem::path& Path() const noexcept { return path_; }
  int Error() const noexcept { return error_; }
  void Keep() noexcept { path_.clear(); }

 private:
  std::filesystem::path path_;
  int error_ = 0;
};

// --- reading ---------------------------------------------------------------------------

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

hsize_t PointCount(hid_t set) {
  Hid space(H5Dget_space(set), H5Sclose);
  hsize_t length = 0;
  if (!space.Ok() || H5Sget_simple_extent_ndims(space.Get()) != 1) return 0;
  H5Sget_simple_extent_dims(space.Get(), &length, nullptr);
  return length;
}

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

FileFailure WriteSessionFile(const std::filesystem::path& target, const SessionContent& content,
                             const SessionPoints& points) {
  SilenceLibrary();
  if (FileFailure failure = CheckReplaceable(target)) return failure;
  TempBeside temp(target);
  if (temp.Path().empty()) return FileFailureText(kSaveAction, target, temp.Error());

  Hid fapl = FileAccess();
  Hid file(H5Fcreate(temp.Path().c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, fapl.Get()), H5Fclose);
  if (!file.Ok()) return FileFailureText(kSaveAction, target, "the file could not be created");
  FileFailure failure = WriteContent(file.Get(), content, points);
  // Closing writes what the library still holds: a full disk may show only here.
  const bool closed = file.Close();
  if (failure) return failure->empty() ? FileFailureText(kSaveAction, target, "writing the file failed") : failure;
  if (!closed || !SyncFile(temp.Path())) return FileFailureText(kSaveAction, target, "writing the file failed");

  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) ::chmod(temp.Path().c_str(), st.st_mode & 07777);
  std::error_code ec;
  std::filesystem::rename(temp.Path(), target, ec);
  if (ec) return FileFailureText(kSaveAction, target, ec.value());
  temp.Keep();
  return std::nullopt;
}

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
  }
  return reading;
}

}  // namespace orbitra
