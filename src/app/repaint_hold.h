// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <utility>

namespace orbitra {

// Counts the commands, message boxes and dialogs in progress. A modal box or dialog runs
// a nested event loop, in which a repaint sequence waiting in the queue (and the run it
// carries) would otherwise change the state under a command that has not finished. So
// while anything holds, the mapping window starts no repaint sequence and no other work
// of its own from the event loop; requests made meanwhile wait. When the last holder lets
// go, the released callback serves them.
//
// Every command goes through the frame's dispatch and every message box through the
// prompter, and both hold; dialogs, file choosers and the editor open only inside a
// command, so they are held by it.
class RepaintHold {
 public:
  // Holds for as long as it lives.
  class [[nodiscard]] Scope {
   public:
    explicit Scope(RepaintHold& hold) noexcept : hold_(&hold) { ++hold_->count_; }
    ~Scope() {
      if (hold_ != nullptr) hold_->Release();
    }
    Scope(Scope&& other) noexcept : hold_(std::exchange(other.hold_, nullptr)) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    Scope& operator=(Scope&&) = delete;

   private:
    RepaintHold* hold_;
  };

  RepaintHold() = default;
  RepaintHold(const RepaintHold&) = delete;
  RepaintHold& operator=(const RepaintHold&) = delete;

  Scope Hold() noexcept { return Scope(*this); }
  bool IsHeld() const noexcept { return count_ > 0; }
  // Called each time the last holder lets go; the owner of the held work sets it.
  void SetReleased(std::function<void()> released) { released_ = std::move(released); }

 private:
  void Release() {
    if (--count_ == 0 && released_) released_();
  }

  int count_ = 0;
  std::function<void()> released_;
};

}  // namespace orbitra
