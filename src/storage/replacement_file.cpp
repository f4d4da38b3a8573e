// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace orbitra {

namespace {

int LastError() noexcept { return errno != 0 ? errno : EIO; }

// The file a path leads to, following symbolic links (relative ones from their own
// folder). A dangling link leads to the file it names, which writing creates.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, ec); ++hops) {
    const std::filesystem::path to = std::filesystem::read_symlink(path, ec);
    if (ec) break;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return path;
}

// Temporary files are named after the process that writes them, so that one left by a
// killed program can be told from one another program is writing right now.
constexpr std::string_view kBesideSuffix = ".orbitra-part";
constexpr std::string_view kTempFolderPrefix = "orbitra-part-";

bool EndsWith(std::string_view text, std::string_view end) noexcept {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The process id a temporary file's name holds ("<pid>" up to a '-' or the end of `digits`).
pid_t ProcessOf(std::string_view digits) noexcept {
  pid_t pid = 0;
  std::size_t i = 0;
  for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9' && pid < 100'000'000; ++i) {
    pid = pid * 10 + (digits[i] - '0');
  }
  return i > 0 && (i == digits.size() || digits[i] == '-') ? pid : 0;
}

bool ProcessIsGone(pid_t pid) noexcept { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; }

// "<name>.<pid>-<n>.orbitra-part" of a dead process, beside a file called `name` (any
// name when empty).
bool IsStaleBeside(std::string_view file, std::string_view name) {
  if (!EndsWith(file, kBesideSuffix)) return false;
  std::string_view stem = file.substr(0, file.size() - kBesideSuffix.size());
  const std::size_t dot = stem.rfind('.');
  if (dot == std::string_view::npos || (!name.empty() && stem.substr(0, dot) != name)) return false;
  return ProcessIsGone(ProcessOf(stem.substr(dot + 1)));
}

void RemoveStale(const std::filesystem::path& folder, std::string_view name) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    const bool stale = IsStaleBeside(file, name) ||
                       (name.empty() && file.starts_with(kTempFolderPrefix) &&
                        ProcessIsGone(ProcessOf(std::string_view(file).substr(kTempFolderPrefix.size()))));
    std::error_code ignored;
    if (stale && it->is_regular_file(ignored)) std::filesystem::remove(it->path(), ignored);
  }
}

// Errors of creating a file beside the target after which writing in place may still work.
bool NoRoomBeside(int error) noexcept {
  return error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG || error == EDQUOT ||
         error == ENOSPC;
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) noexcept : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const noexcept { return fd_; }
  // Closes now and reports whether everything written reached the system.
  bool Close() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Writes at the descriptor's own position: a FIFO or a device has no offsets.
bool WriteAll(int fd, const char* data, std::size_t size) noexcept {
  while (size > 0) {
    errno = 0;
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (errno == 0) errno = ENOSPC;  // a write of nothing: no room is left
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ReplacementFile::ReplacementFile(std::filesystem::path target) : target_(std::move(target)) {}

ReplacementFile::~ReplacementFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temp_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
  }
}

FileFailure ReplacementFile::Create() {
  real_ = FollowLinks(target_);
  struct stat st {};
  const bool exists = ::stat(real_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return FileFailureText("replace", target_, EISDIR);
  if (exists && ::access(real_.c_str(), W_OK) != 0) return FileFailureText("write", target_, LastError());
  // A FIFO or a device is written into, never replaced by a regular file.
  special_ = exists && !S_ISREG(st.st_mode);
  if (special_) return CreateInTempFolder();
  RemoveStale(real_.parent_path().empty() ? "." : real_.parent_path(), real_.filename().string());
  // Renaming over a file with other hard links would part it from them.
  if (exists && st.st_nlink > 1) return CreateInTempFolder();
  return CreateBeside();
}

FileFailure ReplacementFile::CreateBeside() {
  // "x" never opens a file that is there already, so nothing of the user's is touched.
  const std::string process = "." + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = real_;
    candidate += process + std::to_string(attempt) + std::string(kBesideSuffix);
    errno = 0;
    file_ = std::fopen(candidate.c_str(), "wx");
    if (file_ != nullptr) {
      temp_ = std::move(candidate);
      return std::nullopt;
    }
    const int error = LastError();
    if (NoRoomBeside(error)) return CreateInTempFolder();
    if (error != EEXIST) return FileFailureText("create", target_, error);
  }
  return FileFailureText("create", target_, EEXIST);
}

FileFailure ReplacementFile::CreateInTempFolder() {
  std::error_code ec;
  const std::string name = std::string(kTempFolderPrefix) + std::to_string(::getpid()) + "-XXXXXX";
  std::string pattern = (std::filesystem::temp_directory_path(ec) / name).string();
  if (ec) return FileFailureText("create", target_, ec.value());
  errno = 0;
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return FileFailureText("create", target_, LastError());
  temp_ = pattern;
  file_ = ::fdopen(fd, "w+");
  if (file_ == nullptr) {
    const int error = LastError();
    ::close(fd);
    return FileFailureText("create", target_, error);
  }
  inPlace_ = true;
  return std::nullopt;
}

