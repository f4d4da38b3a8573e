// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QTextBrowser;

namespace orbitra {

// The user sections of the README, compiled into the program and shown as rendered
// Markdown with their pictures: the guide needs neither a browser nor a network.
class UserGuideWindow : public QDialog {
  Q_OBJECT

 public:
  explicit UserGuideWindow(QWidget* parent = nullptr);

  const QTextBrowser& Browser() const { return *browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace orbitra
