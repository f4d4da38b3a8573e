#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "storage/file_io.h"

namespace orbitra {

// A file written anew as a whole, such that a failed write leaves the old content in
// place wherever the filesystem allows it.
//
// The new content goes to a temporary file beside the target, which replaces the target
// only when complete and then takes the target's permissions (and, where allowed, its
// owner). A symbolic link is written through: the file it leads to is replaced, the link
// stays. Where no temporary file can stand beside the target (a read-only folder, a name
// too long for a suffix) or where the target has other hard links, the content is first
// written completely to a temporary file in the system's temporary folder and then copied
// over the target in place, after its space has been reserved; only a failure of that
// last copy can damage the old content. No temporary file outlives the object.
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
  bool inPlace_ = false;
};

}  // namespace orbitra
