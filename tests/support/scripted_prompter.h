// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace orbitra::testing {

// Answers questions from a script and records every box shown. A question the script
// has no answer for fails the test and is answered No (or Cancel).
class ScriptedPrompter : public Prompter {
 public:
  enum class Kind { Message, Information, YesNo, YesNoCancel };
  struct Shown {
    Kind kind;
    std::string text;
  };

  // Queues the answers for the next questions, in order.
  void Script(std::initializer_list<Answer> answers) { answers_.insert(answers_.end(), answers); }

  void ShowMessage(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  Answer AskYesNo(std::string_view text) override;
  Answer AskYesNoCancel(std::string_view text) override;

  const std::vector<Shown>& All() const { return shown_; }
  // The texts of every box, in order.
  std::vector<std::string> Texts() const;
  // The texts of the boxes with only an OK button (warnings and information), in order.
  std::vector<std::string> Messages() const;
  // The texts shown with the information icon only.
  std::vector<std::string> Information() const;
  bool ScriptUsedUp() const { return answers_.empty(); }
  void Clear() { shown_.clear(); }

 private:
  Answer Next(Answer fallback, std::string_view text);

  std::deque<Answer> answers_;
  std::vector<Shown> shown_;
};

}  // namespace orbitra::testing
