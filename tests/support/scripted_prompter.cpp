// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace orbitra::testing {

void ScriptedPrompter::ShowMessage(std::string_view text) { shown_.push_back({Kind::Message, std::string(text)}); }

void ScriptedPrompter::ShowInformation(std::string_view text) {
  shown_.push_back({Kind::Information, std::string(text)});
}

Answer ScriptedPrompter::AskYesNo(std::string_view text) {
  shown_.push_back({Kind::YesNo, std::string(text)});
  return Next(Answer::No, text);
}

Answer ScriptedPrompter::AskYesNoCancel(std::string_view text) {
  shown_.push_back({Kind::YesNoCancel, std::string(text)});
  return Next(Answer::Cancel, text);
}

Answer ScriptedPrompter::Next(Answer fallback, std::string_view text) {
  if (answers_.empty()) {
    ADD_FAILURE() << "unscripted question: " << text;
    return fallback;
  }
  const Answer a = answers_.front();
  answers_.pop_front();
  return a;
}

std::vector<std::string> ScriptedPrompter::Texts() const {
  std::vector<std::string> texts;
  for (const Shown& s : shown_) texts.push_back(s.text);
  return texts;
}

std::vector<std::string> ScriptedPrompter::Messages() const {
  std::vector<std::string> texts;
  for (const Shown& s : shown_) {
    if (s.kind == Kind::Message || s.kind == Kind::Information) texts.push_back(s.text);
  }
  return texts;
}

std::vector<std::string> ScriptedPrompter::Information() const {
  std::vector<std::string> texts;
  for (const Shown& s : shown_) {
    if (s.kind == Kind::Information) texts.push_back(s.text);
  }
  return texts;
}

}  // namespace orbitra::testing
