// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace orbitra {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Orbitra"));

  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/icons/orbitra.png")).pixmap(32, 32));
  auto* name = new QLabel(QStringLiteral("Orbitra Version %1").arg(QStringLiteral(ORBITRA_VERSION)), this);
  name->setObjectName(QStringLiteral("programName"));
  auto* note = new QLabel(QStringLiteral("An explorer of two-dimensional iterated maps"), this);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(note);
  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addLayout(texts);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace orbitra
