// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialog_widgets.h"

#include <charconv>

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include "storage/text_format.h"

namespace orbitra {

QLineEdit* MakeField(QWidget* parent, const QString& objectName) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(objectName);
  return field;
}

QLineEdit* MakeReadOnlyField(QWidget* parent, const QString& objectName) {
  QLineEdit* field = MakeField(parent, objectName);
  field->setReadOnly(true);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  field->setPalette(palette);
  return field;
}

void FitDoubleDigits(QLineEdit* field) {
  // As QLineEdit sizes itself, but for this text instead of its usual 17 'x'.
  constexpr int kHorizontalMargin = 2;  // QLineEdit's own, on each side of the text
  const QFontMetrics metrics = field->fontMetrics();
  const QMargins margins = field->textMargins();
  const QSize text(metrics.horizontalAdvance(QStringLiteral("-0.00000000000000000")) + 2 * kHorizontalMargin +
                       margins.left() + margins.right(),
                   metrics.height());
  QStyleOptionFrame option;
  option.initFrom(field);
  option.lineWidth = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field) : 0;
  field->setMinimumWidth(field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width());
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& text, const QString& objectName) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(objectName);
  return box;
}

OkCancelButtons AddOkCancel(QDialog* dialog, QBoxLayout* row) {
  OkCancelButtons buttons;
  buttons.ok = new QPushButton(QStringLiteral("OK"), dialog);
  buttons.ok->setObjectName(QStringLiteral("ok"));
  buttons.ok->setDefault(true);
  buttons.cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  buttons.cancel->setObjectName(QStringLiteral("cancel"));
  row->addWidget(buttons.ok);
  row->addWidget(buttons.cancel);
  QObject::connect(buttons.ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return buttons;
}

void LayOutTwoColumnPage(QDialog* dialog, QLayout* left, int leftStretch, QLayout* right, int rightStretch) {
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, leftStretch);
  columns->addLayout(right, rightStretch);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(dialog, buttons);
  auto* page = new QVBoxLayout(dialog);
  page->addLayout(columns);
  page->addLayout(buttons);
}

QString ShortestNumberText(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return QString::fromLatin1(text, static_cast<int>(end - text));
}

QWidget* SideBySide(QWidget* parent, QWidget* a, QWidget* b) {
  auto* box = new QWidget(parent);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(a);
  row->addWidget(b);
  return box;
}

namespace {

bool Refuse(QLineEdit* field, Prompter& prompter, const char* message) {
  prompter.ShowMessage(message);
  field->setFocus();
  field->selectAll();
  return false;
}

}  // namespace

bool ReadNumberField(QLineEdit* field, Prompter& prompter, double& out) {
  return ParseDouble(field->text().trimmed().toStdString(), out) || Refuse(field, prompter, "Please enter a number.");
}

bool ReadWholeField(QLineEdit* field, Prompter& prompter, std::int32_t& out) {
  return ParseInt32(field->text().trimmed().toStdString(), out) || Refuse(field, prompter, "Please enter an integer.");
}

void ShowStartOfFields(QWidget& dialog) {
  for (QLineEdit* field : dialog.findChildren<QLineEdit*>()) field->setCursorPosition(0);
}

}  // namespace orbitra
