// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// Tells a long run whether a status refresh drawn now could be seen by anyone. A screen
// says yes at most once per frame; without a gate every refresh is drawn.
class RefreshGate {
 public:
  virtual ~RefreshGate() = default;
  virtual bool RefreshVisibleNow() = 0;
  // True for a screen that shows the picture only between the slices of long work: a
  // run then draws only the last status refresh that fell due in a slice, when the slice
  // ends, and never asks RefreshVisibleNow.
  virtual bool ShowsOnlyBetweenSlices() const { return false; }
  // Puts the picture drawn so far on the screen at once: before a message box opens in
  // the middle of long work, so that the picture behind it is current.
  virtual void PresentNow() {}
};

// For a picture nobody watches while it is drawn (a file): a run never stops to ask
// about a status refresh, draws at most one per slice, and the status drawn when the run
// ends is the one that counts.
class UnwatchedRefreshGate : public RefreshGate {
 public:
  bool RefreshVisibleNow() override { return false; }
  bool ShowsOnlyBetweenSlices() const override { return true; }
};

}  // namespace orbitra
