// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "analysis/orbit_diagram.h"
#include "storage/file_io.h"

namespace orbitra {

// Writes the counts of an orbit diagram as text: one line "parameter coordinate count" per
// pixel with a count above zero (the pixel's centre values, 17 significant digits),
// columns left to right, rows bottom to top. Only the columns marked done are written
// (the others may hold a cut unit's partial counts). The file is replaced as a whole.
[[nodiscard]] FileFailure WriteDiagramCounts(const std::filesystem::path& file, const OrbitDiagram& diagram,
                                             const std::vector<std::uint8_t>& columnDone);

}  // namespace orbitra
