// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_editor_port.h"

#include "app/text_editor_window.h"

namespace orbitra {

void QtEditorPort::OpenInEditor(const std::filesystem::path& file) {
  TextEditorWindow editor(file, prompter_, parent_);
  if (editor.Load()) editor.exec();
}

}  // namespace orbitra
