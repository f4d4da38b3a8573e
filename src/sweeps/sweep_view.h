// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "explorer/picture.h"
#include "platform/canvas.h"
#include "platform/invalidation.h"
#include "platform/text_painter.h"
#include "sweeps/sweep_runner.h"

namespace orbitra {

// The views a window of a sweep has shown, in order: a zoom drops those after the
// current one, Back and Forward walk them, Reset returns to the first.
template <class View>
class ViewHistory {
 public:
  explicit ViewHistory(View first) : views_{std::move(first)} {}
  // A history as saved: `views` not empty, `current` one of them.
  ViewHistory(std::vector<View> views, std::size_t current) : views_(std::move(views)), current_(current) {}
  const View& Current() const noexcept { return views_[current_]; }
  const std::vector<View>& Views() const noexcept { return views_; }
  std::size_t CurrentIndex() const noexcept { return current_; }
  void Push(View view) {
    views_.resize(current_ + 1);
    views_.push_back(std::move(view));
    current_ = views_.size() - 1;
  }
  bool CanBack() const noexcept { return current_ > 0; }
  bool CanForward() const noexcept { return current_ + 1 < views_.size(); }
  bool Back() noexcept { return CanBack() && (--current_, true); }
  bool Forward() noexcept { return CanForward() && (++current_, true); }
  bool Reset() noexcept { return CanBack() && (current_ = 0, true); }

 private:
  std::vector<View> views_;
  std::size_t current_ = 0;
};

// What a window of a sweep shows and does, whatever it sweeps: the picture (computed for
// the window's size, units drawn as they finish, an overlay over them), the progress, Stop
// and Resume, a zoom rectangle that computes the region anew, Back, Forward and Reset
// through the views shown, and a click that reaches the explorer. The window forwards its
// events here and shows Shown(). A new kind of window derives from SweepViewOf<View> and
// says how a view becomes a job, how a rectangle zooms a view, and what a click does.
class SweepView {
 public:
  explicit SweepView(int threads);
  virtual ~SweepView() = default;
  SweepView(const SweepView&) = delete;
  SweepView& operator=(const SweepView&) = delete;

  void SetTextPainter(TextPainter* painter) noexcept { textPainter_ = painter; }
  // A picture of this size; the current view is computed anew for it, unless the view
  // holds a saved computation of exactly this size (see ExpectSaved).
  void Resize(int width, int height);
  // Computes the current view anew at the picture's size.
  void Recompute();
  // The window's picture area has this size now (the user resizes it). Nothing is computed
  // yet: the picture is shown scaled until the resizing rests.
  void SizeChanged(int width, int height) noexcept;
  // The resizing has rested: without a job computing (finished or stopped), the view is
  // computed at the new size, true then. A job computing goes on at its own size, and the
  // new size is offered (SizeOffered) until ComputeAtNewSize.
  bool ResizeRested();
  bool SizeOffered() const noexcept { return offered_; }
  // Computes the view at the size the window has now; false when it has the picture's.
  bool ComputeAtNewSize();
  // Draws the units finished since the last poll; true when the picture changed.
  bool Poll();
  // The picture with the overlay, as shown and saved.
  const Canvas& Shown() const noexcept { return shown_; }
  // The picture at a size Save Picture offers: as shown, or drawn anew from the finished
  // units on a canvas of that size with texts and lines at its scale (every cell a block
  // of pixels; nothing is computed again).
  Canvas PictureAt(const PictureSize& size) const;
  // Draws the overlay anew (after what it shows changed elsewhere).
  void RefreshOverlay();
  // The explorer's state changed: what the view shows of it follows.
  virtual void ExplorerChanged() { RefreshOverlay(); }

  bool Working() const { return runner_.Working(); }
  void Stop() { runner_.Stop(); }
  bool Resume() { return runner_.Resume(); }
  std::string StatusText() const { return runner_.StatusText(); }
  int Percent() const noexcept { return runner_.Percent(); }
  const SweepRunner& Runner() const noexcept { return runner_; }

  // A rectangle dragged between two pixels of the picture: the region it covers is
  // computed anew. False (nothing happens) when it covers no area of the grid.
  bool ZoomTo(int x0, int y0, int x1, int y1);
  bool Back();
  bool Forward();
  bool Reset();
  virtual bool CanBack() const noexcept = 0;
  virtual bool CanForward() const noexcept = 0;

  virtual std::string WindowTitle() const = 0;
  // The file name a saved picture is proposed under: the window's title (the view and
  // the map), with the characters file names cannot hold made '-', and ".png".
  std::string PictureFileName() const;
  // What the status line says of the pixel under the pointer; nothing by default.
  virtual std::string PointerText(int /*px*/, int /*py*/) const { return {}; }
  // A click at a pixel: what it does to the explorer, and how the mapping window must
  // repaint then.
  virtual Invalidation Click(int px, int py) = 0;

 protected:
  // The job of the current view for a picture of this size.
  virtual std::unique_ptr<SweepJob> MakeJob(int width, int height) = 0;
  // A view made from a saved computation of a picture of this size: the first Resize to
  // it draws the saved units at once (LoadSaved) instead of computing; Resume computes
  // the rest. Any other size, zoom or move in the history computes as usual.
  void ExpectSaved(int width, int height) noexcept;
  // Puts the saved numbers into a job just made for the saved size; the units they
  // finish. Only called after ExpectSaved.
  virtual std::vector<std::uint8_t> LoadSaved(SweepJob& /*job*/) { return {}; }
  // Makes the view a rectangle covers current; false when it covers no area.
  virtual bool PushZoom(int x0, int y0, int x1, int y1) = 0;
  // Back (-1), Forward (+1) or Reset (0) in the history; false when it cannot.
  virtual bool MoveInHistory(int step) = 0;
  const SweepJob* Job() const noexcept { return runner_.Job(); }

 private:
  SweepRunner runner_;
  TextPainter* textPainter_ = nullptr;
  Canvas picture_{1, 1};
  Canvas shown_{1, 1};
  int savedWidth_ = 0;  // a saved computation waits for a picture of this size
  int savedHeight_ = 0;
  int newWidth_ = 0;  // the window's size while it differs from the picture's; 0 otherwise
  int newHeight_ = 0;
  bool offered_ = false;  // a resize rested while the job computed
};

// A SweepView whose views of type View are kept in a ViewHistory.
template <class View>
class SweepViewOf : public SweepView {
 public:
  SweepViewOf(View first, int threads) : SweepView(threads), history_(std::move(first)) {}
  SweepViewOf(ViewHistory<View> history, int threads) : SweepView(threads), history_(std::move(history)) {}
  const View& CurrentView() const noexcept { return history_.Current(); }
  const ViewHistory<View>& History() const noexcept { return history_; }
  bool CanBack() const noexcept override { return history_.CanBack(); }
  bool CanForward() const noexcept override { return history_.CanForward(); }

 protected:
  // The view a rectangle of the current picture covers; nothing when none.
  virtual std::optional<View> Zoomed(int x0, int y0, int x1, int y1) const = 0;

 private:
  bool PushZoom(int x0, int y0, int x1, int y1) override {
    std::optional<View> view = Zoomed(x0, y0, x1, y1);
    if (!view) return false;
    history_.Push(std::move(*view));
    return true;
  }
  bool MoveInHistory(int step) override {
    return step < 0 ? history_.Back() : step > 0 ? history_.Forward() : history_.Reset();
  }

  ViewHistory<View> history_;
};

}  // namespace orbitra
