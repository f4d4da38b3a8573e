// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/sweep_view.h"

#include <string_view>

#include <algorithm>

namespace orbitra {

SweepView::SweepView(int threads) : runner_(threads) {}

void SweepView::Resize(int width, int height) {
  newWidth_ = newHeight_ = 0;
  offered_ = false;
  runner_.Stop();
  picture_ = Canvas(std::max(width, 1), std::max(height, 1));
  if (savedWidth_ > 0 && picture_.Width() == savedWidth_ && picture_.Height() == savedHeight_) {
    savedWidth_ = savedHeight_ = 0;
    picture_.SetTextPainter(textPainter_);
    picture_.Clear(kWhite);
    std::unique_ptr<SweepJob> job = MakeJob(picture_.Width(), picture_.Height());
    std::vector<std::uint8_t> done = LoadSaved(*job);
    // Numbers that do not fit the job are computed anew.
    if (done.empty()) {
      runner_.Start(std::move(job), picture_);
    } else {
      runner_.Adopt(std::move(job), picture_, std::move(done));
    }
    RefreshOverlay();
    return;
  }
  Recompute();
}

void SweepView::SizeChanged(int width, int height) noexcept {
  const bool same = std::max(width, 1) == picture_.Width() && std::max(height, 1) == picture_.Height();
  newWidth_ = same ? 0 : std::max(width, 1);
  newHeight_ = same ? 0 : std::max(height, 1);
  offered_ = offered_ && !same;
}

bool SweepView::ResizeRested() {
  if (newWidth_ == 0) return false;
  offered_ = runner_.Working();
  return !offered_ && ComputeAtNewSize();
}

bool SweepView::ComputeAtNewSize() {
  if (newWidth_ == 0) return false;
  Resize(newWidth_, newHeight_);
  return true;
}

void SweepView::ExpectSaved(int width, int height) noexcept {
  savedWidth_ = width;
  savedHeight_ = height;
}

void SweepView::Recompute() {
  savedWidth_ = savedHeight_ = 0;
  runner_.Stop();
  picture_.SetTextPainter(textPainter_);
  picture_.Clear(kWhite);
  runner_.Start(MakeJob(picture_.Width(), picture_.Height()), picture_);
  RefreshOverlay();
}

bool SweepView::Poll() {
  if (!runner_.DrawFinished(picture_)) return false;
  RefreshOverlay();
  return true;
}

Canvas SweepView::PictureAt(const PictureSize& size) const {
  if (size.width == shown_.Width() && size.height == shown_.Height() && size.textScale == 1.0) return shown_;
  Canvas canvas(std::max(size.width, 1), std::max(size.height, 1));
  canvas.SetTextPainter(textPainter_);
  canvas.SetTextScale(size.textScale);
  canvas.Clear(kWhite);
  if (const SweepJob* job = runner_.Job()) job->DrawAtSize(canvas, runner_.UnitsDone());
  return canvas;
}

void SweepView::RefreshOverlay() {
  shown_ = picture_;
  if (const SweepJob* job = runner_.Job()) job->DrawOverlay(shown_);
}

bool SweepView::ZoomTo(int x0, int y0, int x1, int y1) {
  if (!PushZoom(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1))) return false;
  Recompute();
  return true;
}

bool SweepView::Back() {
  if (!MoveInHistory(-1)) return false;
  Recompute();
  return true;
}

bool SweepView::Forward() {
  if (!MoveInHistory(+1)) return false;
  Recompute();
  return true;
}

bool SweepView::Reset() {
  if (!MoveInHistory(0)) return false;
  Recompute();
  return true;
}

std::string SweepView::PictureFileName() const {
  std::string name = WindowTitle();
  for (char& c : name) {
    if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 32) c = '-';
  }
  return name + ".png";
}

}  // namespace orbitra
