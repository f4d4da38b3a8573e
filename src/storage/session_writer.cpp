// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/session_file.h"
#include "storage/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "storage/session_hdf5.h"
#include "storage/session_views_file.h"
#include "storage/stream_reader.h"

namespace orbitra {

namespace {

using namespace hdf5;

constexpr const char* kSaveAction = "save the session";

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
  if (!WriteSessionViews(file, content.views)) return std::string();
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

// Makes the written bytes durable before the new file takes the old one's place.
bool SyncFile(const std::filesystem::path& file) noexcept {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

}  // namespace

FileFailure WriteSessionFile(const std::filesystem::path& target, const SessionContent& content,
                             const SessionPoints& points) {
  SilenceLibrary();
  if (FileFailure failure = CheckReplaceable(target)) return failure;
  // The library writes files it can seek in: a FIFO or a socket would only block.
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
    return FileFailureText(kSaveAction, target, "it is a FIFO or a socket, not a file a session can be written to");
  }
  // The library writes by name: the file is made at a temporary path and then put in
  // place by the rules every file of ours follows (links, modes, hard links kept).
  return ReplaceFileByName(target, [&](const std::filesystem::path& temporary) -> FileFailure {
    Hid fapl = FileAccess();
    Hid file(H5Fcreate(temporary.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, fapl.Get()), H5Fclose);
    if (!file.Ok()) return FileFailureText(kSaveAction, target, "the file could not be created");
    FileFailure failure = WriteContent(file.Get(), content, points);
    // Closing writes what the library still holds: a full disk may show only here.
    const bool closed = file.Close();
    if (failure) return failure->empty() ? FileFailureText(kSaveAction, target, "writing the file failed") : failure;
    if (!closed || !SyncFile(temporary)) return FileFailureText(kSaveAction, target, "writing the file failed");
    return std::nullopt;
  });
}

}  // namespace orbitra
