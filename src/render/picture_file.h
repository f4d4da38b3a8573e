// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include <QImage>
#include <QString>

#include "platform/canvas.h"
#include "storage/file_io.h"

namespace orbitra {

// The canvas's pixels as an image of their own (a copy: the canvas may change or go).
QImage PictureImage(const Canvas& canvas);

// Writes the canvas as an image file in the format its extension names (png, jpg or
// jpeg, bmp, or any other format Qt's image writers have), by the rules of ReplacementFile
// (an existing file is replaced only by a complete new one, a FIFO or device is written
// into, links are followed). A folder, or a name without an image format's extension, is
// refused. Returns the failure, naming the file and the reason.
[[nodiscard]] FileFailure WritePicture(const Canvas& canvas, const std::filesystem::path& target);

// The save dialog's filters: PNG first, then JPEG and BMP where a writer for them exists.
QString PictureFileFilters();

}  // namespace orbitra
