#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbitra {

// The outcome of a file operation: nothing when it succeeded, otherwise the message the
// user must be shown, which names the file and the reason.
using FileFailure = std::optional<std::string>;

// "Cannot <action> "<file>": <reason of the error number>".
std::string FileFailureText(std::string_view action, const std::filesystem::path& file, int error);

// The folder the program keeps its files in: the current folder. A current folder that
// was removed (or may no longer be searched) cannot be had; then the failure says so.
struct WorkFolder {
  std::filesystem::path path;
  FileFailure failure;
};
WorkFolder CurrentWorkFolder();

// Creates the file empty, or cuts an existing one to length 0.
[[nodiscard]] FileFailure TruncateFile(const std::filesystem::path& file);

// Creates the file empty when it is missing; an existing file keeps its content.
[[nodiscard]] FileFailure CreateFileIfMissing(const std::filesystem::path& file);

// Appends the bytes with one write and flushes them. On any failure a regular file is cut
// back to its former length, so it never keeps part of the data.
[[nodiscard]] FileFailure AppendToFile(const std::filesystem::path& file, const void* data, std::size_t size);

}  // namespace orbitra
