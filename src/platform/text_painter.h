// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orbitra {

class Canvas;

// The cell a text takes on a canvas: its width and height in pixels.
struct TextExtent {
  int width = 0;
  int height = 0;
};

// Draws text onto a canvas: black on an opaque white background, in the platform's
// default font, with the text's top-left corner at (x, y). Text is the one thing the
// core cannot rasterise itself.
class TextPainter {
 public:
  virtual ~TextPainter() = default;
  virtual void DrawText(Canvas& canvas, int x, int y, std::string_view text) = 0;
  // The cell DrawText paints for the text (nothing known: an empty cell).
  virtual TextExtent Measure(const Canvas& /*canvas*/, std::string_view /*text*/) { return {}; }
};

}  // namespace orbitra
