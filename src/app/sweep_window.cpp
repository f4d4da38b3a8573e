// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sweep_window.h"

#include <new>

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/picture_command_handlers.h"
#include "dialogs/save_picture_dialog.h"
#include "render/picture_file.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {
// How long a resize must rest before the picture is computed at the new size.
constexpr int kResizeRestMs = 400;
constexpr const char* kNoMemoryForSweepPicture = "There is not enough memory for a picture of %d by %d pixels.";
}  // namespace

namespace {

constexpr int kPollMs = 33;
// A press and release closer than this (in pixels, each way) is a click, not a rectangle.
constexpr int kClickSlack = 3;

QRect Band(QPoint a, QPoint b) { return QRect(a, b).normalized(); }

}  // namespace

SweepWindow::SweepWindow(std::unique_ptr<SweepView> view, Prompter& prompter, ExplorerChanged explorerChanged,
                         Exporter exporter, QWidget* parent)
    : QMainWindow(parent),
      view_(std::move(view)),
      prompter_(prompter),
      explorerChanged_(std::move(explorerChanged)),
      exporter_(std::move(exporter)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlag(Qt::Window);
  setWindowTitle(QString::fromStdString(view_->WindowTitle()));
  view_->SetTextPainter(&textPainter_);
  picture_ = new SweepPictureWidget(*this, this);
  setCentralWidget(picture_);
  BuildToolbar();
  status_ = new QLabel(this);
  pointerText_ = new QLabel(this);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setMaximumWidth(160);
  // In a narrow window the two texts wrap within their halves rather than overlap; their
  // height follows the window's width, never the text (FitStatusLines).
  for (QLabel* label : {status_, pointerText_}) {
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  FitStatusLines(width());
  statusBar()->addWidget(status_, 1);
  statusBar()->addWidget(pointerText_, 1);
  statusBar()->addPermanentWidget(progress_);
  resized_ = new QTimer(this);
  resized_->setSingleShot(true);
  resized_->setInterval(kResizeRestMs);
  connect(resized_, &QTimer::timeout, this, [this] {
    if (view_->ResizeRested()) picture_->update();
    UpdateControls();
  });
  poll_ = new QTimer(this);
  connect(poll_, &QTimer::timeout, this, &SweepWindow::Poll);
  poll_->start(kPollMs);
  resize(900, 640);
}

SweepWindow::~SweepWindow() { view_->Stop(); }

bool SweepWindow::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      view_->Working()) {
    event->accept();
    return true;
  }
  return QMainWindow::event(event);
}

void SweepWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && view_->Working()) {
    stop_->trigger();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void SweepWindow::BuildToolbar() {
  QToolBar* bar = addToolBar(QStringLiteral("Sweep"));
  bar->setObjectName(QStringLiteral("SweepToolbar"));
  stop_ = bar->addAction(QStringLiteral("Stop"), this, [this] {
    view_->Stop();
    Poll();
  });
  stop_->setStatusTip(QStringLiteral("Stop the computation, keeping what is done"));
  resume_ = bar->addAction(QStringLiteral("Resume"), this, [this] {
    view_->Resume();
    UpdateControls();
  });
  resume_->setStatusTip(QStringLiteral("Compute what a stop left out"));
  // Enabled when the window's size changed while the work went on: the work keeps its size
  // until this starts over at the new one. (A button rather than a longer status text: the
  // text's wrapping would change the picture's size again.)
  newSize_ = bar->addAction(QStringLiteral("New Size"), this, [this] {
    if (view_->ComputeAtNewSize()) picture_->update();
    UpdateControls();
  });
  newSize_->setShortcut(QKeySequence(Qt::Key_F5));
  newSize_->setShortcutContext(Qt::WindowShortcut);
  newSize_->setToolTip(QStringLiteral("Compute at the window's new size (F5)"));
  newSize_->setStatusTip(QStringLiteral("The size changed while computing: compute the picture anew at the window's size"));
  bar->addSeparator();
  back_ = bar->addAction(QStringLiteral("Back"), this, [this] { view_->Back(); picture_->update(); });
  back_->setStatusTip(QStringLiteral("The view before this one"));
  forward_ = bar->addAction(QStringLiteral("Forward"), this, [this] { view_->Forward(); picture_->update(); });
  forward_->setStatusTip(QStringLiteral("The view after this one"));
  reset_ = bar->addAction(QStringLiteral("Reset"), this, [this] { view_->Reset(); picture_->update(); });
  reset_->setStatusTip(QStringLiteral("The first view"));
  bar->addSeparator();
  bar->addAction(QStringLiteral("Save Picture..."), this, &SweepWindow::SavePicture)
      ->setStatusTip(QStringLiteral("Save the picture as an image file"));
  bar->addAction(QStringLiteral("Copy Picture"), this, &SweepWindow::CopyPicture)
      ->setStatusTip(QStringLiteral("Copy the picture to the clipboard"));
  if (exporter_) {
    bar->addAction(QStringLiteral("Export..."), this, &SweepWindow::ExportNumbers)
        ->setStatusTip(QStringLiteral("Write the numbers of the picture to a text file"));
  }
}

void SweepWindow::SetPictureSize(QSize size) {
  picture_->setFixedSize(size);
  adjustSize();
  PictureResized(size);
}

void SweepWindow::ShowSaved(QSize size) {
  picture_->setFixedSize(size);
  adjustSize();
  PictureResized(size);
  show();
  // The toolbar may make the window wider than the picture: the picture keeps its size
  // (white beside it) until the window is resized, so what was saved is what is shown.
  heldWindowSize_ = this->size();
  if (!view_->Runner().Complete()) view_->Resume();
  UpdateControls();
}

void SweepWindow::PictureResized(QSize size) {
  view_->Resize(size.width(), size.height());
  UpdateControls();
  picture_->update();
}

void SweepWindow::PictureResizing() {
  // A picture never computed yet (the window's first size) starts at once.
  const Canvas& shown = view_->Shown();
  if (view_->Runner().Job() == nullptr || (shown.Width() <= 1 && shown.Height() <= 1)) {
    return PictureResized(picture_->size());
  }
  view_->SizeChanged(picture_->width(), picture_->height());
  resized_->start();
  UpdateControls();
  picture_->update();
}

void SweepWindow::Poll() {
  if (view_->Poll()) {
    picture_->update();
    UpdatePointerText();  // the pixel under the pointer may have come in
  }
  UpdateControls();
}

void SweepWindow::PointerMoved(std::optional<QPoint> at) {
  pointer_ = at;
  UpdatePointerText();
}

void SweepWindow::UpdatePointerText() {
  const std::string text = pointer_ ? view_->PointerText(pointer_->x(), pointer_->y()) : std::string();
  pointerText_->setText(QString::fromStdString(text));
}

void SweepWindow::RefreshOverlay() {
  view_->ExplorerChanged();
  picture_->update();
}

void SweepWindow::UpdateControls() {
  const bool working = view_->Working();
  stop_->setEnabled(working);
  resume_->setEnabled(!working && !view_->Runner().Complete());
  newSize_->setEnabled(view_->SizeOffered());
  back_->setEnabled(view_->CanBack());
  forward_->setEnabled(view_->CanForward());
  reset_->setEnabled(view_->CanBack());
  status_->setText(QString::fromStdString(view_->StatusText()));
  progress_->setValue(view_->Percent());
}

void SweepWindow::Dragged(QPoint from, QPoint to) {
  if (view_->ZoomTo(from.x(), from.y(), to.x(), to.y())) UpdateControls();
  picture_->update();
}

void SweepWindow::Clicked(QPoint at) {
  if (clickGate_ && !clickGate_()) return;
  const Invalidation repaint = view_->Click(at.x(), at.y());
  picture_->update();
  if (explorerChanged_) explorerChanged_(repaint);
}

void SweepWindow::SavePicture() {
  // The dialog of the main window's Save Picture, its sizes those of this picture: drawn
  // anew from the finished units at the chosen size, texts and lines at its scale. A
  // refused file or size is said, and the dialog comes back with what was typed.
  const Canvas& shown = view_->Shown();
  SavePictureValues values;
  values.fileName = (pictureFolder_ / view_->PictureFileName()).string();
  values.width = shown.Width();
  values.height = shown.Height();
  const PictureFileChooser browse = chooser_ ? PictureFileChooser(chooser_) : PictureFileChooser(ChoosePictureFile);
  for (;;) {
    SavePictureDialog dialog(values, prompter_, browse, this, false);
    if (dialog.exec() != QDialog::Accepted) return;
    values = dialog.Values();
    const PictureSize size = ChoosePictureSize(static_cast<PictureScale>(values.scale), shown.Width(), shown.Height(),
                                               values.width, values.height);
    const std::filesystem::path target = PictureTargetIn(pictureFolder_, values.fileName);
    if (!ConfirmPictureTarget(target, values, size, prompter_)) continue;
    FileFailure failure;
    try {
      failure = WritePicture(view_->PictureAt(size), target);
    } catch (const std::bad_alloc&) {
      failure = FormatCounts(kNoMemoryForSweepPicture, {size.width, size.height});
    }
    if (!failure) return;
    prompter_.ShowMessage(*failure);
  }
}

void SweepWindow::CopyPicture() {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(PictureImage(view_->Shown()));
}

void SweepWindow::ExportNumbers() {
  const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QString(),
                                                    QStringLiteral("Text (*.txt);;All files (*)"));
  if (file.isEmpty()) return;
  if (const FileFailure failure = exporter_(file.toStdString())) prompter_.ShowMessage(*failure);
}

