// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/rotation_profile_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "dialogs/dialog_widgets.h"

namespace orbitra {

RotationProfileDialog::RotationProfileDialog(const RotationProfileValues& values, Prompter& prompter, QWidget* parent)
    : QDialog(parent), values_(values), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Rotation Profile"));
  auto* form = new QFormLayout(this);
  points_ = MakeField(this, QStringLiteral("points"));
  transient_ = MakeField(this, QStringLiteral("transient"));
  iterations_ = MakeField(this, QStringLiteral("iterations"));
  points_->setText(QString::number(values.points));
  transient_->setText(QString::number(values.transient));
  iterations_->setText(QString::number(values.iterations));
  form->addRow(QStringLiteral("Points along the segment"), points_);
  form->addRow(QStringLiteral("Transient"), transient_);
  form->addRow(QStringLiteral("Iterations counted"), iterations_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &RotationProfileDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &RotationProfileDialog::reject);
  form->addRow(buttons);
  ShowStartOfFields(*this);
}

void RotationProfileDialog::accept() {
  RotationProfileValues read;
  if (!(ReadWholeField(points_, prompter_, read.points) && ReadWholeField(transient_, prompter_, read.transient) &&
        ReadWholeField(iterations_, prompter_, read.iterations))) {
    return;
  }
  if (const std::optional<std::string> problem = CheckRotationProfileValues(read)) {
    prompter_.ShowMessage(*problem);
    return;
  }
  values_ = read;
  QDialog::accept();
}

}  // namespace orbitra
