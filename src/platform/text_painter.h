#pragma once

#include <string_view>

namespace orbitra {

class Canvas;

// Draws text onto a canvas: black on an opaque white background, in the platform's
// default font, with the text's top-left corner at (x, y). Text is the one thing the
// core cannot rasterise itself.
class TextPainter {
 public:
  virtual ~TextPainter() = default;
  virtual void DrawText(Canvas& canvas, int x, int y, std::string_view text) = 0;
};

}  // namespace orbitra