void SweepWindow::resizeEvent(QResizeEvent* event) {
  // Only a resize from the window system (the user) lets the saved picture go; the window's
  // own layout settling (texts that wrap) keeps it.
  if (heldWindowSize_ && event->spontaneous() && event->size() != *heldWindowSize_) {
    heldWindowSize_.reset();
    picture_->setMinimumSize(200, 150);
    picture_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  FitStatusLines(event->size().width());
  QMainWindow::resizeEvent(event);
}

void SweepWindow::FitStatusLines(int windowWidth) {
  // As many lines as a long status text needs in half of what the progress bar leaves. A
  // status bar that grew and shrank with what its texts say would resize the picture, and
  // a picture resized while computing offers a new size.
  static const QString kLongText = QStringLiteral("Parameter plane: 100% of 1234567 pixels, 1.23e+08 iterations/s");
  const int labelWidth = std::max(40, (windowWidth - progress_->maximumWidth() - 24) / 2);
  const QFontMetrics metrics = status_->fontMetrics();
  // A quarter more than the text's length: lines break between words.
  const int needed = metrics.horizontalAdvance(kLongText) * 5 / 4;
  const int lines = std::clamp((needed + labelWidth - 1) / labelWidth, 1, 6);
  for (QLabel* label : {status_, pointerText_}) label->setFixedHeight(lines * metrics.lineSpacing() + 2);
}

void SweepWindow::closeEvent(QCloseEvent* event) {
  view_->Stop();
  poll_->stop();
  QMainWindow::closeEvent(event);
}

SweepPictureWidget::SweepPictureWidget(SweepWindow& window, QWidget* parent) : QWidget(parent), window_(window) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
  setCursor(Qt::CrossCursor);
  setMouseTracking(true);
}

void SweepPictureWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const Canvas& shown = window_.View().Shown();
  const QImage image(reinterpret_cast<const uchar*>(shown.Bits()), shown.Width(), shown.Height(),
                     static_cast<qsizetype>(shown.Width()) * 4, QImage::Format_RGB32);
  painter.fillRect(rect(), Qt::white);
  if (image.size() == size()) {
    painter.drawImage(QPoint(0, 0), image);
  } else {
    painter.drawImage(rect(), image);  // the size the work started at, scaled, while resizing
  }
  if (press_) {
    painter.setPen(QPen(Qt::blue, 1, Qt::DashLine));
    painter.drawRect(Band(*press_, pointer_));
  }
}

void SweepPictureWidget::resizeEvent(QResizeEvent* /*event*/) { window_.PictureResizing(); }

QPoint SweepPictureWidget::ToPicture(QPoint at) const {
  // While the picture is shown scaled, the pixel of the picture under the widget's one.
  const Canvas& shown = window_.View().Shown();
  if (width() <= 0 || height() <= 0 || (shown.Width() == width() && shown.Height() == height())) return at;
  return QPoint(static_cast<int>(static_cast<long long>(at.x()) * shown.Width() / width()),
                static_cast<int>(static_cast<long long>(at.y()) * shown.Height() / height()));
}

void SweepPictureWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  press_ = event->position().toPoint();
  pointer_ = *press_;
}

void SweepPictureWidget::mouseMoveEvent(QMouseEvent* event) {
  window_.PointerMoved(ToPicture(event->position().toPoint()));
  if (!press_) return;
  pointer_ = event->position().toPoint();
  update();
}

void SweepPictureWidget::leaveEvent(QEvent* /*event*/) { window_.PointerMoved(std::nullopt); }

void SweepPictureWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !press_) return;
  const QPoint from = *press_;
  const QPoint to = event->position().toPoint();
  press_.reset();
  const QPoint d = to - from;
  if (std::abs(d.x()) <= kClickSlack && std::abs(d.y()) <= kClickSlack) {
    window_.Clicked(ToPicture(from));
  } else {
    window_.Dragged(ToPicture(from), ToPicture(to));
  }
}

}  // namespace orbitra
