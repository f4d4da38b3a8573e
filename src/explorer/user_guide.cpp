// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/user_guide.h"

#include <string>

namespace orbitra {

int GuidePageOfLink(std::string_view link) noexcept {
  link = link.substr(0, link.find('#'));
  const std::string_view::size_type slash = link.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? link : link.substr(slash + 1);
  for (std::size_t k = 0; k < kGuidePages.size(); ++k) {
    if (kGuidePages[k].file == name) return static_cast<int>(k);
  }
  return -1;
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
