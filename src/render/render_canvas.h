// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

#include "platform/canvas.h"
#include "platform/refresh_gate.h"
#include "render/qt_text_painter.h"

namespace orbitra {

// A picture of orbitra-render: a canvas of the asked size with text through Qt, no screen
// to refresh, and the text scale of the picture.
struct RenderCanvas {
  std::unique_ptr<Canvas> canvas;
  QtTextPainter painter;
  UnwatchedRefreshGate gate;
  std::string failure;  // set when the canvas could not be had (not enough memory)

  RenderCanvas(int width, int height, double textScale);
  RenderCanvas(const RenderCanvas&) = delete;
  RenderCanvas& operator=(const RenderCanvas&) = delete;
};

}  // namespace orbitra
