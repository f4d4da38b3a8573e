// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/text_editor_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <string_view>

#include "storage/replacement_file.h"

namespace orbitra {

namespace {

// The system's fixed font, unless the font it resolves to has glyphs of more than one
// width (some "Mono" families do): then the first of a few common families that is truly
// fixed, so the columns of a group file line up.
QFont FixedWidthFont() {
  const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (QFontInfo(system).fixedPitch()) return system;
  for (const char* family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono", "Courier New", "Courier"}) {
    QFont font(QString::fromLatin1(family), system.pointSize());
    if (QFontInfo(font).fixedPitch()) return font;
  }
  return system;
}

}  // namespace

TextEditorWindow::TextEditorWindow(std::filesystem::path file, Prompter& prompter, QWidget* parent)
    : QDialog(parent), file_(std::move(file)), prompter_(prompter), editor_(new QPlainTextEdit(this)) {
  setWindowTitle(QStringLiteral("%1[*] - Orbitra").arg(FileName()));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);

  editor_->setFont(FixedWidthFont());
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  connect(editor_->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
  saveButton_ = buttons->button(QDialogButtonBox::Save);
  saveButton_->setAutoDefault(false);
  buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
  connect(saveButton_, &QPushButton::clicked, this, [this] { Save(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(editor_);
  layout->addWidget(buttons);
  resize(640, 480);
}

QString TextEditorWindow::FileName() const { return QString::fromStdString(file_.filename().string()); }

bool TextEditorWindow::IsModified() const { return editor_->document()->isModified(); }

bool TextEditorWindow::Load() {
  QFile file(QString::fromStdString(file_.string()));
  QByteArray bytes;
  if (file.exists()) {
    if (!file.open(QIODevice::ReadOnly)) {
      prompter_.ShowMessage(QStringLiteral("Cannot open %1 for editing:\n%2")
                                .arg(FileName(), file.errorString())
                                .toStdString());
      return false;
    }
    bytes = file.readAll();
  }
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  latin1_ = utf8.hasError();
  if (latin1_) text = QString::fromLatin1(bytes);
  editor_->setPlainText(text);
  editor_->document()->setModified(false);
  // Loading an empty text reports a change and no change back: the mark follows the
  // document's own flag, not the signals.
  setWindowModified(false);
  return true;
}

bool TextEditorWindow::Save() {
  const QString text = editor_->toPlainText();
  const QByteArray bytes = latin1_ ? text.toLatin1() : text.toUtf8();
  // The program's rules for replacing a file: only a complete new file takes the old
  // one's place, and a link, the file's mode and its other names are kept.
  if (const FileFailure failure =
          ReplaceFile(file_, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    prompter_.ShowMessage(QStringLiteral("Cannot save %1:\n%2\nThe file on disk is unchanged.")
                              .arg(FileName(), QString::fromStdString(*failure))
                              .toStdString());
    return false;
  }
  editor_->document()->setModified(false);
  return true;
}

void TextEditorWindow::done(int result) {
  if (IsModified()) {
    const Answer answer =
        prompter_.AskYesNoCancel(QStringLiteral("%1 has been changed.\nDo you want to save the changes?")
                                     .arg(FileName())
                                     .toStdString());
    if (answer == Answer::Cancel) return;
    if (answer == Answer::Yes && !Save()) return;
  }
  QDialog::done(result);
}

}  // namespace orbitra
