// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the dialog tests: a prompter that records every box and answers from a
// script, and a way to act on a modal dialog while its command waits in exec().

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "explorer/orbitra_state.h"
#include "explorer/startup.h"
#include "platform/prompter.h"

namespace orbitra::dialogtest {

class RecordingPrompter : public Prompter {
 public:
  void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
  void ShowInformation(std::string_view text) override { shown.emplace_back(text); }
  Answer AskYesNo(std::string_view text) override { return Next(text, Answer::No); }
  Answer AskYesNoCancel(std::string_view text) override { return Next(text, Answer::Cancel); }

  std::vector<std::string> shown;  // every text, messages and questions, in order
  std::deque<Answer> answers;      // for the questions, in order; unscripted ones say No/Cancel

 private:
  Answer Next(std::string_view text, Answer fallback) {
    shown.emplace_back(text);
    if (answers.empty()) return fallback;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

// Runs the action on the modal dialog of type D once its command has opened it. The
// action must close it (or the test would wait); a missing dialog closes whatever modal
// widget is open and marks the failure through *found.
template <class D>
void WhenDialogOpens(std::function<void(D&)> action, bool* found = nullptr) {
  QTimer::singleShot(0, [action, found] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = dynamic_cast<D*>(modal);
    if (found != nullptr) *found = dialog != nullptr;
    if (dialog != nullptr) {
      action(*dialog);
    } else if (auto* other = dynamic_cast<QDialog*>(modal)) {
      other->reject();
    }
  });
}

template <class W = QLineEdit>
W* Control(const QWidget& dialog, const char* name) {
  return dialog.findChild<W*>(QString::fromLatin1(name));
}

inline QString FieldText(const QWidget& dialog, const char* name) { return Control(dialog, name)->text(); }

inline void SetField(const QWidget& dialog, const char* name, const QString& text) {
  Control(dialog, name)->setText(text);
}

inline bool Checked(const QWidget& dialog, const char* name) { return Control<QCheckBox>(dialog, name)->isChecked(); }

// A state as the program has it right after start-up, in a fresh directory.
struct StartedState {
  StartedState() : state(std::filesystem::path(dir.path().toStdString())) { StartUp(state, startUpPrompter); }
  QTemporaryDir dir;
  RecordingPrompter startUpPrompter;
  OrbitraState state;
  RecordingPrompter prompter;
};

}  // namespace orbitra::dialogtest
