#pragma once

namespace orbitra {

// Tells a long run whether a status refresh drawn now could be seen by anyone. A screen
// says yes at most once per frame; without a gate every refresh is drawn.
class RefreshGate {
 public:
  virtual ~RefreshGate() = default;
  virtual bool RefreshVisibleNow() = 0;
};

}  // namespace orbitra
