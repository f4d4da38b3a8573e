// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include <QDialog>
#include <QString>

#include "platform/prompter.h"

class QPlainTextEdit;
class QPushButton;

namespace orbitra {

// The program's own plain-text editor for "icgroup.txt" and "usercomments.txt": shows one
// file in a fixed-width font, saves it on request (replacing the file only by a complete
// new one, with a clear message when that fails) and asks before discarding unsaved
// edits. It is shown modally, so the program waits until it is closed.
class TextEditorWindow : public QDialog {
  Q_OBJECT

 public:
  TextEditorWindow(std::filesystem::path file, Prompter& prompter, QWidget* parent = nullptr);

  // Reads the file; a missing file is an empty text that saving creates. False, after a
  // message, when the file exists but cannot be read.
  bool Load();
  // Writes the text back. False, after a message naming the file and the reason, when the
  // file could not be replaced; the file on disk is then unchanged.
  bool Save();

  QPlainTextEdit* Editor() const { return editor_; }
  QPushButton* SaveButton() const { return saveButton_; }
  bool IsModified() const;

  // Closing with unsaved edits asks whether to save them first; Cancel keeps the window.
  void done(int result) override;

 private:
  QString FileName() const;

  std::filesystem::path file_;
  Prompter& prompter_;
  QPlainTextEdit* editor_;   // owned by this window
  QPushButton* saveButton_;  // owned by this window
  // Text that was not valid UTF-8 is shown as Latin-1 and saved back the same way, so
  // opening and saving never changes bytes the user did not edit.
  bool latin1_ = false;
};

}  // namespace orbitra
