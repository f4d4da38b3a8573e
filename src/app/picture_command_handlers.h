// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_host.h"
#include "dialogs/save_picture_dialog.h"
#include "platform/canvas.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

// The save-file dialog "Save Picture" with the image formats that can be written, PNG
// first; a name typed without an extension gets the chosen format's. An existing file is
// not questioned here: saving asks before it replaces one.
QString ChoosePictureFile(QWidget* parent, const QString& current);

// "Save Picture...": the dialog over the parent; on "OK" the picture as shown, or drawn
// anew at the chosen size from the kept points, is written to the file after the usual
// checks. Failures are shown with the file and the reason. Never repaints.
Invalidation SavePictureCommand(QWidget* parent, const OrbitraState& state, Prompter& prompter,
                                const Canvas& shown, PictureFileChooser chooser = ChoosePictureFile);

// The commands of the table.
Invalidation OnSavePicture(CommandHost& host);
// "Copy Picture": the picture as shown to the clipboard.
Invalidation OnCopyPicture(CommandHost& host);

}  // namespace orbitra
