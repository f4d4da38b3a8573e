// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_guide_window.h"

#include <QFile>
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
  browser_->document()->setMarkdown(QString::fromUtf8(guide.data(), static_cast<qsizetype>(guide.size())),
                                    QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                                    QTextDocument::MarkdownNoHTML));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(760, 640);
}

}  // namespace orbitra
