// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace orbitra {

namespace {

// errno after a failed call; some C library paths fail without setting it.
int LastError() noexcept { return errno != 0 ? errno : EIO; }

// Closes the file and reports whether everything buffered reached the system.
bool CloseChecked(std::FILE* file) noexcept { return std::fclose(file) == 0; }

}  // namespace

std::string FileFailureText(std::string_view action, const std::filesystem::path& file, int error) {
  return FileFailureText(action, file, std::generic_category().message(error));
}

std::string FileFailureText(std::string_view action, const std::filesystem::path& file, std::string_view reason) {
  std::string text = "Cannot ";
  text += action;
  text += " \"";
  text += file.string();
  text += "\": ";
  text += reason;
  return text;
}

FileFailure CheckReplaceable(const std::filesystem::path& target) {
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) return FileFailureText("replace", target, EISDIR);
  return std::nullopt;
}

bool AgreeToReplace(const std::filesystem::path& target, std::string_view shownName, Prompter& prompter) {
  std::error_code ec;
  if (!std::filesystem::exists(target, ec)) return true;
  std::string question = kAskOverwrite;
  if (const std::size_t at = question.find("%s"); at != std::string::npos) question.replace(at, 2, shownName);
  return prompter.AskYesNo(question) == Answer::Yes;
}

WorkFolder CurrentWorkFolder() {
  std::error_code ec;
  WorkFolder folder{std::filesystem::current_path(ec), std::nullopt};
  if (ec) {
    folder.failure = "The current folder cannot be used: " + ec.message() +
                     ".\nOrbitra keeps its files in the folder it is started in; start it in a folder that exists.";
  }
  return folder;
}

FileFailure TruncateFile(const std::filesystem::path& file) {
  errno = 0;
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (f == nullptr) return FileFailureText("create", file, LastError());
  errno = 0;
  if (!CloseChecked(f)) return FileFailureText("write", file, LastError());
  return std::nullopt;
}

FileFailure CreateFileIfMissing(const std::filesystem::path& file) {
  // Append mode creates a missing file and never cuts an existing one.
  errno = 0;
  std::FILE* f = std::fopen(file.c_str(), "ab");
  if (f == nullptr) return FileFailureText("create", file, LastError());
  errno = 0;
  if (!CloseChecked(f)) return FileFailureText("write", file, LastError());
  return std::nullopt;
}

FileFailure AppendToFile(const std::filesystem::path& file, const void* data, std::size_t size) {
  // The length to cut back to on failure; none when the file is no regular file.
  std::error_code ec;
  std::optional<std::uintmax_t> before;
  if (!std::filesystem::exists(file, ec) && !ec) {
    before = 0;
  } else if (std::filesystem::is_regular_file(file, ec)) {
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (!ec) before = size;
  }

  errno = 0;
  std::FILE* f = std::fopen(file.c_str(), "ab");
  if (f == nullptr) return FileFailureText("open", file, LastError());

  errno = 0;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  int error = written ? 0 : LastError();
  errno = 0;
  if (error == 0 && std::fflush(f) != 0) error = LastError();
  errno = 0;
  if (!CloseChecked(f) && error == 0) error = LastError();
  if (error == 0) return std::nullopt;

  // Take back whatever part of the data did reach the file.
  std::error_code ignored;
  if (before && std::filesystem::is_regular_file(file, ignored)) std::filesystem::resize_file(file, *before, ignored);
  return FileFailureText("write", file, error);
}

}  // namespace orbitra
