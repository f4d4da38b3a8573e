// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prompter.h"

namespace orbitra {

inline constexpr const char* kAskOverwrite = "File %s exists. Overwrite?";

// The outcome of a file operation: nothing when it succeeded, otherwise the message the
// user must be shown, which names the file and the reason.
using FileFailure = std::optional<std::string>;

// "Cannot <action> "<file>": <reason of the error number>".
std::string FileFailureText(std::string_view action, const std::filesystem::path& file, int error);
// The same with a reason given as text (a library's own error message).
std::string FileFailureText(std::string_view action, const std::filesystem::path& file, std::string_view reason);

// Before a file is written in place of whatever is at target: a folder there is a failure
// (the returned text); nothing when the target is free or a file.
[[nodiscard]] FileFailure CheckReplaceable(const std::filesystem::path& target);

// True when nothing is at target, or the user agreed to "File %s exists. Overwrite?"
// asked with shownName.
bool AgreeToReplace(const std::filesystem::path& target, std::string_view shownName, Prompter& prompter);

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
