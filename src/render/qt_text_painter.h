// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

#include "platform/text_painter.h"

namespace orbitra {

// Paints text into the canvas's own memory through a QImage that wraps it (no copy):
// black on an opaque white background, in the application's default font grown by the
// canvas's text scale, with the text's top-left corner at (x, y). Needs a
// QGuiApplication (fonts); serves the window and the pictures drawn for files alike.
class QtTextPainter : public TextPainter {
 public:
  QtTextPainter();
  explicit QtTextPainter(const QFont& font) : font_(font) {}

  void DrawText(Canvas& canvas, int x, int y, std::string_view text) override;
  TextExtent Measure(const Canvas& canvas, std::string_view text) override;

 private:
  // The font for a text scale; the default font itself at scale 1.
  const QFont& FontFor(double scale);

  QFont font_;
  QFont scaledFont_;
  double scaledFor_ = 0.0;
};

}  // namespace orbitra
