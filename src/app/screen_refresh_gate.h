#pragma once

#include <functional>
#include <utility>

#include "platform/frame_rate_gate.h"

namespace orbitra {

// The mapping window's refresh gate: yes at most once per screen frame, and each yes
// first puts the picture drawn so far on the screen, so a long run is seen growing.
class ScreenRefreshGate : public RefreshGate {
 public:
  explicit ScreenRefreshGate(std::function<void()> showPicture) : showPicture_(std::move(showPicture)) {}

  bool RefreshVisibleNow() override {
    if (!frames_.RefreshVisibleNow()) return false;
    showPicture_();
    return true;
  }

 private:
  FrameRateGate frames_;
  std::function<void()> showPicture_;
};

}  // namespace orbitra
