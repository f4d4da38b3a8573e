// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/tile_text.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace orbitra {

bool ReadTileLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  for (;;) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      if (line.empty()) return false;
      break;
    }
    if (c == '\n') break;
    if (line.size() >= kLongestTileLine) return false;
    line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::optional<std::string> TileFileProblem(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return std::string(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return std::string("it is a folder");
  if (!S_ISREG(st.st_mode)) return std::string("it is not a regular file");
  return std::nullopt;
}

}  // namespace orbitra
