// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/invalidation.h"
#include "support/recording_text_painter.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra::testing {

// Plays a user's session as the mapping window does: a command or a click, then the
// repaint it asked for, on a real canvas with a recording text painter and a scripted
// prompter, in a fresh working directory. Starts like the program: start-up, then the
// window's first full repaint.
class Scenario {
 public:
  explicit Scenario(int width = 800, int height = 600);

  OrbitraState& State() { return *state_; }
  Canvas& Picture() { return canvas_; }
  RecordingTextPainter& Texts() { return painter_; }
  ScriptedPrompter& Prompts() { return prompter_; }
  const TempWorkDir& Dir() const { return dir_; }

  // Repaints as the window would for this invalidation.
  void Apply(Invalidation invalidation);
  // The same repaint, done in slices of `budget` iterations or points each.
  void ApplySliced(Invalidation invalidation, std::int64_t budget);
  // A full repaint for a reason of the window system (uncovering, "Refresh").
  void FullRepaint() { Apply(Invalidation::WithErase); }

  void LeftClick(int px, int py);
  // The first click is handled and repainted before the double click, as on screen.
  void DoubleClick(int px, int py);
  void RightPress(int px, int py);
  void RightRelease(int px, int py);

  // The pixel of a world point in the X-Y box.
  PixelPoint XYPixel(double x, double y) const;
  Colour At(PixelPoint p) const { return canvas_.GetPixel(p.x, p.y); }

 private:
  TempWorkDir dir_;
  std::unique_ptr<OrbitraState> state_;
  Canvas canvas_;
  RecordingTextPainter painter_;
  ScriptedPrompter prompter_;
};

}  // namespace orbitra::testing
