// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/qt_text_painter.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "platform/canvas.h"

namespace orbitra {

QtTextPainter::QtTextPainter() : font_(QGuiApplication::font()) {}

const QFont& QtTextPainter::FontFor(double scale) {
  if (scale == 1.0) return font_;
  if (scale != scaledFor_) {
    scaledFont_ = font_;
    if (font_.pointSizeF() > 0.0) {
      scaledFont_.setPointSizeF(font_.pointSizeF() * scale);
    } else {
      scaledFont_.setPixelSize(std::max(1, static_cast<int>(std::lround(font_.pixelSize() * scale))));
    }
    scaledFor_ = scale;
  }
  return scaledFont_;
}

void QtTextPainter::DrawText(Canvas& canvas, int x, int y, std::string_view text) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0 || text.empty()) return;
  // A fresh wrapper per call: a QImage that shares its data with another QImage object
  // would detach (copy) when painted on, and the text would never reach the canvas.
  QImage picture(reinterpret_cast<uchar*>(canvas.Bits()), canvas.Width(), canvas.Height(),
                 static_cast<qsizetype>(canvas.Width()) * 4, QImage::Format_RGB32);
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QFont& font = FontFor(canvas.TextScale());
  const QFontMetrics metrics(font);
  const QRect cell(x, y, metrics.horizontalAdvance(string), metrics.height());

  QPainter painter(&picture);
  painter.fillRect(cell, Qt::white);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, string);
}

TextExtent QtTextPainter::Measure(const Canvas& canvas, std::string_view text) {
  const QFontMetrics metrics(FontFor(canvas.TextScale()));
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return TextExtent{metrics.horizontalAdvance(string), metrics.height()};
}

}  // namespace orbitra