FileFailure ReplacementFile::ReleaseTemporary() {
  errno = 0;
  if (std::fflush(file_) != 0) return FileFailureText("write", target_, LastError());
  released_ = true;
  return std::nullopt;
}

FileFailure ReplacementFile::Write(std::string_view text) {
  errno = 0;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    return FileFailureText("write", target_, LastError());
  }
  return std::nullopt;
}

FileFailure ReplacementFile::Commit() {
  if (inPlace_) return CopyOverTarget();
  if (FileFailure failure = CloseTemp()) return failure;
  return RenameOverTarget();
}

FileFailure ReplacementFile::CloseTemp() {
  errno = 0;
  // The content reaches the disk before its name replaces the old file's. A library that
  // wrote by name may have made a new file of that name: it is synced by its name.
  Descriptor named(released_ ? ::open(temp_.c_str(), O_RDONLY) : -1);
  if (released_ && named.Get() < 0) return FileFailureText("write", target_, LastError());
  const bool flushed = std::fflush(file_) == 0 && ::fsync(released_ ? named.Get() : ::fileno(file_)) == 0;
  const int flushError = flushed ? 0 : LastError();
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) return FileFailureText("write", target_, flushError);
  if (!closed) return FileFailureText("write", target_, LastError());
  return std::nullopt;
}

FileFailure ReplacementFile::RenameOverTarget() {
  // The new file takes the old one's permissions and, where the system lets it, its owner.
  struct stat st {};
  if (::stat(real_.c_str(), &st) == 0) {
    if (::chmod(temp_.c_str(), st.st_mode & 07777) != 0) return FileFailureText("replace", target_, LastError());
    if (::chown(temp_.c_str(), st.st_uid, st.st_gid) != 0) {
      // Not the owner: the file becomes the user's, as a newly written one would.
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp_, real_, ec);
  if (ec) return FileFailureText("replace", target_, ec.value());
  temp_.clear();
  return std::nullopt;
}

FileFailure ReplacementFile::CopyOverTarget() {
  errno = 0;
  if (std::fflush(file_) != 0) return FileFailureText("write", target_, LastError());
  // A library that wrote by name may have replaced the file: read it by its name.
  errno = 0;
  Descriptor reopened(released_ ? ::open(temp_.c_str(), O_RDONLY) : -1);
  if (released_ && reopened.Get() < 0) return FileFailureText("write", target_, LastError());
  const int source = released_ ? reopened.Get() : ::fileno(file_);
  struct stat written {};
  if (::fstat(source, &written) != 0) return FileFailureText("write", target_, LastError());
  const off_t size = written.st_size;

  errno = 0;
  Descriptor target(::open(real_.c_str(), special_ ? O_WRONLY : O_WRONLY | O_CREAT, 0666));
  if (target.Get() < 0) return FileFailureText("write", target_, LastError());
  struct stat before {};
  if (::fstat(target.Get(), &before) != 0) return FileFailureText("write", target_, LastError());
  // Reserve the space first, so that a full disk is found before anything is overwritten.
  if (!special_ && size > before.st_size) {
    const int error = ::posix_fallocate(target.Get(), 0, size);
    if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
      if (::ftruncate(target.Get(), before.st_size) != 0) {
        // The reservation could not be taken back; the old content is intact all the same.
      }
      return FileFailureText("write", target_, error);
    }
  }
  char block[1 << 16];
  for (off_t at = 0; at < size;) {
    const ssize_t n = ::pread(source, block, sizeof block, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return FileFailureText("write", target_, n < 0 ? LastError() : EIO);
    if (!WriteAll(target.Get(), block, static_cast<std::size_t>(n))) {
      return FileFailureText("write", target_, LastError());
    }
    at += n;
  }
  errno = 0;
  if (!special_ && ::ftruncate(target.Get(), size) != 0) return FileFailureText("write", target_, LastError());
  errno = 0;
  if (!target.Close()) return FileFailureText("write", target_, LastError());
  return std::nullopt;
}

FileFailure ReplaceFile(const std::filesystem::path& target, std::string_view content) {
  ReplacementFile file(target);
  if (FileFailure failure = file.Create()) return failure;
  if (FileFailure failure = file.Write(content)) return failure;
  return file.Commit();
}

FileFailure ReplaceFileByName(const std::filesystem::path& target, const WriteAtPath& write) {
  ReplacementFile file(target);
  if (FileFailure failure = file.Create()) return failure;
  if (FileFailure failure = file.ReleaseTemporary()) return failure;
  if (FileFailure failure = write(file.TemporaryPath())) return failure;
  return file.Commit();
}

void RemoveStaleTemporaryFiles(const std::filesystem::path& folder) {
  RemoveStale(folder, {});
  std::error_code ec;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
  if (!ec) RemoveStale(temporary, {});
}

}  // namespace orbitra
