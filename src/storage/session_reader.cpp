// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/session_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/isolated_call.h"
#include "platform/memory_budget.h"
#include "storage/session_hdf5.h"
#include "storage/session_views_file.h"
#include "storage/stream_reader.h"

namespace orbitra {

namespace {

using namespace hdf5;

constexpr const char* kOpenAction = "open the session";
constexpr const char* kNotASession = "it is not an Orbitra session";
constexpr const char* kDamaged = "it is damaged or incomplete";

// The parts of a session that are read; nothing else in the file is looked at (see
// docs/session-format.md). Groups are read for their attributes.
constexpr const char* kGroups[] = {"map",    "map/user", "run",     "run/settings", "boxes", "boxes/xy",
                                   "boxes/x", "boxes/y", "boxes/g", "store",        "group", "export"};
constexpr const char* kTextDatasets[] = {"map/user/helpers", "group/lines"};

// Bounds of what a session may hold besides its points.
constexpr hsize_t kMostAttributes = 1000;      // per group
constexpr std::size_t kLongestName = 255;      // of an attribute
constexpr std::size_t kLongestText = 65536;    // bytes of one text, attribute or line
constexpr hsize_t kMostTextLines = 1u << 20;   // of one dataset of text lines
constexpr hsize_t kMostPoints = INT32_MAX;     // of one point dataset
// The reader's child gets this many processor seconds, and one more per this many bytes.
constexpr int kCheckSeconds = 5;
constexpr std::uint64_t kCheckBytesPerSecond = 20u << 20;

// The result of the checking child: this text when all is well, else the problem.
constexpr const char* kCheckedWhole = "whole";
// A problem the child reports that is no damage: the reason is given as it is.
constexpr const char* kPlainReason = "reason:";

bool HasHdf5Signature(const std::filesystem::path& file) {
  static constexpr unsigned char kSignature[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1a, '\n'};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "rb"), std::fclose);
  unsigned char head[8] = {};
  return f && std::fread(head, 1, sizeof head, f.get()) == sizeof head && std::memcmp(head, kSignature, 8) == 0;
}

std::string Quoted(std::string_view path) { return "\"" + std::string(path) + "\""; }

// One of the fixed-size types the format's numbers may be stored as.
bool IsStandardInteger(hid_t type) {
  for (const hid_t known : {H5T_STD_I8LE, H5T_STD_I16LE, H5T_STD_I32LE, H5T_STD_I64LE, H5T_STD_U8LE, H5T_STD_U16LE,
                            H5T_STD_U32LE, H5T_STD_I8BE, H5T_STD_I16BE, H5T_STD_I32BE, H5T_STD_I64BE, H5T_STD_U8BE,
                            H5T_STD_U16BE, H5T_STD_U32BE}) {
    if (H5Tequal(type, known) > 0) return true;
  }
  return false;
}
bool IsDouble(hid_t type) { return H5Tequal(type, H5T_IEEE_F64LE) > 0 || H5Tequal(type, H5T_IEEE_F64BE) > 0; }
bool IsByte(hid_t type) { return H5Tequal(type, H5T_STD_U8LE) > 0 || H5Tequal(type, H5T_STD_I8LE) > 0; }

// A text type: variable-length, or fixed and no longer than a text may be.
bool IsTextType(hid_t type) {
  if (H5Tget_class(type) != H5T_STRING) return false;
  if (H5Tis_variable_str(type) > 0) return true;
  const std::size_t size = H5Tget_size(type);
  return size > 0 && size <= kLongestText;
}

// A fixed-length text as h5py writes it: padded with NULs (or blanks) after the text.
std::string FixedText(std::string text, hid_t type) {
  text.resize(std::strlen(text.c_str()));
  if (H5Tget_strpad(type) == H5T_STR_SPACEPAD) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
  }
  return text;
}

// An attribute's value, when it is a scalar of a type the format names; nothing for any
// other (another program's addition, passed over); a problem when reading it fails.
struct AttributeValue {
  std::optional<SessionValue> value;
  std::string problem;
};

