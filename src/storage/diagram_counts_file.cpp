// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/diagram_counts_file.h"

#include <cstdio>
#include <string>

#include "storage/replacement_file.h"

namespace orbitra {

FileFailure WriteDiagramCounts(const std::filesystem::path& file, const OrbitDiagram& diagram,
                               const std::vector<std::uint8_t>& columnDone) {
  ReplacementFile out(file);
  if (FileFailure failure = out.Create()) return failure;
  std::string text;
  char line[96];
  for (int c = 0; c < diagram.Columns(); ++c) {
    if (static_cast<std::size_t>(c) >= columnDone.size() || columnDone[static_cast<std::size_t>(c)] == 0) continue;
    const double parameter = diagram.ParameterAt(c);
    const std::uint32_t* counts = diagram.Column(c);
    for (int r = 0; r < diagram.Rows(); ++r) {
      if (counts[r] == 0) continue;
      const int n = std::snprintf(line, sizeof line, "%.17g %.17g %u\n", parameter, diagram.CoordinateAt(r),
                                  static_cast<unsigned>(counts[r]));
      text.append(line, static_cast<std::size_t>(n));
    }
    // Written a column at a time: a large diagram never holds all its text at once.
    if (text.size() > (1u << 20)) {
      if (FileFailure failure = out.Write(text)) return failure;
      text.clear();
    }
  }
  if (FileFailure failure = out.Write(text)) return failure;
  return out.Commit();
}

}  // namespace orbitra
