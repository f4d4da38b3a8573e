// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_guide_window.h"

#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "explorer/user_guide.h"

namespace orbitra {

UserGuideWindow::UserGuideWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Orbitra User Guide"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);

  QFile readme(QStringLiteral(":/guide/README.md"));
  const QByteArray text = readme.open(QIODevice::ReadOnly) ? readme.readAll() : QByteArray();
  const std::string_view guide = UserGuideSections(std::string_view(text.constData(), text.size()));

  // The README's pictures sit beside it in the resources, under the paths it names.
  browser_->setSearchPaths({QStringLiteral(":/guide")});
  // Its one link leads to a developer file that is not compiled in: links stay inert.
  browser_->setOpenLinks(false);
  // The README writes names in angle brackets ("<map name>.png") as plain text: read as
  // HTML they would open elements that swallow the sections after them.
  GuideWithContents withContents = AddGuideContents(guide);
  headings_ = std::move(withContents.headings);
  connect(browser_, &QTextBrowser::anchorClicked, this, &UserGuideWindow::FollowContents);
  browser_->document()->setMarkdown(QString::fromStdString(withContents.text),
                                    QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                                    QTextDocument::MarkdownNoHTML));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(760, 640);
}

void UserGuideWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  browser_->moveCursor(QTextCursor::Start);
  browser_->horizontalScrollBar()->setValue(0);
  browser_->verticalScrollBar()->setValue(0);
}

void UserGuideWindow::FollowContents(const QUrl& link) {
  const QString fragment = link.fragment();
  if (!fragment.startsWith(QLatin1Char('h'))) return;
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
}

}  // namespace orbitra
