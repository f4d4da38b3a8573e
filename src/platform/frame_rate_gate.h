#pragma once

#include <chrono>
#include <cstdint>

#include "platform/refresh_gate.h"

namespace orbitra {

// Says yes at most once per screen frame. The clock is read only on every 16th question,
// so asking costs next to nothing even when a fast map asks every few nanoseconds.
class FrameRateGate : public RefreshGate {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FrameRateGate(Clock::duration frame = std::chrono::milliseconds(16)) : frame_(frame) {}

  bool RefreshVisibleNow() override {
    if ((++asked_ & 15u) != 1u) return false;
    const Clock::time_point now = Clock::now();
    if (refreshed_ && now - last_ < frame_) return false;
    last_ = now;
    refreshed_ = true;
    return true;
  }

 private:
  Clock::duration frame_;
  Clock::time_point last_{};
  bool refreshed_ = false;
  std::uint32_t asked_ = 0;
};

}  // namespace orbitra
