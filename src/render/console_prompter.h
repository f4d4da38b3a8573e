// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "platform/prompter.h"
#include "render/progress_line.h"

namespace orbitra {

// The prompter of a program without a window: every failure goes to the error stream, one
// per line after the program's name; reports of success are not written (a command-line
// program is quiet when all went well); questions are not asked but answered Yes, since
// giving a command line is the user's consent (to run a group, to replace an output file).
// A progress line on the same terminal is ended before a message is written.
class ConsolePrompter : public Prompter {
 public:
  explicit ConsolePrompter(std::ostream& err, ProgressLine* progress = nullptr) : err_(err), progress_(progress) {}

  void ShowMessage(std::string_view text) override;
  void ShowInformation(std::string_view /*text*/) override {}
  Answer AskYesNo(std::string_view text) override;
  Answer AskYesNoCancel(std::string_view text) override;

 private:
  std::ostream& err_;
  ProgressLine* progress_;
};

}  // namespace orbitra
