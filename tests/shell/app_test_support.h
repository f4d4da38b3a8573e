// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the shell tests of the program's window: answering the real modal boxes the
// program opens, a fresh working directory, and pixel helpers for the picture.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "explorer/orbitra_state.h"
#include "platform/canvas.h"

namespace orbitra::apptest {

// Watches for modal windows while the program waits in one of them and handles each once,
// in order, with the next scripted reaction. A modal window nobody scripted is recorded
// and closed, so a test never hangs on an unexpected box.
class ModalAnswerer {
 public:
  struct Seen {
    QString title;
    QString text;  // a message box's text; empty for other windows
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
  };
  using Reaction = std::function<void(QWidget&)>;

  ModalAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  // Presses a button of the next message box.
  void Press(QMessageBox::StandardButton button) {
    reactions_.push_back([button](QWidget& w) {
      if (auto* box = qobject_cast<QMessageBox*>(&w)) box->button(button)->click();
    });
  }
  // Acts on the next modal window (it must close it).
  void Then(Reaction reaction) { reactions_.push_back(std::move(reaction)); }

  const std::vector<Seen>& SeenWindows() const { return seen_; }
  std::vector<QString> Texts() const {
    std::vector<QString> texts;
    for (const Seen& s : seen_) texts.push_back(s.text);
    return texts;
  }
  int Unscripted() const { return unscripted_; }
  bool ScriptUsedUp() const { return reactions_.empty(); }
  void Clear() {
    seen_.clear();
    unscripted_ = 0;
  }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    // A pointer to a destroyed window turns null, so a new box at the same address counts.
    for (const QPointer<QWidget>& done : handled_) {
      if (done == modal) return;
    }
    handled_.emplace_back(modal);
    Seen seen{modal->windowTitle(), QString(), {}};
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      seen.text = box->text();
      seen.buttons = box->standardButtons();
      seen.icon = box->icon();
    }
    seen_.push_back(seen);
    if (reactions_.empty()) {
      ++unscripted_;
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (box->escapeButton() != nullptr) {
          box->escapeButton()->click();
        } else {
          box->close();
        }
      } else {
        modal->close();
      }
      return;
    }
    Reaction reaction = std::move(reactions_.front());
    reactions_.pop_front();
    reaction(*modal);
  }

  QTimer timer_;
  std::deque<Reaction> reactions_;
  std::vector<Seen> seen_;
  std::vector<QPointer<QWidget>> handled_;
  int unscripted_ = 0;
};

inline std::filesystem::path PathOf(const QTemporaryDir& dir) { return std::filesystem::path(dir.path().toStdString()); }

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A main frame over a state that was never started, in a fresh working directory. There
// is nothing to draw, so its mapping window never repaints.
struct UnstartedFrame {
  UnstartedFrame() : state(PathOf(dir)), frame(state) { frame.View().HoldRepaints(true); }
  QTemporaryDir dir;
  OrbitraState state;
  CMainFrame frame;
};

inline bool IsWhite(const Canvas& canvas, int x, int y) { return canvas.GetPixel(x, y) == kWhite; }

// Pixels that are not white inside columns [left, right) and rows [top, bottom).
inline int CountInk(const Canvas& canvas, int left, int top, int right, int bottom) {
  int ink = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) ink += IsWhite(canvas, x, y) ? 0 : 1;
  }
  return ink;
}

// Pixel rounding of the picture: add 0.5 and truncate toward zero.
inline int Pix(double v) { return static_cast<int>(v + 0.5); }

// Where the phase-plane box stands in display mode 0 on a picture of this size: 30 to
// 99 percent of the width, 10 to 90 percent of the height.
struct BoxPixels {
  int left, top, right, bottom;
};
inline BoxPixels SingleModeBox(int width, int height) {
  const double hx = width * 0.01, hy = height * 0.01;
  return BoxPixels{Pix(30 * hx), Pix(10 * hy), Pix(99 * hx), Pix(90 * hy)};
}

}  // namespace orbitra::apptest
