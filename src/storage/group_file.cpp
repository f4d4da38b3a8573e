// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/group_file.h"

#include <cstdio>
#include <memory>

#include "storage/text_format.h"

namespace orbitra {

std::string FormatGroupLine(const GroupLine& line) {
  // The initial point must read back exactly, or the group would not repeat the orbit.
  std::string text;
  AppendFixedExact(text, line.X0, 6);
  text += ' ';
  AppendFixedExact(text, line.Y0, 6);
  for (const std::int32_t field : {line.iterations, line.colour, line.restricted}) {
    text += ' ';
    AppendInteger(text, field);
  }
  text += '\n';
  return text;
}

GroupFileReader::GroupFileReader(const std::filesystem::path& file) {
  struct Closer {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
  };
  const std::unique_ptr<std::FILE, Closer> in(std::fopen(file.c_str(), "rb"));
  if (in == nullptr) return;
  open_ = true;
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, in.get())) > 0;) content_.append(block, n);
  readFailed_ = std::ferror(in.get()) != 0;
}

namespace {

// The blanks of scanf: space, tab, line break, vertical tab, form feed, carriage return.
constexpr std::string_view kBlanks = " \t\n\v\f\r";

}  // namespace

bool GroupFileReader::NextToken(std::string_view& token) noexcept {
  const std::string_view rest = std::string_view(content_).substr(position_);
  const std::size_t start = rest.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) {
    position_ = content_.size();
    return false;
  }
  const std::size_t end = rest.find_first_of(kBlanks, start);
  token = rest.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  position_ += start + token.size();
  return true;
}

std::size_t GroupFileReader::EntriesLeft() const noexcept {
  const std::string_view rest = std::string_view(content_).substr(position_);
  std::size_t fields = 0;
  for (std::size_t at = rest.find_first_not_of(kBlanks); at != std::string_view::npos;
       at = rest.find_first_not_of(kBlanks, rest.find_first_of(kBlanks, at))) {
    ++fields;
  }
  return (fields + 4) / 5;
}

GroupFileReader::Result GroupFileReader::Next(GroupLine& line) {
  std::string_view fields[5];
  for (int i = 0; i < 5; ++i) {
    if (!NextToken(fields[i])) return i == 0 && !readFailed_ ? Result::End : Result::FormatError;
  }
  GroupLine parsed;
  if (!ParseDouble(fields[0], parsed.X0) || !ParseDouble(fields[1], parsed.Y0) ||
      !ParseInt32(fields[2], parsed.iterations) || !ParseInt32(fields[3], parsed.colour) ||
      !ParseInt32(fields[4], parsed.restricted)) {
    return Result::FormatError;
  }
  line = parsed;
  return Result::Entry;
}

}  // namespace orbitra
