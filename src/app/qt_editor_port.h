// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/editor_port.h"
#include "platform/prompter.h"

namespace orbitra {

// Opens a file in the program's own text editor window and waits until it is closed.
class QtEditorPort : public EditorPort {
 public:
  QtEditorPort(Prompter& prompter, QWidget* parent) : prompter_(prompter), parent_(parent) {}

  void OpenInEditor(const std::filesystem::path& file) override;

 private:
  Prompter& prompter_;
  QPointer<QWidget> parent_;  // not owned
};

}  // namespace orbitra
