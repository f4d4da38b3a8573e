// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/user_guide.h"

namespace orbitra {

namespace {

// Where a line that is exactly `heading` starts, or npos.
std::string_view::size_type FindHeadingLine(std::string_view text, std::string_view heading) noexcept {
  for (std::string_view::size_type at = text.find(heading); at != std::string_view::npos;
       at = text.find(heading, at + 1)) {
    const bool startsLine = at == 0 || text[at - 1] == '\n';
    const std::string_view::size_type end = at + heading.size();
    const bool endsLine = end == text.size() || text[end] == '\n' || text[end] == '\r';
    if (startsLine && endsLine) return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::string_view UserGuideSections(std::string_view readme) noexcept {
  const std::string_view::size_type first = FindHeadingLine(readme, "## Using Orbitra");
  if (first == std::string_view::npos) return readme;
  const std::string_view rest = readme.substr(first);
  return rest.substr(0, FindHeadingLine(rest, "## Benchmarks"));
}

}  // namespace orbitra
