// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orbitra {

// The export choices remembered from one "Export Data" to the next while the program runs.
struct ExportOptions {
  bool MemoryBuffer = true;
  bool DiskStream = false;
  bool LastTrajectory = false;
  bool HighAccuracy = false;
  std::string FileName = "test.dat";
};

}  // namespace orbitra
