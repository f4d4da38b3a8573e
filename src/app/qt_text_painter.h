#pragma once

#include <QFont>

#include "platform/text_painter.h"

namespace orbitra {

// Paints text into the canvas's own memory through a QImage that wraps it (no copy):
// black on an opaque white background, in the application's default font, with the
// text's top-left corner at (x, y).
class QtTextPainter : public TextPainter {
 public:
  QtTextPainter();
  explicit QtTextPainter(const QFont& font) : font_(font) {}

  void DrawText(Canvas& canvas, int x, int y, std::string_view text) override;

 private:
  QFont font_;
};

}  // namespace orbitra
