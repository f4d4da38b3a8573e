#include "sweeps/sweep_view.h"

#include <string_view>

#include <algorithm>

namespace orbitra {

SweepView::SweepView(int threads) : runner_(threads) {}

void SweepView::Resize(int width, int height) {
  runner_.Stop();
  picture_ = Canvas(std::max(width, 1), std::max(height, 1));
  Recompute();
}

void SweepView::Recompute() {
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
