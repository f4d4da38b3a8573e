// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include <QMainWindow>
#include <QPoint>

#include "platform/invalidation.h"
#include "platform/prompter.h"
#include "render/qt_text_painter.h"
#include "storage/file_io.h"
#include "sweeps/sweep_view.h"

class QAction;
class QLabel;
class QProgressBar;
class QTimer;

namespace orbitra {

class SweepPictureWidget;

// A window of its own for a sweep (an orbit diagram, a parameter plane, a basin picture):
// the picture, a toolbar with Stop, Resume, New Size, Back, Forward, Reset, Save Picture, Copy Picture and,
// when the view has one, an export; a status line with the progress and a progress bar.
// A rectangle dragged with the left button zooms (the region is computed anew); a click
// goes to the view, which may change the explorer; `explorerChanged` then tells the main
// window how to repaint. Everything the window shows and does is the view's; the window
// only forwards events and polls the workers' progress about thirty times a second.
class SweepWindow : public QMainWindow {
  Q_OBJECT

 public:
  using ExplorerChanged = std::function<void(Invalidation)>;
  // `exportCounts`, when given, writes the view's numbers to a file (the Export button).
  using Exporter = std::function<FileFailure(const std::filesystem::path&)>;

  SweepWindow(std::unique_ptr<SweepView> view, Prompter& prompter, ExplorerChanged explorerChanged,
              Exporter exporter = {}, QWidget* parent = nullptr);
  ~SweepWindow() override;
  // How Save Picture's "Browse" asks for a file (the file dialog, with the chosen filter's
  // extension added to a name without one); tests answer it themselves.
  using PictureChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
  void SetPictureChooser(PictureChooser chooser) { chooser_ = std::move(chooser); }
  // Where a picture's name without a folder is saved (the working folder); the process's
  // current folder when none is set.
  void SetPictureFolder(std::filesystem::path folder) { pictureFolder_ = std::move(folder); }

  SweepView& View() const { return *view_; }
  SweepPictureWidget& PictureWidget() const { return *picture_; }
  QAction* StopAction() const { return stop_; }
  QAction* NewSizeAction() const { return newSize_; }
  QLabel* StatusLine() const { return status_; }
  // What the view says of the pixel under the pointer.
  QLabel* PointerLine() const { return pointerText_; }
  QProgressBar* ProgressBar() const { return progress_; }
  // Sets the picture's size (the window follows) and computes the view anew.
  void SetPictureSize(QSize size);
  // Shows the window with a picture of a saved view's size, so that the view draws its
  // saved units at once; the picture may be resized afterwards. A view saved before it
  // finished goes on with the rest.
  void ShowSaved(QSize size);
  // Whether a click may reach the explorer now (not while it runs).
  void SetClickGate(std::function<bool()> gate) { clickGate_ = std::move(gate); }
  void SetExplorerChanged(ExplorerChanged changed) { explorerChanged_ = std::move(changed); }
  // Polls at once (tests wait for the work to end, then poll).
  void PollNow() { Poll(); }
  // The explorer changed elsewhere: the view's overlay follows.
  void RefreshOverlay();

  // Called by the picture widget.
  void PictureResized(QSize size);
  // The picture widget was resized by the user: the work goes on at its size, the picture
  // shown scaled. Once the resizing has rested a moment, the new size is computed when no
  // work is going on; otherwise the toolbar's "New Size" (F5) is enabled to compute it.
  void PictureResizing();
  void Dragged(QPoint from, QPoint to);
  void Clicked(QPoint at);
  void PointerMoved(std::optional<QPoint> at);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Escape stops this window's work while it computes: the key is taken from the main
  // window's Stop run shortcut, which reaches every window of the program otherwise.
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildToolbar();
  void FitStatusLines(int windowWidth);
  void Poll();
  void UpdateControls();
  void UpdatePointerText();
  void SavePicture();
  void CopyPicture();
  void ExportNumbers();

  std::unique_ptr<SweepView> view_;
  Prompter& prompter_;
  ExplorerChanged explorerChanged_;
  Exporter exporter_;
  PictureChooser chooser_;
  std::filesystem::path pictureFolder_;
  std::function<bool()> clickGate_;
  QtTextPainter textPainter_;
  SweepPictureWidget* picture_ = nullptr;
  QAction* stop_ = nullptr;
  QAction* resume_ = nullptr;
  QAction* newSize_ = nullptr;
  QAction* back_ = nullptr;
  QAction* forward_ = nullptr;
  QAction* reset_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* pointerText_ = nullptr;
  std::optional<QPoint> pointer_;  // over the picture
  QProgressBar* progress_ = nullptr;
  QTimer* poll_ = nullptr;
  // A saved picture keeps its size until the window is given another size.
  std::optional<QSize> heldWindowSize_;
  QTimer* resized_ = nullptr;  // single shot: the resizing has rested
};

// The picture of a sweep window: shows the view's picture, draws the band of a drag.
class SweepPictureWidget : public QWidget {
  Q_OBJECT

 public:
  explicit SweepPictureWidget(SweepWindow& window, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The picture's pixel under a pixel of the widget (they differ while it is shown scaled).
  QPoint ToPicture(QPoint at) const;

  SweepWindow& window_;
  std::optional<QPoint> press_;
  QPoint pointer_;
};

}  // namespace orbitra
