// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/picture_file.h"

#include <QBuffer>
#include <QImageWriter>
#include <QStringList>

#include <cerrno>
#include <system_error>

#include "storage/replacement_file.h"

namespace orbitra {

namespace {

// The writer's format for a file name's extension; empty when no writer has it.
QByteArray FormatOf(const std::filesystem::path& target) {
  QByteArray format = QByteArray::fromStdString(target.extension().string()).toLower();
  if (format.startsWith('.')) format.remove(0, 1);
  if (format == "jpg") format = "jpeg";
  return QImageWriter::supportedImageFormats().contains(format) ? format : QByteArray();
}

bool CanWrite(const char* format) { return QImageWriter::supportedImageFormats().contains(format); }

}  // namespace

QImage PictureImage(const Canvas& canvas) {
  const QImage wrapper(reinterpret_cast<const uchar*>(canvas.Bits()), canvas.Width(), canvas.Height(),
                       static_cast<qsizetype>(canvas.Width()) * 4, QImage::Format_RGB32);
  return wrapper.copy();
}

FileFailure WritePicture(const Canvas& canvas, const std::filesystem::path& target) {
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) return FileFailureText("replace", target, EISDIR);
  const QByteArray format = FormatOf(target);
  if (format.isEmpty()) {
    const std::string extension = target.extension().string();
    if (extension.empty()) return FileFailureText("write", target, "the name needs an extension such as \".png\"");
    return FileFailureText("write", target, "no image format has the extension \"" + extension + "\"");
  }
  // The image is made in memory, then written by the program's rules for replacing a
  // file, which report the system's own reason for a failure.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(PictureImage(canvas))) return FileFailureText("write", target, writer.errorString().toStdString());
  return ReplaceFile(target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString PictureFileFilters() {
  QStringList filters{QStringLiteral("PNG image (*.png)")};
  if (CanWrite("jpeg")) filters << QStringLiteral("JPEG image (*.jpg *.jpeg)");
  if (CanWrite("bmp")) filters << QStringLiteral("BMP image (*.bmp)");
  return filters.join(QStringLiteral(";;"));
}

}  // namespace orbitra
