// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/text_painter.h"

namespace orbitra::testing {

// Records every text with the corner it was drawn at; draws nothing.
class RecordingTextPainter : public TextPainter {
 public:
  struct Text {
    int x = 0;
    int y = 0;
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
  };

  void DrawText(Canvas& canvas, int x, int y, std::string_view text) override;

  const std::vector<Text>& Texts() const { return texts_; }
  // Texts whose content equals `text`, in drawing order.
  std::vector<Text> TextsEqualTo(std::string_view text) const;
  // Texts that start with `prefix`, in drawing order.
  std::vector<Text> TextsStartingWith(std::string_view prefix) const;
  void Clear() { texts_.clear(); }

 private:
  std::vector<Text> texts_;
};

}  // namespace orbitra::testing
