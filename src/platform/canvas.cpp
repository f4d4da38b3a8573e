// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/refresh_gate.h"
#include "platform/text_painter.h"

namespace orbitra {

namespace {

// Lines whose ends lie within this margin of the buffer are stepped pixel by pixel;
// longer ones are first cut to the buffer so that a far-away end never costs time.
constexpr long long kStepMargin = 4096;

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) + 1, ToPixel(kWhite)) {}

void Canvas::SetPointRaw(int x, int y, Pixel pixel) noexcept {
  const long long size = PointSize();
  const long long left = static_cast<long long>(x) - (size - 1) / 2;
  const long long top = static_cast<long long>(y) - (size - 1) / 2;
  const long long x0 = std::max(left, 0LL), x1 = std::min(left + size, static_cast<long long>(width_));
  const long long y0 = std::max(top, 0LL), y1 = std::min(top + size, static_cast<long long>(height_));
  for (long long row = y0; row < y1; ++row) {
    for (long long column = x0; column < x1; ++column) {
      pixels_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(column)] = pixel;
    }
  }
}

void Canvas::Clear(Colour colour) {
  std::fill(pixels_.begin(), pixels_.end(), ToPixel(colour));
  fixedCellCount_ = 0;
}

Colour Canvas::GetPixel(int x, int y) const noexcept {
  if (!Contains(x, y)) return kWhite;
  return FromPixel(pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                           static_cast<std::size_t>(x)]);
}

void Canvas::MoveTo(int x, int y) noexcept {
  penX_ = x;
  penY_ = y;
}

void Canvas::LineTo(int x, int y) noexcept {
  const long long x0 = penX_, y0 = penY_, x1 = x, y1 = y;
  penX_ = x;
  penY_ = y;
  const bool near = std::min({x0, x1}) >= -kStepMargin && std::max({x0, x1}) <= width_ + kStepMargin &&
                    std::min({y0, y1}) >= -kStepMargin && std::max({y0, y1}) <= height_ + kStepMargin;
  if (near) {
    DrawClippedLine(x0, y0, x1, y1, false);
    return;
  }
  // Liang-Barsky against the buffer widened by one pixel.
  const double dx = static_cast<double>(x1 - x0), dy = static_cast<double>(y1 - y0);
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {static_cast<double>(x0) + 1.0, static_cast<double>(width_) - static_cast<double>(x0),
                       static_cast<double>(y0) + 1.0, static_cast<double>(height_) - static_cast<double>(y0)};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, r);
    } else {
      t1 = std::min(t1, r);
    }
  }
  if (t0 > t1) return;
  const auto at = [](long long a, double d, double t) { return static_cast<long long>(std::llround(a + d * t)); };
  DrawClippedLine(at(x0, dx, t0), at(y0, dy, t0), at(x0, dx, t1), at(y0, dy, t1), t1 < 1.0);
}

void Canvas::DrawClippedLine(long long x0, long long y0, long long x1, long long y1, bool lastPixel) noexcept {
  const Pixel black = ToPixel(kBlack);
  const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
  const long long sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  long long err = dx + dy;
  for (;;) {
    const bool atEnd = x0 == x1 && y0 == y1;
    if (atEnd && !lastPixel) break;
    SetPixelRaw(static_cast<int>(x0), static_cast<int>(y0), black);
    if (atEnd) break;
    const long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void Canvas::Rectangle(int left, int top, int right, int bottom) noexcept {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right - left < 1 || bottom - top < 1) return;
  const int x0 = std::max(left, 0), x1 = std::min(right - 1, width_ - 1);
  const int y0 = std::max(top, 0), y1 = std::min(bottom - 1, height_ - 1);
  if (x0 > x1 || y0 > y1) return;
  const Pixel black = ToPixel(kBlack), white = ToPixel(kWhite);
  for (int y = y0; y <= y1; ++y) {
    Pixel* row = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    const bool edgeRow = y == top || y == bottom - 1;
    for (int x = x0; x <= x1; ++x) {
      row[x] = (edgeRow || x == left || x == right - 1) ? black : white;
    }
  }
}

void Canvas::TextOut(int x, int y, std::string_view text) {
  if (textPainter_ != nullptr) textPainter_->DrawText(*this, x, y, text);
}

void Canvas::TextOutScaled(int x, int y, std::string_view text) {
  const int sx = static_cast<int>(Scaled(x)), sy = static_cast<int>(Scaled(y));
  if (textPainter_ == nullptr || !fixedTextsShown_) return;
  FixedTextCell* cell = nullptr;
  for (std::size_t i = 0; i < fixedCellCount_; ++i) {
    if (fixedCells_[i].x == sx && fixedCells_[i].y == sy) cell = &fixedCells_[i];
  }
  if (cell != nullptr) {
    ClearCell(*cell);
  } else if (fixedCellCount_ < fixedCells_.size()) {
    cell = &fixedCells_[fixedCellCount_++];
  }
  textPainter_->DrawText(*this, sx, sy, text);
  if (cell != nullptr) {
    const TextExtent extent = textPainter_->Measure(*this, text);
    *cell = FixedTextCell{sx, sy, extent.width, extent.height};
  }
}

void Canvas::ClearCell(const FixedTextCell& cell) noexcept {
  const Pixel white = ToPixel(kWhite);
  const int left = std::max(cell.x, 0), right = std::min(cell.x + cell.width, width_);
  const int top = std::max(cell.y, 0), bottom = std::min(cell.y + cell.height, height_);
  for (int row = top; row < bottom; ++row) {
    Pixel* line = pixels_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
    std::fill(line + left, line + std::max(left, right), white);
  }
}

void Canvas::EraseFixedTexts() noexcept {
  for (std::size_t i = 0; i < fixedCellCount_; ++i) ClearCell(fixedCells_[i]);
  fixedCellCount_ = 0;
}

void Canvas::PresentNow() {
  if (refreshGate_ != nullptr) refreshGate_->PresentNow();
}

bool Canvas::ShowsOnlyBetweenSlices() const {
  return refreshGate_ != nullptr && refreshGate_->ShowsOnlyBetweenSlices();
}

bool Canvas::RefreshVisibleNow() { return refreshGate_ == nullptr || refreshGate_->RefreshVisibleNow(); }

}  // namespace orbitra
