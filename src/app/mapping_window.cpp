// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mapping_window.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QTimer>

#include "explorer/mapping_window_logic.h"
#include "explorer/work_progress.h"

namespace orbitra {

namespace {

// The pixel under the pointer, in the window's own coordinates.
QPoint ClientPixel(const QMouseEvent* event) {
  const QPointF at = event->position();
  return QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
}

// The outline the release will draw between the two pixels (Canvas::Rectangle's: the
// columns and rows from the smaller corner up to, not including, the larger), as a
// QPainter rectangle of a 1-pixel pen, which strokes one pixel beyond its size.
QRect ZoomBand(QPoint press, QPoint pointer) {
  const int left = std::min(press.x(), pointer.x()), right = std::max(press.x(), pointer.x());
  const int top = std::min(press.y(), pointer.y()), bottom = std::max(press.y(), pointer.y());
  return QRect(left, top, right - 1 - left, bottom - 1 - top);
}

// The first slice of work is done at once, with this budget; later ones are fitted to take
// about kSliceNanoseconds, most of a screen frame, leaving the rest to painting.
constexpr std::int64_t kFirstSliceBudget = 200'000;
constexpr std::int64_t kSliceNanoseconds = 12'000'000;

std::int64_t NextSliceBudget(std::int64_t budget, std::int64_t nanoseconds) {
  if (nanoseconds <= 0) return budget * 2;
  const double fitted = static_cast<double>(budget) * static_cast<double>(kSliceNanoseconds) / static_cast<double>(nanoseconds);
  // Moves at most fourfold a slice, so one slow slice (a message box, a busy machine)
  // does not make the next one tiny or huge.
  const double bounded = std::clamp(fitted, static_cast<double>(budget) / 4.0, static_cast<double>(budget) * 4.0);
  return std::max<std::int64_t>(static_cast<std::int64_t>(bounded), 1000);
}

// Clears the flag when the sequence ends, however it ends.
class SequenceScope {
 public:
  explicit SequenceScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~SequenceScope() { flag_ = false; }
  SequenceScope(const SequenceScope&) = delete;
  SequenceScope& operator=(const SequenceScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

MappingWindow::MappingWindow(OrbitraState& state, Prompter& prompter, QWidget* parent)
    : QWidget(parent), state_(state), prompter_(prompter), refreshGate_([this] { ShowPictureNow(); }) {
  hold_.SetReleased([this] {
    ScheduleSlice();
    ScheduleRepaintSequence();
  });
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent covers every pixel
  setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::StrongFocus);
  // Right presses and releases mark zoom corners; no context menu may take them.
  setContextMenuPolicy(Qt::PreventContextMenu);
  MakeCanvas(size());
}

void MappingWindow::Invalidate(Invalidation how) {
  if (how == Invalidation::None) return;
  (how == Invalidation::WithErase ? fullPending_ : addPending_) = true;
  ScheduleRepaintSequence();
}

void MappingWindow::HoldRepaints(bool hold) {
  held_ = hold;
  if (!held_) ScheduleRepaintSequence();
}

void MappingWindow::ScheduleRepaintSequence() {
  if (scheduled_ || held_ || hold_.IsHeld() || inSequence_ || work_ ||
      !(addPending_ || fullPending_ || resizePending_)) {
    return;
  }
  scheduled_ = true;
  QMetaObject::invokeMethod(this, &MappingWindow::RunRepaintSequence, Qt::QueuedConnection);
}

void MappingWindow::RunRepaintSequence() {
  scheduled_ = false;
  // A nested event loop may deliver this call while a sequence is running, or while a
  // command or one of its boxes is open; the sequence is scheduled again when that ends.
  if (held_ || hold_.IsHeld() || inSequence_ || work_ || !(addPending_ || fullPending_ || resizePending_)) return;
  // Only a size that differs from the picture's when the sequence runs remakes it: a
  // resize that was taken back meanwhile (the frame growing by a dock's width as the dock
  // opens) leaves the picture and the counters as they are.
  resizePending_ = false;
  if (canvas_->Width() != width() || canvas_->Height() != height()) {
    MakeCanvas(size());
    fullPending_ = true;
  }
  if (!(addPending_ || fullPending_)) return;
  {
    const SequenceScope scope(inSequence_);
    if (addPending_) {
      addPending_ = false;
    } else {
      fullPending_ = false;
      canvas_->Clear(kWhite);
    }
    work_ = std::make_unique<RepaintWork>(state_, *canvas_, prompter_);
  }
  if (work_->Done()) {
    EndSequence();
    return;
  }
  // The first slice at once: most runs are over within it.
  sliceBudget_ = kFirstSliceBudget;
  workClock_.start();
  AdvanceWork();
  if (work_ != nullptr) {
    workAnnounced_ = true;
    Q_EMIT WorkStarted();
    ScheduleSlice();
  }
}

void MappingWindow::ScheduleSlice() {
  if (!work_ || sliceScheduled_ || hold_.IsHeld() || inSequence_) return;
  sliceScheduled_ = true;
  // A zero timer, not a queued call: the event loop first delivers what is waiting (the
  // picture's paint, input, a resize), so the window stays alive between slices.
  QTimer::singleShot(0, this, &MappingWindow::RunSlice);
}

void MappingWindow::RunSlice() {
  sliceScheduled_ = false;
  // A command, a message box or a dialog in progress holds the work; releasing resumes it.
  if (!work_ || hold_.IsHeld() || inSequence_) return;
  AdvanceWork();
  if (work_ != nullptr) ScheduleSlice();
}

void MappingWindow::AdvanceWork() {
  QElapsedTimer slice;
  slice.start();
  {
    const SequenceScope scope(inSequence_);
    work_->Advance(sliceBudget_);
  }
  sliceBudget_ = NextSliceBudget(sliceBudget_, slice.nsecsElapsed());
  if (work_->Done()) {
    EndSequence();
    return;
  }
  update();
  Q_EMIT WorkProgressed();
}

void MappingWindow::StopWork() {
  if (!work_ || inSequence_) return;
  {
    const SequenceScope scope(inSequence_);
    work_->Stop();
  }
  EndSequence();
}

QString MappingWindow::ProgressText() const {
  if (!work_) return {};
  const double seconds = static_cast<double>(workClock_.nsecsElapsed()) * 1e-9;
  return QString::fromStdString(orbitra::ProgressText(work_->Progress(), seconds));
}

int MappingWindow::ProgressPermille() const { return work_ ? orbitra::ProgressPermille(work_->Progress()) : 0; }

void MappingWindow::EndSequence() {
  const bool incomplete = work_ != nullptr && work_->PictureIncomplete();
  work_.reset();
  ++repaintCount_;
  update();
  Q_EMIT RepaintEnded();
  if (std::exchange(workAnnounced_, false)) Q_EMIT WorkEnded(incomplete);
  ScheduleRepaintSequence();  // what arrived meanwhile, or the full repaint after a mark
}

void MappingWindow::MakeCanvas(QSize size) {
  canvas_ = std::make_unique<Canvas>(size.width(), size.height());
  canvas_->SetTextPainter(&textPainter_);
  canvas_->SetRefreshGate(&refreshGate_);
  picture_ = QImage(reinterpret_cast<uchar*>(canvas_->Bits()), canvas_->Width(), canvas_->Height(),
                    static_cast<qsizetype>(canvas_->Width()) * 4, QImage::Format_RGB32);
}

void MappingWindow::ShowPictureNow() {
  // Called by the refresh gate before a message box opens in the middle of a run,
  // outside any paint event.
  if (isVisible()) repaint();
}

void MappingWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // After a resize the picture of the old size shows until the repaint sequence has run.
  if (picture_.size() != size()) painter.fillRect(event->rect(), Qt::white);
  if (!picture_.isNull()) painter.drawImage(event->rect().topLeft(), picture_, event->rect());
  if (segmentPress_) {
    painter.setPen(QPen(Qt::red, 0));
    painter.drawLine(*segmentPress_, segmentPointer_);
  }
  if (zoomPress_) {
    const QRect band = ZoomBand(*zoomPress_, zoomPointer_);
    if (band.width() >= 0 && band.height() >= 0) {
      painter.setPen(QPen(Qt::black, 0));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(band);
    }
  }
}

void MappingWindow::resizeEvent(QResizeEvent* /*event*/) {
  // The picture is remade at the new size by the next sequence, never here: the canvas a
  // running sequence draws on must stay alive, and a size that is taken back before the
  // sequence runs keeps the picture.
  resizePending_ = true;
  ScheduleRepaintSequence();
}

void MappingWindow::BeginSegment(SegmentDrawn drawn, std::function<void()> cancelled) {
  CancelSegment();
  segmentDrawn_ = std::move(drawn);
  segmentCancelled_ = std::move(cancelled);
  setCursor(Qt::CrossCursor);
  setFocus();
}

void MappingWindow::CancelSegment() {
  if (!segmentDrawn_) return;
  segmentDrawn_ = nullptr;
  segmentPress_.reset();
  setCursor(Qt::ArrowCursor);
  update();
  // Called last: it may ask for another segment.
  if (const std::function<void()> cancelled = std::exchange(segmentCancelled_, nullptr)) cancelled();
}

bool MappingWindow::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      segmentDrawn_) {
    event->accept();
    return true;
  }
  return QWidget::event(event);
}

void MappingWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && segmentDrawn_) {
    CancelSegment();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MappingWindow::mousePressEvent(QMouseEvent* event) {
  // While work goes on the mouse does nothing in the picture.
  if (inSequence_ || work_) return;
  const QPoint at = ClientPixel(event);
  if (segmentDrawn_) {
    if (event->button() == Qt::LeftButton) {
      segmentPress_ = at;
      segmentPointer_ = at;
      update();
    }
    return;
  }
  if (event->button() == Qt::LeftButton) {
    Invalidate(OnLeftButtonDown(state_, at.x(), at.y()));
  } else if (event->button() == Qt::RightButton) {
    const Invalidation how = OnRightButtonDown(state_, at.x(), at.y());
    if (how != Invalidation::None) {
      zoomPress_ = at;
      zoomPointer_ = at;
    }
    Invalidate(how);
  }
}

void MappingWindow::mouseMoveEvent(QMouseEvent* event) {
  if (segmentPress_) {
    segmentPointer_ = ClientPixel(event);
    update();
    return;
  }
  if (!zoomPress_ || !(event->buttons() & Qt::RightButton)) return;
  zoomPointer_ = ClientPixel(event);
  update();
}

void MappingWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of the pair arrived as a press; this replaces the second press. A
  // right double click is not a second zoom corner: its release pairs with the first press.
  if (inSequence_ || work_ || event->button() != Qt::LeftButton || segmentDrawn_) return;
  const QPoint at = ClientPixel(event);
  Invalidate(OnLeftButtonDoubleClick(state_, at.x(), at.y()));
}

void MappingWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (segmentPress_ && event->button() == Qt::LeftButton) {
    const QPoint press = *segmentPress_;
    const SegmentDrawn drawn = std::exchange(segmentDrawn_, nullptr);
    segmentCancelled_ = nullptr;
    segmentPress_.reset();
    setCursor(Qt::ArrowCursor);
    update();
    drawn(press, ClientPixel(event));
    return;
  }
  // While a segment is asked for, no other release means anything (its press did nothing).
  if (segmentDrawn_) return;
  if (event->button() == Qt::RightButton && zoomPress_) {
    zoomPress_.reset();
    update();
  }
  if (inSequence_ || work_) return;
  if (event->button() == Qt::RightButton) {
    const QPoint at = ClientPixel(event);
    Invalidate(OnRightButtonUp(state_, at.x(), at.y()));
  }
}

}  // namespace orbitra
