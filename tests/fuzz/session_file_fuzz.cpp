// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the session reader (run by scripts/fuzz-sessions.sh; not part of the
// test suite). Any bytes, as a session file, are read or refused: the checking child may die
// on them, this process never does; a session read must hold what its datasets hold.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "storage/session_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orbitra;
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbitra-session-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) __builtin_trap();
    return std::filesystem::path(pattern);
  }();
  const std::filesystem::path file = folder / "input.orbitra.h5";
  const std::filesystem::path copy = folder / "stream.bin";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::filesystem::remove(copy);
  const SessionReading read = ReadSessionFile(file, copy);
  if (!read.failure) {
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(copy, ec);
    if (ec || bytes != static_cast<std::uintmax_t>(read.streamPoints) * sizeof(StoredPoint)) __builtin_trap();
  } else if (read.failure->rfind("Cannot open the session \"", 0) != 0) {
    __builtin_trap();
  }
  return 0;
}
