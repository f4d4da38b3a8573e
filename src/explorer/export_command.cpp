// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/export_command.h"

#include "storage/text_format.h"

namespace orbitra {

ExportDialogValues PrepareExportDialog(const OrbitraState& state) {
  const ExportOptions& remembered = state.Export;
  const WorldRange range = state.Boxes.XYBox.GetRange();
  ExportDialogValues values;
  values.memoryBuffer = remembered.MemoryBuffer;
  values.diskStream = remembered.DiskStream;
  values.lastTrajectory = remembered.LastTrajectory;
  values.highAccuracy = remembered.HighAccuracy;
  values.fileName = remembered.FileName;
  values.xLower = range.Xmin;
  values.xUpper = range.Xmax;
  values.yLower = range.Ymin;
  values.yUpper = range.Ymax;
  return values;
}

void ApplyExportDialog(OrbitraState& state, Prompter& prompter, const ExportDialogValues& values) {
  ExportOptions& remembered = state.Export;
  remembered.MemoryBuffer = values.memoryBuffer;
  remembered.DiskStream = values.diskStream;
  remembered.LastTrajectory = values.lastTrajectory;
  remembered.HighAccuracy = values.highAccuracy;
  remembered.FileName = values.fileName;

  const std::int64_t lines = ExportPoints(state.Store, state.WorkDir, prompter, values);
  if (lines < 0) return;
  // The estimate n * 0.03 (or 0.02) truncated, in integers so that no rounding of the
  // factor makes it one too small.
  const std::int64_t kiloBytes = lines * (values.highAccuracy ? 3 : 2) / 100;
  prompter.ShowInformation(FormatCounts(kExportedMessage, {lines, kiloBytes}));
}

}  // namespace orbitra
