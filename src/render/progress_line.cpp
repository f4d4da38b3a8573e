// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/progress_line.h"

#include <chrono>
#include <utility>
#include <string>

namespace orbitra {

double ProgressLine::SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ProgressLine::ProgressLine(std::ostream& out, bool onTerminal, Clock clock)
    : out_(out), onTerminal_(onTerminal), clock_(std::move(clock)), start_(clock_()), workStart_(start_) {}

void ProgressLine::WorkBegins() { workStart_ = clock_(); }

void ProgressLine::WorkGoesOn(const WorkProgress& progress) {
  if (!onTerminal_) return;
  const double now = clock_();
  if (now - start_ <= kQuietSeconds) return;
  const std::string text = ProgressText(progress, now - workStart_);
  if (text.empty()) return;
  out_ << '\r' << text;
  // A shorter text blanks what is left of the longer one before it.
  if (text.size() < shownLength_) out_ << std::string(shownLength_ - text.size(), ' ');
  out_ << std::flush;
  shownLength_ = text.size();
}

void ProgressLine::End() {
  if (shownLength_ == 0) return;
  out_ << '\n' << std::flush;
  shownLength_ = 0;
}

}  // namespace orbitra
