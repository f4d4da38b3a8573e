// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <utility>

#include "platform/refresh_gate.h"

namespace orbitra {

// The mapping window's refresh gate. The window shows the picture between the slices of
// long work, about once per screen frame, so a status refresh drawn in the middle of a
// slice could never be seen: a run draws the last one due in a slice when the slice ends.
// Before a message box opens in a run, the picture drawn so far goes on the screen.
class ScreenRefreshGate : public RefreshGate {
 public:
  explicit ScreenRefreshGate(std::function<void()> showPicture) : showPicture_(std::move(showPicture)) {}

  bool RefreshVisibleNow() override { return false; }
  bool ShowsOnlyBetweenSlices() const override { return true; }
  void PresentNow() override { showPicture_(); }

 private:
  std::function<void()> showPicture_;
};

}  // namespace orbitra
