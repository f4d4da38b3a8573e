#include "render/picture_file.h"

#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>

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
  const QByteArray format = FormatOf(target);
  if (format.isEmpty()) {
    const std::string extension = target.extension().string();
    return FileFailureText("write", target, "no image format has the extension \"" + extension + "\"");
  }
  // QSaveFile writes beside the target and renames only a complete file over it.
  QSaveFile file(QString::fromStdString(target.string()));
  if (!file.open(QIODevice::WriteOnly)) return FileFailureText("create", target, file.errorString().toStdString());
  QImageWriter writer(&file, format);
  if (!writer.write(PictureImage(canvas))) {
    file.cancelWriting();
    const QString reason = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
    return FileFailureText("write", target, reason.toStdString());
  }
  if (!file.commit()) return FileFailureText("write", target, file.errorString().toStdString());
  return std::nullopt;
}

QString PictureFileFilters() {
  QStringList filters{QStringLiteral("PNG image (*.png)")};
  if (CanWrite("jpeg")) filters << QStringLiteral("JPEG image (*.jpg *.jpeg)");
  if (CanWrite("bmp")) filters << QStringLiteral("BMP image (*.bmp)");
  return filters.join(QStringLiteral(";;"));
}

}  // namespace orbitra
