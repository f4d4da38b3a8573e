// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/notebook.h"

#include "storage/text_format.h"

namespace orbitra {

std::string NotebookEntry(std::string_view mapName, double k1, double k2, double k3, double x0, double y0) {
  std::string text(mapName);
  text += "  k1=";
  AppendFixed(text, k1, 6);
  text += " k2=";
  AppendFixed(text, k2, 6);
  text += " k3=";
  AppendFixed(text, k3, 6);
  text += "\nx=";
  AppendFixed(text, x0, 12, 13);
  text += "  y=";
  AppendFixed(text, y0, 12, 13);
  text += " \n";
  return text;
}

}  // namespace orbitra
