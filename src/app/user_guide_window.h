// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

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
  QTextBrowser& Browser() { return *browser_; }
  // Follows an entry of the table of contents ("#h<k>") to its heading, at the top.
  void FollowContents(const QUrl& link);

 protected:
  // The guide opens at its top left, its contents first.
  void showEvent(QShowEvent* event) override;

 private:
  QTextBrowser* browser_;
  std::vector<std::string> headings_;
};

}  // namespace orbitra
