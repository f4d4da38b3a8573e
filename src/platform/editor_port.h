// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace orbitra {

// Opens a text file in a plain-text editor and returns only when the editor is closed.
class EditorPort {
 public:
  virtual ~EditorPort() = default;
  virtual void OpenInEditor(const std::filesystem::path& file) = 0;
};

}  // namespace orbitra
