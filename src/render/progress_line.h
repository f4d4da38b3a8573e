// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>

#include "render/render_job.h"

namespace orbitra {

// orbitra-render's progress line: the text of the work going on, rewritten in place ("\r")
// on a terminal once the program has been at work for more than a second. Nothing at all
// goes to a stream that is not a terminal (a file, a pipe).
class ProgressLine : public RenderWatcher {
 public:
  using Clock = std::function<double()>;  // seconds since any fixed moment
  static double SteadySeconds();
  static constexpr double kQuietSeconds = 1.0;

  ProgressLine(std::ostream& out, bool onTerminal, Clock clock = SteadySeconds);

  void WorkBegins() override;
  void WorkGoesOn(const WorkProgress& progress) override;
  // Ends a line that was shown with a line break, so that whatever is written next
  // starts on a line of its own.
  void End();

 private:
  std::ostream& out_;
  bool onTerminal_;
  Clock clock_;
  double start_;
  double workStart_;
  std::size_t shownLength_ = 0;  // 0: no line open
};

}  // namespace orbitra
