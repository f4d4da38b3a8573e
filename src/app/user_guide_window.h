// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include <QDialog>

class QListWidget;
class QTextBrowser;

namespace orbitra {

// The guide's pages (docs/guide-*.md, compiled into the program) shown as rendered Markdown
// with their pictures: the list of pages on the left, the chosen page on the right, a table
// of contents under its title. The guide needs neither a browser nor a network.
class UserGuideWindow : public QDialog {
  Q_OBJECT

 public:
  explicit UserGuideWindow(QWidget* parent = nullptr);

  const QTextBrowser& Browser() const { return *browser_; }
  QTextBrowser& Browser() { return *browser_; }
  QListWidget& Pages() const { return *pages_; }
  // Shows page k of kGuidePages at its top.
  void ShowPage(int k);
  int CurrentPage() const noexcept { return current_; }
  // Follows a link of the page shown: an entry of its table of contents ("#h<k>") to its
  // heading, at the top; a link to another page to that page. Other links stay inert.
  void FollowContents(const QUrl& link);

 protected:
  // The guide opens at its top left, its contents first.
  void showEvent(QShowEvent* event) override;

 private:
  void ScrollToTop();

  QListWidget* pages_;
  QTextBrowser* browser_;
  std::vector<std::string> headings_;
  int current_ = -1;
};

}  // namespace orbitra