AttributeValue ReadAttribute(hid_t attr, const std::string& where) {
  AttributeValue out;
  Hid space(H5Aget_space(attr), H5Sclose);
  Hid type(H5Aget_type(attr), H5Tclose);
  if (!space.Ok() || !type.Ok()) return {std::nullopt, where + " cannot be read"};
  if (H5Sget_simple_extent_type(space.Get()) != H5S_SCALAR) return out;
  if (IsStandardInteger(type.Get())) {
    std::int64_t i = 0;
    if (H5Aread(attr, H5T_NATIVE_INT64, &i) < 0) return {std::nullopt, where + " cannot be read"};
    out.value = i;
  } else if (IsDouble(type.Get())) {
    double d = 0.0;
    if (H5Aread(attr, H5T_NATIVE_DOUBLE, &d) < 0) return {std::nullopt, where + " cannot be read"};
    out.value = d;
  } else if (IsTextType(type.Get()) && H5Tis_variable_str(type.Get()) > 0) {
    Hid memType = TextType();
    char* text = nullptr;
    if (H5Aread(attr, memType.Get(), &text) < 0) return {std::nullopt, where + " cannot be read"};
    std::string value(text != nullptr ? text : "");
    H5free_memory(text);
    if (value.size() > kLongestText) return {std::nullopt, where + " is a text longer than a session holds"};
    out.value = std::move(value);
  } else if (IsTextType(type.Get())) {
    std::string text(H5Tget_size(type.Get()) + 1, '\0');
    Hid memType(H5Tcopy(type.Get()), H5Tclose);
    if (!memType.Ok() || H5Aread(attr, memType.Get(), text.data()) < 0) return {std::nullopt, where + " cannot be read"};
    out.value = FixedText(std::move(text), type.Get());
  }
  return out;
}

