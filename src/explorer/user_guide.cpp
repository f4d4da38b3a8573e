// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/user_guide.h"

#include <string>

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

GuideWithContents AddGuideContents(std::string_view guide) {
  GuideWithContents out;
  const std::string_view::size_type firstEnd = guide.find('\n');
  if (firstEnd == std::string_view::npos) {
    out.text = guide;
    return out;
  }
  std::string contents = "\n**Contents**\n\n";
  bool code = false;
  for (std::string_view::size_type at = firstEnd + 1; at < guide.size();) {
    std::string_view::size_type end = guide.find('\n', at);
    if (end == std::string_view::npos) end = guide.size();
    std::string_view line = guide.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("```")) code = !code;
    const bool second = line.starts_with("## "), third = line.starts_with("### ");
    if (!code && (second || third)) {
      const std::string_view title = line.substr(second ? 3 : 4);
      contents += std::string(third ? "  - [" : "- [") + std::string(title) + "](#h" +
                  std::to_string(out.headings.size()) + ")\n";
      out.headings.emplace_back(title);
    }
    at = end + 1;
  }
  out.text = std::string(guide.substr(0, firstEnd + 1)) + contents + "\n" + std::string(guide.substr(firstEnd + 1));
  return out;
}

}  // namespace orbitra
