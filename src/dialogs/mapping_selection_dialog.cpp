// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/mapping_selection_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>

#include "dialogs/dialog_widgets.h"

namespace orbitra {
namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

MappingSelectionDialog::MappingSelectionDialog(const SelectionDialogValues& values, Prompter& prompter,
                                               QWidget* parent)
    : QDialog(parent), values_(values), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Mapping System Selection"));

  // Left column: the list, the system number and the formula lines.
  auto* systemLabel = new QLabel(QStringLiteral("System"), this);
  systemList_ = new QComboBox(this);
  systemList_->setObjectName(QStringLiteral("systemList"));
  systemList_->setEditable(false);
  QLineEdit* number = MakeReadOnlyField(this, QStringLiteral("systemNumber"));
  number->setAlignment(Qt::AlignCenter);
  number->setMaximumWidth(40);
  QLineEdit* formula1 = MakeReadOnlyField(this, QStringLiteral("formulaLine1"));
  QLineEdit* formula2 = MakeReadOnlyField(this, QStringLiteral("formulaLine2"));
  // Wide enough for the longest formula of the catalogue.
  int formulaWidth = 0;
  for (int t = kFirstSystem; t <= kLastSystem; ++t) {
    for (std::string_view line : {CatalogueAt(t).formulaLine1, CatalogueAt(t).formulaLine2}) {
      formulaWidth = std::max(formulaWidth, formula1->fontMetrics().horizontalAdvance(ToQString(line)));
    }
  }
  for (QLineEdit* line : {formula1, formula2}) {
    line->setFrame(false);
    line->setAlignment(Qt::AlignCenter);
    line->setMinimumWidth(formulaWidth + 16);
  }
  auto* left = new QGridLayout;
  left->addWidget(systemLabel, 0, 0);
  left->addWidget(systemList_, 0, 1);
  left->addWidget(number, 1, 0);
  left->addWidget(formula1, 1, 1);
  left->addWidget(formula2, 2, 1);
  left->setRowStretch(3, 1);

  // Right column: the parameters, the range option and the buttons.
  auto* parameters = new QGroupBox(QStringLiteral("Parameters"), this);
  auto* form = new QFormLayout(parameters);
  QLineEdit* k1 = MakeField(parameters, QStringLiteral("k1"));
  QLineEdit* k2 = MakeField(parameters, QStringLiteral("k2"));
  QLineEdit* k3 = MakeField(parameters, QStringLiteral("k3"));
  QLineEdit* k4 = MakeField(parameters, QStringLiteral("k4"));
  form->addRow(QStringLiteral("kk1 = "), k1);
  form->addRow(QStringLiteral("kk2 = "), k2);
  form->addRow(QStringLiteral("kk3 = "), k3);
  form->addRow(QStringLiteral("kk4 ="), k4);
  auto* useDefault = new QCheckBox(QStringLiteral("Use default graphics range "), this);
  useDefault->setObjectName(QStringLiteral("useDefaultRange"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(this, buttons);
  auto* right = new QVBoxLayout;
  right->addWidget(parameters);
  right->addWidget(useDefault);
  right->addStretch();
  right->addLayout(buttons);

  auto* columns = new QHBoxLayout(this);
  columns->addLayout(left, 1);
  columns->addLayout(right);

  // Member order decides which invalid entry is reported first.
  exchange_.BindDouble(k1, &values_.k1);
  exchange_.BindDouble(k2, &values_.k2);
  exchange_.BindDouble(k3, &values_.k3);
  exchange_.BindInt(number, &values_.systemNumber);
  exchange_.BindDouble(k4, &values_.k4);
  exchange_.BindCheck(useDefault, &values_.useDefaultRange);
  exchange_.BindText(formula1, &values_.formulaLine1);
  exchange_.BindText(formula2, &values_.formulaLine2);
  exchange_.WriteAll();

  for (const std::string& name : SystemListNames(values_)) systemList_->addItem(ToQString(name));
  systemList_->setCurrentIndex(values_.listPosition);
  // Connected after the opening selection, so only the user's picks load defaults.
  connect(systemList_, &QComboBox::currentIndexChanged, this, &MappingSelectionDialog::OnSystemPicked);
}

void MappingSelectionDialog::OnSystemPicked(int position) {
  PickSystemInList(values_, position);
  // Only what a pick changes is rewritten; the check box keeps what the user set.
  exchange_.Write({&values_.k1, &values_.k2, &values_.k3, &values_.k4, &values_.systemNumber,
                   &values_.formulaLine1, &values_.formulaLine2});
}

void MappingSelectionDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
