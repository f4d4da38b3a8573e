// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>

#include "storage/file_io.h"

namespace orbitra {

// The rules by which the program writes a file anew as a whole (exports, "usermaps.txt",
// pictures, sessions), such that a failed write leaves the old content in place wherever
// the filesystem allows it, and what was at the name stays what it was:
//
// - A regular file: the new content goes to a temporary file beside it, which replaces
//   it only when complete and on the disk, and then takes its permissions (and, where
//   allowed, its owner).
// - A symbolic link is written through: the file it leads to is replaced, the link stays.
// - A file with other hard links, or one beside which no temporary file can stand (a
//   read-only folder, a name too long for a suffix): the content is first written
//   completely to a temporary file in the system's temporary folder and then copied over
//   the file in place, after its space has been reserved; only a failure of that last
//   copy can damage the old content.
// - Anything else that exists and is not a folder (a FIFO, a device) is written into in
//   place, never replaced; a folder is refused.
// - Failures name the file and the system's reason ("No space left on device").
// - No temporary file outlives the object; one left by a killed program (its name holds
//   that program's process id) is removed by the next replacement of the same file, or
//   by RemoveStaleTemporaryFiles.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::filesystem::path target);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Opens the temporary file. A target that exists but may not be written is refused,
  // as writing it directly would be.
  [[nodiscard]] FileFailure Create();
  [[nodiscard]] FileFailure Write(std::string_view text);
  // Puts the complete content in place of the target.
  [[nodiscard]] FileFailure Commit();

  // The temporary file, for a library that writes a file by its name: after Create, it may
  // write there (truncating is fine) and Commit then puts it in place. Used by
  // ReplaceFileByName.
  const std::filesystem::path& TemporaryPath() const noexcept { return temp_; }
  // Closes the temporary file so that another writer may open it by its name.
  [[nodiscard]] FileFailure ReleaseTemporary();

 private:
  [[nodiscard]] FileFailure CreateBeside();
  [[nodiscard]] FileFailure CreateInTempFolder();
  [[nodiscard]] FileFailure CloseTemp();
  [[nodiscard]] FileFailure RenameOverTarget();
  [[nodiscard]] FileFailure CopyOverTarget();

  std::filesystem::path target_;  // as the user named it
  std::filesystem::path real_;    // the file it leads to, links followed
  std::filesystem::path temp_;
  std::FILE* file_ = nullptr;
  bool inPlace_ = false;  // copied over the target rather than renamed
  bool special_ = false;  // the target is no regular file: written as a stream
  bool released_ = false;
};

// The whole content, written in place of the target by the rules above.
[[nodiscard]] FileFailure ReplaceFile(const std::filesystem::path& target, std::string_view content);

// The same for a library that writes a file by its name (an HDF5 session): `write` is
// given a temporary path, writes the complete file there and says whether it failed; the
// result is then put in place of the target by the rules above. On a failure nothing at
// the target changes.
using WriteAtPath = std::function<FileFailure(const std::filesystem::path& temporary)>;
[[nodiscard]] FileFailure ReplaceFileByName(const std::filesystem::path& target, const WriteAtPath& write);

// Removes the temporary files of replacements in `folder`, and in the system's temporary
// folder, that a program killed in the middle left behind (their process is gone).
void RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

}  // namespace orbitra
