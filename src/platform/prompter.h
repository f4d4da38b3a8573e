// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orbitra {

enum class Answer { Ok, Yes, No, Cancel };

// Modal message boxes with the program's title as caption. A '\n' in a text is a line
// break. Every failure and question the user must see goes through here.
class Prompter {
 public:
  virtual ~Prompter() = default;
  // A failure or a refusal the user must see, with an OK button and the warning icon.
  virtual void ShowMessage(std::string_view text) = 0;
  // A report that something went as asked ("Transfer of ..."), with an OK button and
  // the information icon.
  virtual void ShowInformation(std::string_view text) = 0;
  // A question with Yes and No; returns Answer::Yes or Answer::No.
  virtual Answer AskYesNo(std::string_view text) = 0;
  // A question with Yes, No and Cancel.
  virtual Answer AskYesNoCancel(std::string_view text) = 0;
};

}  // namespace orbitra
