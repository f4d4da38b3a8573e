// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/render_canvas.h"

#include <new>

namespace orbitra {

RenderCanvas::RenderCanvas(int width, int height, double textScale) {
  try {
    canvas = std::make_unique<Canvas>(width, height);
  } catch (const std::bad_alloc&) {
    failure = "not enough memory for a picture of that size";
    return;
  }
  canvas->SetTextPainter(&painter);
  canvas->SetRefreshGate(&gate);
  canvas->SetTextScale(textScale);
}

}  // namespace orbitra
