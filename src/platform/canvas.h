// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/colour.h"

namespace orbitra {

class TextPainter;
class RefreshGate;

// The picture of the mapping window: a 32-bit pixel buffer (0xFFRRGGBB per pixel, row
// after row) with a 1-pixel black pen and the classic drawing operations. Every write is
// clipped to the buffer, whatever the coordinates.
class Canvas {
 public:
  using Pixel = std::uint32_t;

  Canvas(int width, int height);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  Pixel* Bits() noexcept { return pixels_.data(); }
  const Pixel* Bits() const noexcept { return pixels_.data(); }
  // One pixel past the picture that is never shown: loops that plot without branching
  // write the points they must not draw there.
  std::size_t ScratchIndex() const noexcept { return pixels_.size() - 1; }

  static constexpr Pixel ToPixel(Colour c) noexcept {
    return 0xFF000000u | (static_cast<Pixel>(c.Red()) << 16) | (static_cast<Pixel>(c.Green()) << 8) |
           c.Blue();
  }
  static constexpr Colour FromPixel(Pixel p) noexcept {
    return Colour::FromRgb(static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                           static_cast<std::uint8_t>(p));
  }

  // Fills the whole picture (an erase paints it white).
  void Clear(Colour colour = kWhite);

  // One pixel; nothing outside the buffer. The raw form takes a value made by ToPixel
  // once, for loops that plot many points in one colour.
  void SetPixel(int x, int y, Colour colour) noexcept { SetPixelRaw(x, y, ToPixel(colour)); }
  void SetPixelRaw(int x, int y, Pixel pixel) noexcept {
    if (static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
        static_cast<unsigned>(y) < static_cast<unsigned>(height_)) {
      pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
          pixel;
    }
  }
  // White for a point outside the buffer.
  Colour GetPixel(int x, int y) const noexcept;
  bool Contains(int x, int y) const noexcept {
    return static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
           static_cast<unsigned>(y) < static_cast<unsigned>(height_);
  }

  // The pen: MoveTo sets its position; LineTo draws in black from there up to, but not
  // including, (x, y), which becomes the new position.
  void MoveTo(int x, int y) noexcept;
  void LineTo(int x, int y) noexcept;
  int PenX() const noexcept { return penX_; }
  int PenY() const noexcept { return penY_; }

  // Outlines columns left..right-1 and rows top..bottom-1 in black and fills the inside
  // white. Corners given in any order are put in order first.
  void Rectangle(int left, int top, int right, int bottom) noexcept;

  // Hands the text to the text painter (nothing without one).
  void TextOut(int x, int y, std::string_view text);
  void SetTextPainter(TextPainter* painter) noexcept { textPainter_ = painter; }
  // A text at a fixed place of the window given in screen pixels (the status lines). It
  // replaces the text drawn there before: that text's cell is cleared first, so a shorter
  // text leaves none of the longer one's characters behind.
  void TextOutScaled(int x, int y, std::string_view text);
  // Whether texts at fixed places are drawn at all: a plot-only picture has none.
  void SetFixedTextsShown(bool shown) noexcept { fixedTextsShown_ = shown; }
  // Clears the cells of the texts drawn at fixed places to white and forgets them: what a
  // canvas would hold had they never been drawn.
  void EraseFixedTexts() noexcept;

  // How much larger than on screen the picture's texts and their pixel offsets are drawn:
  // 1 in the window, 2 for a picture saved at twice the window's size. The text painter
  // scales its font by it, and the layout scales its fixed offsets with Scaled.
  double TextScale() const noexcept { return textScale_; }
  void SetTextScale(double scale) noexcept { textScale_ = scale > 0.0 ? scale : 1.0; }
  // A layout offset given in screen pixels, in this picture's pixels (rounded half away
  // from zero, so that an offset and its negation stay symmetric). Exact at scale 1.
  long long Scaled(long long pixels) const noexcept {
    return textScale_ == 1.0 ? pixels : std::llround(static_cast<double>(pixels) * textScale_);
  }

  // The side of the square a point drawn from the kept ones covers: the text scale rounded,
  // at least 1 (one pixel in the window, 2 by 2 in a picture drawn at twice the window's
  // size), so that the points of a larger picture keep their weight beside its lines and
  // texts.
  int PointSize() const noexcept { return textScale_ < 1.5 ? 1 : static_cast<int>(std::lround(textScale_)); }
  // A point's square: PointSize() pixels each way from (x - (PointSize() - 1) / 2,
  // y - (PointSize() - 1) / 2), the part on the canvas.
  void SetPointRaw(int x, int y, Pixel pixel) noexcept;

  // Whether the marks that only point at something (the initial point's square) are
  // drawn: a plot-only picture has none.
  bool MarksShown() const noexcept { return marksShown_; }
  void SetMarksShown(bool shown) noexcept { marksShown_ = shown; }

  // Whether a status refresh drawn now could be seen (always, without a gate).
  bool RefreshVisibleNow();
  bool ShowsOnlyBetweenSlices() const;
  void SetRefreshGate(RefreshGate* gate) noexcept { refreshGate_ = gate; }
  // Puts the picture on the screen now, through the gate (nothing without one).
  void PresentNow();

 private:
  void DrawClippedLine(long long x0, long long y0, long long x1, long long y1, bool lastPixel) noexcept;

  int width_;
  int height_;
  std::vector<Pixel> pixels_;
  int penX_ = 0;
  int penY_ = 0;
  double textScale_ = 1.0;
  // The cells of the texts drawn at fixed places since the picture was last cleared.
  struct FixedTextCell {
    int x, y, width, height;
  };
  void ClearCell(const FixedTextCell& cell) noexcept;
  std::array<FixedTextCell, 16> fixedCells_{};
  std::size_t fixedCellCount_ = 0;
  bool fixedTextsShown_ = true;
  bool marksShown_ = true;
  TextPainter* textPainter_ = nullptr;  // not owned
  RefreshGate* refreshGate_ = nullptr;  // not owned
};

}  // namespace orbitra
