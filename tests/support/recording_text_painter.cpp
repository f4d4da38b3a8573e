// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recording_text_painter.h"

namespace orbitra::testing {

void RecordingTextPainter::DrawText(Canvas&, int x, int y, std::string_view text) {
  texts_.push_back(Text{x, y, std::string(text)});
}

std::vector<RecordingTextPainter::Text> RecordingTextPainter::TextsEqualTo(std::string_view text) const {
  std::vector<Text> found;
  for (const Text& t : texts_) {
    if (t.text == text) found.push_back(t);
  }
  return found;
}

std::vector<RecordingTextPainter::Text> RecordingTextPainter::TextsStartingWith(std::string_view prefix) const {
  std::vector<Text> found;
  for (const Text& t : texts_) {
    if (std::string_view(t.text).substr(0, prefix.size()) == prefix) found.push_back(t);
  }
  return found;
}

}  // namespace orbitra::testing
