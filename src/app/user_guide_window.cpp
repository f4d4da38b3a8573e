// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_guide_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include "app/qt_string.h"
#include "explorer/user_guide.h"

namespace orbitra {

UserGuideWindow::UserGuideWindow(QWidget* parent)
    : QDialog(parent), pages_(new QListWidget(this)), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Orbitra User Guide"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);

  pages_->setObjectName(QStringLiteral("pages"));
  for (const GuidePage& page : kGuidePages) {
    pages_->addItem(ToQString(page.title));
  }
  pages_->setMaximumWidth(180);
  // The pages' pictures sit beside them in the resources, under the names they use.
  browser_->setSearchPaths({QStringLiteral(":/guide")});
  // Links are followed here: to a heading or another page; others (a developer file that
  // is not compiled in) stay inert.
  browser_->setOpenLinks(false);
  connect(browser_, &QTextBrowser::anchorClicked, this, &UserGuideWindow::FollowContents);
  connect(pages_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row != current_) ShowPage(row);
  });

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pages_);
  layout->addWidget(browser_, 1);
  resize(900, 640);
  ShowPage(0);
}

void UserGuideWindow::ShowPage(int k) {
  if (k < 0 || static_cast<std::size_t>(k) >= kGuidePages.size()) return;
  const std::string_view file = kGuidePages[static_cast<std::size_t>(k)].file;
  QFile page(QStringLiteral(":/guide/") + ToQString(file));
  const QByteArray text = page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray();
  GuideWithContents withContents = AddGuideContents(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  headings_ = std::move(withContents.headings);
  current_ = k;
  // The pages write names in angle brackets ("<map name>.png") as plain text: read as
  // HTML they would open elements that swallow the sections after them.
  browser_->document()->setMarkdown(QString::fromStdString(withContents.text),
                                    QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                                    QTextDocument::MarkdownNoHTML));
  if (pages_->currentRow() != k) pages_->setCurrentRow(k);
  ScrollToTop();
}

void UserGuideWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ScrollToTop();
}

void UserGuideWindow::ScrollToTop() {
  browser_->moveCursor(QTextCursor::Start);
  browser_->horizontalScrollBar()->setValue(0);
  browser_->verticalScrollBar()->setValue(0);
}

void UserGuideWindow::FollowContents(const QUrl& link) {
  const QString fragment = link.fragment();
  if (link.path().isEmpty() && fragment.startsWith(QLatin1Char('h'))) {
    bool ok = false;
    const int k = fragment.mid(1).toInt(&ok);
    if (!ok || k < 0 || static_cast<std::size_t>(k) >= headings_.size()) return;
    const QString title = QString::fromStdString(headings_[static_cast<std::size_t>(k)]);
    // The heading, not its entry in the contents: the block that is a heading.
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
      if (block.blockFormat().headingLevel() > 0 && block.text() == title) {
        QTextCursor cursor(block);
        browser_->setTextCursor(cursor);
        browser_->verticalScrollBar()->setValue(browser_->verticalScrollBar()->value() + browser_->cursorRect().top());
        return;
      }
    }
    return;
  }
  const int page = GuidePageOfLink(link.toString().toStdString());
  if (page >= 0) ShowPage(page);
}

}  // namespace orbitra
