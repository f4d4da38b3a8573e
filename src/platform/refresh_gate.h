#pragma once

namespace orbitra {

// Tells a long run whether a status refresh drawn now could be seen by anyone. A screen
// says yes at most once per frame; without a gate every refresh is drawn.
class RefreshGate {
 public:
  virtual ~RefreshGate() = default;
  virtual bool RefreshVisibleNow() = 0;
};

// For a picture nobody watches while it is drawn (a file): no status refresh during a
// run; the status drawn when the run ends is the one that counts.
class UnwatchedRefreshGate : public RefreshGate {
 public:
  bool RefreshVisibleNow() override { return false; }
};

}  // namespace orbitra
