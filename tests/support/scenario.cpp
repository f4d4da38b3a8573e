// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scenario.h"

#include "explorer/mapping_window_logic.h"
#include "explorer/repaint_work.h"
#include "explorer/startup.h"

namespace orbitra::testing {

Scenario::Scenario(int width, int height)
    : state_(std::make_unique<OrbitraState>(dir_.Path())), canvas_(width, height) {
  canvas_.SetTextPainter(&painter_);
  StartUp(*state_, prompter_);
  FullRepaint();
}

void Scenario::Apply(Invalidation invalidation) {
  if (invalidation == Invalidation::None) return;
  if (invalidation == Invalidation::WithErase) canvas_.Clear(kWhite);
  RepaintMappingWindow(*state_, canvas_, prompter_);
}

void Scenario::ApplySliced(Invalidation invalidation, std::int64_t budget) {
  if (invalidation == Invalidation::None) return;
  if (invalidation == Invalidation::WithErase) canvas_.Clear(kWhite);
  RepaintWork work(*state_, canvas_, prompter_);
  while (!work.Done()) work.Advance(budget);
}

void Scenario::LeftClick(int px, int py) { Apply(OnLeftButtonDown(*state_, px, py)); }

void Scenario::DoubleClick(int px, int py) {
  LeftClick(px, py);
  Apply(OnLeftButtonDoubleClick(*state_, px, py));
}

void Scenario::RightPress(int px, int py) { Apply(OnRightButtonDown(*state_, px, py)); }

void Scenario::RightRelease(int px, int py) { Apply(OnRightButtonUp(*state_, px, py)); }

PixelPoint Scenario::XYPixel(double x, double y) const { return state_->Boxes.XYBox.WorldToScreen(x, y); }

}  // namespace orbitra::testing
