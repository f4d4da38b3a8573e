// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/display_mode_dialog.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/dialog_widgets.h"

namespace orbitra {

DisplayModeDialog::DisplayModeDialog(const DisplayModeValues& values, Prompter& prompter, QWidget* parent)
    : QDialog(parent), values_(values), prompter_(prompter) {
  setWindowTitle(QStringLiteral("DisplayMode"));

  auto* single = new QRadioButton(QStringLiteral("Single mapping Window"), this);
  single->setObjectName(QStringLiteral("singleWindow"));
  auto* withEvolution = new QRadioButton(QStringLiteral("Mapping Window and  X(n),Y(n) evolution"), this);
  withEvolution->setObjectName(QStringLiteral("withEvolution"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(this, buttons);
  auto* page = new QVBoxLayout(this);
  page->addWidget(single);
  page->addWidget(withEvolution);
  page->addLayout(buttons);

  exchange_.BindRadioGroup({single, withEvolution}, &values_.mode);
  exchange_.WriteAll();
}

void DisplayModeDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
