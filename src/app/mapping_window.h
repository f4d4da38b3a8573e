// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include "app/repaint_hold.h"
#include "render/qt_text_painter.h"
#include "app/screen_refresh_gate.h"
#include "explorer/repaint_work.h"
#include "platform/canvas.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

struct OrbitraState;

// The child window in which every box, point and text is drawn. It owns the picture (a
// Canvas of its client size) and shows it through a QImage wrapping the canvas memory.
// Drawing, and every run of the map, happens in the repaint sequence, which runs from a
// queued call of the event loop (never inside paintEvent, so a run's message boxes may
// open); paintEvent only copies the picture to the screen. Long work (a run, a group
// run, the replay of a large stream) goes on in slices of about a screen frame each, from
// the event loop, so the window stays alive, shows the picture growing and can stop it.
// Neither a sequence nor a slice starts while the hold is held (a command, a message box
// or a dialog is in progress); what was asked for meanwhile is served once it is released.
class MappingWindow : public QWidget {
  Q_OBJECT

 public:
  MappingWindow(OrbitraState& state, Prompter& prompter, QWidget* parent = nullptr);

  // Asks for a run of the repaint sequence. Requests of one kind made before it runs merge
  // into one; a requested erase (a full repaint from a white picture) is never lost. When
  // a request to add to the picture (a click's mark) and a full repaint both wait, the mark
  // is served first on the picture as it is, then the full repaint: an erase served by the
  // light branch would leave a white picture and the requested run waiting.
  void Invalidate(Invalidation how);

  // While held, requests are collected but not served; releasing serves them. Start-up
  // holds the window until the model and the storage exist.
  void HoldRepaints(bool hold);
  // What commands, message boxes and dialogs hold while they are in progress. It lives as
  // long as the window, so no holder can outlive it.
  RepaintHold& Hold() { return hold_; }

  const Canvas& Picture() const { return *canvas_; }
  // How many times the repaint sequence has run to its end.
  int RepaintCount() const { return repaintCount_; }

  // The next left press, drag and release draw a segment instead of marking a point: a
  // line follows the pointer over the picture (never into it), and the release hands both
  // ends' pixels to `drawn`. Escape, or another command asking for a segment, calls
  // `cancelled` instead.
  using SegmentDrawn = std::function<void(QPoint press, QPoint release)>;
  void BeginSegment(SegmentDrawn drawn, std::function<void()> cancelled);
  void CancelSegment();
  bool DrawingSegment() const { return static_cast<bool>(segmentDrawn_); }

  // Whether long work of the repaint sequence goes on (between its slices).
  bool Working() const { return work_ != nullptr; }
  // Ends the work now: a run after the iteration it has done, as if that many had been
  // asked for; the repaint then completes. Nothing without work.
  void StopWork();
  // What the work is doing, as a line for the status bar; empty without work.
  QString ProgressText() const;
  // How much of the work is done, 0 to 1000.
  int ProgressPermille() const;

  // The window knows nothing of the frame that holds it: it says what happened through
  // these signals, which the frame connects to its own handlers.
 Q_SIGNALS:
  // A run of the repaint sequence (and any run it performed) has ended.
  void RepaintEnded();
  // Long work began, or went on by a slice (about once per screen frame).
  void WorkStarted();
  void WorkProgressed();
  // Long work ended; `pictureIncomplete` when it was stopped before every kept point was drawn.
  void WorkEnded(bool pictureIncomplete);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  // Escape cancels a segment being drawn: the key is taken from the main window's Stop
  // run shortcut meanwhile.
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ScheduleRepaintSequence();
  void RunRepaintSequence();
  void ScheduleSlice();
  void RunSlice();
  void AdvanceWork();
  void EndSequence();
  void MakeCanvas(QSize size);
  void ShowPictureNow();

  OrbitraState& state_;
  Prompter& prompter_;
  RepaintHold hold_;
  QtTextPainter textPainter_;
  ScreenRefreshGate refreshGate_;
  std::unique_ptr<Canvas> canvas_;
  QImage picture_;  // wraps canvas_'s memory

  // The repaint sequence's long work, between its slices.
  std::unique_ptr<RepaintWork> work_;
  bool sliceScheduled_ = false;
  bool workAnnounced_ = false;  // WorkStarted was said: WorkEnded follows
  std::int64_t sliceBudget_ = 0;  // iterations or points a slice does, fitted to a frame
  QElapsedTimer workClock_;

  bool addPending_ = false;   // a repaint on the picture as it is
  bool fullPending_ = false;  // a repaint from a white picture
  bool resizePending_ = false;  // the window's size changed: remake the picture if it still differs
  bool scheduled_ = false;
  bool held_ = false;
  // True while the sequence or one of its slices runs: a run's message box spins a nested
  // event loop, which must neither start a second sequence nor replace the canvas being
  // drawn on. Between slices the work keeps the canvas too.
  bool inSequence_ = false;
  int repaintCount_ = 0;
  // While the right button is held after a press that marked a zoom corner: that corner
  // and the pointer, whose rectangle is drawn over the picture on screen, never into it.
  std::optional<QPoint> zoomPress_;
  QPoint zoomPointer_;
  // A segment asked for: what to call with it, or when it is cancelled; its first end
  // once pressed, and the pointer.
  SegmentDrawn segmentDrawn_;
  std::function<void()> segmentCancelled_;
  std::optional<QPoint> segmentPress_;
  QPoint segmentPointer_;
};

}  // namespace orbitra