// The attributes of a group (or the root), by index; at most kMostAttributes.
std::string ReadAttributes(hid_t object, const std::string& path, SessionAttributes& attributes) {
  H5O_info_t info{};
  if (H5Oget_info2(object, &info, H5O_INFO_NUM_ATTRS) < 0) return Quoted(path) + " cannot be read";
  if (info.num_attrs > kMostAttributes) return Quoted(path) + " has more attributes than a session holds";
  for (hsize_t i = 0; i < info.num_attrs; ++i) {
    Hid attr(H5Aopen_by_idx(object, ".", H5_INDEX_NAME, H5_ITER_INC, i, H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
    if (!attr.Ok()) return Quoted(path) + " has an attribute that cannot be read";
    const ssize_t length = H5Aget_name(attr.Get(), 0, nullptr);
    if (length <= 0 || static_cast<std::size_t>(length) > kLongestName) {
      return Quoted(path) + " has an attribute whose name cannot be read";
    }
    std::string name(static_cast<std::size_t>(length) + 1, '\0');
    if (H5Aget_name(attr.Get(), name.size(), name.data()) != length) {
      return Quoted(path) + " has an attribute whose name cannot be read";
    }
    name.resize(static_cast<std::size_t>(length));
    AttributeValue read = ReadAttribute(attr.Get(), Quoted(path.empty() ? name : path + "/" + name));
    if (!read.problem.empty()) return read.problem;
    if (read.value) attributes[name] = std::move(*read.value);
  }
  return {};
}

// Opens the object at `path` below the root through hard links only, each step checked
// (no soft or external link is followed, nothing is walked). Nothing when the path is
// missing; a problem when it leads through something else.
struct Opened {
  std::optional<Hid> object;
  std::string problem;
};

Opened OpenNamed(hid_t file, std::string_view path, H5O_type_t kind) {
  std::optional<Hid> at;
  at.emplace(H5Oopen(file, "/", H5P_DEFAULT), H5Oclose);
  if (!at->Ok()) return {std::nullopt, "its root cannot be read"};
  std::size_t begin = 0;
  while (begin <= path.size()) {
    const std::size_t end = std::min(path.find('/', begin), path.size());
    const std::string part(path.substr(begin, end - begin));
    const bool last = end == path.size();
    const std::string where = Quoted(path.substr(0, end));
    const htri_t exists = H5Lexists(at->Get(), part.c_str(), H5P_DEFAULT);
    if (exists < 0) return {std::nullopt, where + " cannot be read"};
    if (exists == 0) return {};
    H5L_info_t link{};
    if (H5Lget_info(at->Get(), part.c_str(), &link, H5P_DEFAULT) < 0) return {std::nullopt, where + " cannot be read"};
    if (link.type != H5L_TYPE_HARD) return {std::nullopt, where + " is a link, which a session never holds"};
    Hid next(H5Oopen(at->Get(), part.c_str(), H5P_DEFAULT), H5Oclose);
    if (!next.Ok()) return {std::nullopt, where + " cannot be read"};
    H5O_info_t info{};
    if (H5Oget_info2(next.Get(), &info, H5O_INFO_BASIC) < 0) return {std::nullopt, where + " cannot be read"};
    const H5O_type_t wanted = last ? kind : H5O_TYPE_GROUP;
    if (info.type != wanted) {
      return {std::nullopt, where + (wanted == H5O_TYPE_GROUP ? " is not a group" : " is not a dataset")};
    }
    if (last) return {std::move(next), {}};
    at.emplace(std::move(next));
    begin = end + 1;
  }
  return {};
}

// A one-dimensional dataset stored as the writer stores one: its elements one after
// another in the file itself (no chunks, filters or external files), all of them there.
// Its length, or the problem.
struct Extent {
  hsize_t count = 0;
  std::string problem;
};

Extent CheckStorage(hid_t set, hid_t fileType, const std::string& where, std::uint64_t fileSize) {
  Extent out;
  Hid space(H5Dget_space(set), H5Sclose);
  if (!space.Ok()) return {0, where + " cannot be read"};
  if (H5Sget_simple_extent_type(space.Get()) != H5S_SIMPLE || H5Sget_simple_extent_ndims(space.Get()) != 1) {
    return {0, where + " is not a list"};
  }
  if (H5Sget_simple_extent_dims(space.Get(), &out.count, nullptr) < 0) return {0, where + " cannot be read"};
  Hid plist(H5Dget_create_plist(set), H5Pclose);
  if (!plist.Ok()) return {0, where + " cannot be read"};
  if (H5Pget_layout(plist.Get()) != H5D_CONTIGUOUS || H5Pget_external_count(plist.Get()) != 0 ||
      H5Pget_nfilters(plist.Get()) != 0) {
    return {0, where + " is stored in a way a session never is"};
  }
  // A text of variable length is stored as its length and the address of its bytes.
  std::size_t elementSize = H5Tget_size(fileType);
  if (H5Tis_variable_str(fileType) > 0) {
    Hid owner(H5Iget_file_id(set), H5Fclose);
    Hid fcpl(owner.Ok() ? H5Fget_create_plist(owner.Get()) : -1, H5Pclose);
    std::size_t addressSize = 0, lengthSize = 0;
    if (!fcpl.Ok() || H5Pget_sizes(fcpl.Get(), &addressSize, &lengthSize) < 0) return {0, where + " cannot be read"};
    elementSize = 4 + addressSize + 4;
  }
  if (elementSize == 0) return {0, where + " cannot be read"};
  if (out.count == 0) return out;
  const hsize_t stored = H5Dget_storage_size(set);
  const haddr_t offset = H5Dget_offset(set);
  if (out.count > fileSize / elementSize || stored != out.count * elementSize || offset == HADDR_UNDEF ||
      offset > fileSize || stored > fileSize - offset) {
    return {0, where + " claims " + std::to_string(out.count) + " entries, more than the file holds"};
  }
  return out;
}

bool IsPointType(hid_t type) {
  if (H5Tget_class(type) != H5T_COMPOUND || H5Tget_nmembers(type) != 3 || H5Tget_size(type) > 64) return false;
  bool x = false, y = false, colour = false;
  for (unsigned i = 0; i < 3; ++i) {
    char* name = H5Tget_member_name(type, i);
    if (name == nullptr) return false;
    const std::string member(name);
    H5free_memory(name);
    Hid memberType(H5Tget_member_type(type, i), H5Tclose);
    if (!memberType.Ok()) return false;
    if (member == "x") x = IsDouble(memberType.Get());
    if (member == "y") y = IsDouble(memberType.Get());
    if (member == "colour") colour = IsByte(memberType.Get());
  }
  return x && y && colour;
}

// Reads a session from an open file. With a stream copy, the buffer is kept and the
// stream written to the copy; without, every point is read and dropped (the check).
class SessionFileReader {
 public:
  SessionFileReader(hid_t file, std::uint64_t fileSize, std::uint64_t memoryBudget,
                    const std::filesystem::path* streamCopy, SessionReading& out, const IsolationMark* mark)
      : file_(file), fileSize_(fileSize), memoryBudget_(memoryBudget), streamCopy_(streamCopy), out_(out), mark_(mark) {}

  // The problem ("where" and what), or nothing; a failure with its own words goes to
  // out.failure.
  std::string ReadParts() {
    for (const char* path : kGroups) {
      Mark(path);
      Opened group = OpenNamed(file_, path, H5O_TYPE_GROUP);
      if (!group.problem.empty()) return group.problem;
      if (!group.object) continue;
      if (std::string problem = ReadAttributes(group.object->Get(), path, out_.content.groups[path]); !problem.empty()) {
        return problem;
      }
    }
    // The buffer the window will allocate, claimed by a number alone: held against memory
    // before anything is read into it.
    if (const std::string problem = CheckBufferCapacity(); !problem.empty()) return problem;
    for (const char* path : kTextDatasets) {
      Mark(path);
      Opened set = OpenNamed(file_, path, H5O_TYPE_DATASET);
      if (!set.problem.empty()) return set.problem;
      if (!set.object) continue;
      if (std::string problem = ReadTexts(set.object->Get(), path); !problem.empty()) return problem;
    }
    for (const char* path : {kBufferDataset, kStreamDataset}) {
      Mark(path);
      Opened set = OpenNamed(file_, path, H5O_TYPE_DATASET);
      if (!set.problem.empty()) return set.problem;
      if (!set.object) return Quoted(path) + " is missing";
      if (std::string problem = ReadPoints(set.object->Get(), path); !problem.empty()) return problem;
    }
    return {};
  }

  bool NoMemory() const noexcept { return noMemory_; }

 private:
  std::string CheckBufferCapacity() {
    const auto store = out_.content.groups.find("store");
    if (store == out_.content.groups.end()) return {};
    const auto capacity = store->second.find("buffer_capacity");
    if (capacity == store->second.end()) return {};
    const auto* points = std::get_if<std::int64_t>(&capacity->second);
    if (points == nullptr || *points <= 0) return {};  // the explorer says what is wrong with it
    return CheckMemory(static_cast<std::uint64_t>(*points), 1);
  }

  // A buffer of `points` points held `copies` times, against half the memory at hand.
  std::string CheckMemory(std::uint64_t points, std::uint64_t copies) {
    const std::uint64_t budget = memoryBudget_;
    const std::uint64_t most = budget / 2 / sizeof(StoredPoint) / copies;
    if (points <= most) return {};
    noMemory_ = true;
    return "its buffer of " + std::to_string(points) + " points needs " +
           std::to_string(Megabytes(points * copies * sizeof(StoredPoint))) + " MB, more than half of the " +
           std::to_string(Megabytes(budget)) + " MB at hand";
  }

  void Mark(std::string_view where) const {
    if (mark_ != nullptr) (*mark_)(where);
  }

  std::string ReadTexts(hid_t set, const std::string& path) {
    const std::string where = Quoted(path);
    Hid fileType(H5Dget_type(set), H5Tclose);
    if (!fileType.Ok() || !IsTextType(fileType.Get())) return where + " is not a list of text lines";
    const Extent extent = CheckStorage(set, fileType.Get(), where, fileSize_);
    if (!extent.problem.empty()) return extent.problem;
    if (extent.count > kMostTextLines) return where + " has more lines than a session holds";
    std::vector<std::string>& lines = out_.content.texts[path];
    lines.clear();
    if (extent.count == 0) return {};
    if (H5Tis_variable_str(fileType.Get()) > 0) {
      Hid memType = TextType();
      Hid space(H5Dget_space(set), H5Sclose);
      hsize_t bytes = 0;
      if (!space.Ok() || H5Dvlen_get_buf_size(set, memType.Get(), space.Get(), &bytes) < 0) {
        return where + " cannot be read";
      }
      if (bytes > extent.count * (kLongestText + 1)) return where + " holds a line longer than a session holds";
      std::vector<char*> pointers(extent.count, nullptr);
      if (H5Dread(set, memType.Get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, pointers.data()) < 0) {
        return where + " cannot be read";
      }
      for (char* p : pointers) {
        lines.emplace_back(p != nullptr ? p : "");
        H5free_memory(p);
      }
    } else {
      const std::size_t size = H5Tget_size(fileType.Get());
      std::vector<char> bytes(static_cast<std::size_t>(extent.count) * size);
      Hid memType(H5Tcopy(fileType.Get()), H5Tclose);
      if (!memType.Ok() || H5Dread(set, memType.Get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, bytes.data()) < 0) {
        return where + " cannot be read";
      }
      for (hsize_t i = 0; i < extent.count; ++i) {
        std::string text(bytes.data() + i * size, size);
        text.push_back('\0');
        lines.push_back(FixedText(std::move(text), fileType.Get()));
      }
    }
    for (const std::string& line : lines) {
      if (line.size() > kLongestText) return where + " holds a line longer than a session holds";
    }
    return {};
  }

  std::string ReadPoints(hid_t set, const std::string& path) {
    const std::string where = Quoted(path);
    Hid fileType(H5Dget_type(set), H5Tclose);
    if (!fileType.Ok() || !IsPointType(fileType.Get())) return where + " is not a list of points";
    const Extent extent = CheckStorage(set, fileType.Get(), where, fileSize_);
    if (!extent.problem.empty()) return extent.problem;
    if (extent.count > kMostPoints) return where + " holds more points than a session may";
    const bool buffer = path == kBufferDataset;
    if (buffer) {
      // The buffer is held in memory whole (and then once more in the window's buffer).
      if (std::string problem = CheckMemory(extent.count, 2); !problem.empty()) return problem;
    }
    Hid memType = PointType(true);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> copy(nullptr, std::fclose);
    if (!buffer && streamCopy_ != nullptr) {
      errno = 0;
      copy.reset(std::fopen(streamCopy_->c_str(), "wb"));
      if (!copy) {
        out_.failure = FileFailureText("create", *streamCopy_, LastError());
        return kPlainReason;
      }
    }
    std::vector<StoredPoint>& kept = out_.content.buffer;
    if (buffer && streamCopy_ != nullptr) kept.resize(extent.count);
    std::vector<StoredPoint> block(std::min<hsize_t>(extent.count, kStreamBlockRecords));
    for (hsize_t done = 0; done < extent.count;) {
      const hsize_t n = std::min<hsize_t>(extent.count - done, kStreamBlockRecords);
      StoredPoint* into = buffer && streamCopy_ != nullptr ? kept.data() + done : block.data();
      if (!ReadPointBlock(set, memType.Get(), done, n, into)) return where + " cannot be read";
      if (copy) {
        errno = 0;
        if (std::fwrite(into, sizeof(StoredPoint), n, copy.get()) != n) {
          out_.failure = FileFailureText("write", *streamCopy_, LastError());
          return kPlainReason;
        }
      }
      done += n;
    }
    if (copy) {
      errno = 0;
      if (std::fflush(copy.get()) != 0) {
        out_.failure = FileFailureText("write", *streamCopy_, LastError());
        return kPlainReason;
      }
    }
    if (!buffer) out_.streamPoints = static_cast<std::int64_t>(extent.count);
    return {};
  }

  hid_t file_;
  std::uint64_t fileSize_;
  std::uint64_t memoryBudget_;  // the program's, not the checking child's (which is smaller)
  const std::filesystem::path* streamCopy_;
  SessionReading& out_;
  const IsolationMark* mark_;
  bool noMemory_ = false;
};

std::int64_t IntegerOr(const SessionAttributes& attributes, std::string_view name, std::int64_t otherwise) {
  const auto it = attributes.find(name);
  if (it == attributes.end()) return otherwise;
  const auto* i = std::get_if<std::int64_t>(&it->second);
  return i != nullptr ? *i : otherwise;
}

// The words of a problem found in a named part.
std::string DamagedAt(const std::string& problem) { return "it is damaged (" + problem + ")"; }

// Reads the whole session (the check when streamCopy is null). The file has been found
// to be a regular file of `fileSize` bytes.
SessionReading ReadSession(const std::filesystem::path& file, std::uint64_t fileSize, std::uint64_t memoryBudget,
                           const std::filesystem::path* streamCopy, const IsolationMark* mark) {
  SilenceLibrary();
  SessionReading reading;
  if (mark != nullptr) (*mark)("the file's frame");
  Hid fapl = FileAccess();
  Hid h5(H5Fopen(file.c_str(), H5F_ACC_RDONLY, fapl.Get()), H5Fclose);
  if (!h5.Ok()) {
    reading.failure = FileFailureText(kOpenAction, file, HasHdf5Signature(file) ? kDamaged : kNotASession);
    return reading;
  }
  if (mark != nullptr) (*mark)("the root");
  SessionAttributes& root = reading.content.groups[""];
  Hid rootGroup(H5Oopen(h5.Get(), "/", H5P_DEFAULT), H5Oclose);
  if (!rootGroup.Ok() || !ReadAttributes(rootGroup.Get(), "", root).empty()) {
    reading.failure = FileFailureText(kOpenAction, file, kDamaged);
    return reading;
  }
  const auto format = root.find("format");
  if (format == root.end() || format->second != SessionValue(std::string(kSessionFormatName))) {
    reading.failure = FileFailureText(kOpenAction, file, kNotASession);
    return reading;
  }
  // A version that is missing or no whole number is as damaged as one below the first.
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
  SessionFileReader reader(h5.Get(), fileSize, memoryBudget, streamCopy, reading, mark);
  std::string problem;
  try {
    problem = reader.ReadParts();
  } catch (const std::bad_alloc&) {
    reading.failure = FileFailureText(kOpenAction, file, "there is not enough memory for it");
    return reading;
  }
  if (!problem.empty() && !reading.failure) {
    reading.failure = FileFailureText(kOpenAction, file,
                                      reader.NoMemory() ? "there is not enough memory for it (" + problem + ")"
                                                        : DamagedAt(problem));
    return reading;
  }
  // Format 1 only reserved "/views".
  if (mark != nullptr) (*mark)("/views");
  std::string viewsProblem;
  if (version >= 2 && !ReadSessionViews(h5.Get(), reading.content.views, viewsProblem)) {
    reading.failure = FileFailureText(kOpenAction, file, DamagedAt(viewsProblem));
  }
  return reading;
}

}  // namespace

SessionReading ReadSessionFile(const std::filesystem::path& file, const std::filesystem::path& streamCopy) {
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
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  const std::uint64_t memoryBudget = MemoryBudget();
  // The library is not made for hostile files: a child reads the whole session first, and
  // only a session it read to the end without fault is read here.
  IsolationLimits limits;
  limits.cpuSeconds = kCheckSeconds + static_cast<int>(std::min<std::uint64_t>(fileSize / kCheckBytesPerSecond, 1u << 20));
  const IsolatedOutcome check = RunIsolated(
      [&](const IsolationMark& mark) {
        const SessionReading checked = ReadSession(file, fileSize, memoryBudget, nullptr, &mark);
        return checked.failure ? *checked.failure : std::string(kCheckedWhole);
      },
      limits);
  if (!check.started) {
    reading.failure = FileFailureText(kOpenAction, file, "it could not be checked: " + check.ending);
    return reading;
  }
  if (!check.finished) {
    const std::string where = check.lastMark.empty() ? std::string() : " in " + check.lastMark;
    reading.failure = FileFailureText(kOpenAction, file, DamagedAt("reading it failed" + where));
    return reading;
  }
  if (check.result != kCheckedWhole) {
    reading.failure = check.result;
    return reading;
  }
  return ReadSession(file, fileSize, memoryBudget, &streamCopy, nullptr);
}

}  // namespace orbitra
