// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "explorer/orbitra_state.h"
#include "platform/prompter.h"
#include "storage/export_writer.h"

namespace orbitra {

inline constexpr const char* kExportedMessage = "%d points exported (about %d KBytes)";

// What the "Export data" dialog opens with: the remembered choices and file name, and the
// X-Y box's current range as the rectangle.
ExportDialogValues PrepareExportDialog(const OrbitraState& state);

// "OK" of the dialog: the choices and the file name are remembered, the points exported,
// and the number written reported with its size estimate (30 bytes a line with high
// accuracy, 20 without). Nothing more is shown when the user kept an existing file or
// when the export failed (that was reported already).
void ApplyExportDialog(OrbitraState& state, Prompter& prompter, const ExportDialogValues& values);

}  // namespace orbitra
