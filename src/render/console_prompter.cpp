// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/console_prompter.h"

namespace orbitra {

void ConsolePrompter::ShowMessage(std::string_view text) {
  if (progress_ != nullptr) progress_->End();
  err_ << "orbitra-render: " << text << '\n' << std::flush;
}

Answer ConsolePrompter::AskYesNo(std::string_view /*text*/) { return Answer::Yes; }

Answer ConsolePrompter::AskYesNoCancel(std::string_view /*text*/) { return Answer::Yes; }

}  // namespace orbitra
