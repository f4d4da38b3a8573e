#include "storage/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteAll(int fd, const char* data, std::size_t size, off_t at) noexcept {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    at += n;
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
  if (exists && ::access(real_.c_str(), W_OK) != 0) return FileFailureText("write", target_, LastError());
  // Renaming over a file with other hard links would part it from them.
  if (exists && S_ISREG(st.st_mode) && st.st_nlink > 1) return CreateInTempFolder();
  return CreateBeside();
}

FileFailure ReplacementFile::CreateBeside() {
  // "x" never opens a file that is there already, so nothing of the user's is touched.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = real_;
    candidate += ".part" + std::to_string(attempt);
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
  std::string pattern = (std::filesystem::temp_directory_path(ec) / "orbitra-export-XXXXXX").string();
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
  const bool flushed = std::fflush(file_) == 0;
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
  const int source = ::fileno(file_);
  struct stat written {};
  if (::fstat(source, &written) != 0) return FileFailureText("write", target_, LastError());
  const off_t size = written.st_size;

  errno = 0;
  Descriptor target(::open(real_.c_str(), O_WRONLY | O_CREAT, 0666));
  if (target.Get() < 0) return FileFailureText("write", target_, LastError());
  struct stat before {};
  if (::fstat(target.Get(), &before) != 0) return FileFailureText("write", target_, LastError());
  // Reserve the space first, so that a full disk is found before anything is overwritten.
  if (size > before.st_size) {
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
    if (!WriteAll(target.Get(), block, static_cast<std::size_t>(n), at)) {
      return FileFailureText("write", target_, LastError());
    }
    at += n;
  }
  errno = 0;
  if (::ftruncate(target.Get(), size) != 0 || !target.Close()) return FileFailureText("write", target_, LastError());
  return std::nullopt;
}

}  // namespace orbitra
