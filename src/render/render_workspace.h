// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>

#include <QTemporaryDir>

#include "explorer/orbitra_state.h"
#include "platform/prompter.h"

namespace orbitra {

// The program's state for one command, in a temporary working folder removed at the end,
// started as the window starts it (typed maps interpreted only, if asked).
class RenderWorkspace {
 public:
  // Nothing, after saying why, when the folder cannot be made.
  static std::unique_ptr<RenderWorkspace> Open(bool interpreted, Prompter& prompter);

  OrbitraState& State() noexcept { return *state_; }

 private:
  RenderWorkspace() = default;

  const QTemporaryDir folder_;
  std::optional<OrbitraState> state_;  // made once the folder is known to exist
};

}  // namespace orbitra
