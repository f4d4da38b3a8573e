#include "app/qt_text_painter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "platform/canvas.h"

namespace orbitra {

QtTextPainter::QtTextPainter() : font_(QApplication::font()) {}

void QtTextPainter::DrawText(Canvas& canvas, int x, int y, std::string_view text) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0 || text.empty()) return;
  // A fresh wrapper per call: a QImage that shares its data with another QImage object
  // would detach (copy) when painted on, and the text would never reach the canvas.
  QImage picture(reinterpret_cast<uchar*>(canvas.Bits()), canvas.Width(), canvas.Height(),
                 static_cast<qsizetype>(canvas.Width()) * 4, QImage::Format_RGB32);
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetrics metrics(font_);
  const QRect cell(x, y, metrics.horizontalAdvance(string), metrics.height());

  QPainter painter(&picture);
  painter.fillRect(cell, Qt::white);
  painter.setFont(font_);
  painter.setPen(Qt::black);
  painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, string);
}

}  // namespace orbitra
