// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/export_data_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_widgets.h"

namespace orbitra {

QString ChooseExportFile(QWidget* parent) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Export file"), QString(),
                                      QStringLiteral("ASCII data file (*.dat);;All Files (*)"), nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

ExportDataDialog::ExportDataDialog(const ExportDialogValues& values, Prompter& prompter, QWidget* parent,
                                   SaveFileChooser chooser)
    : QDialog(parent), values_(values), prompter_(prompter), chooser_(std::move(chooser)) {
  setWindowTitle(QStringLiteral("Export data"));

  // Left column: the points to include and the precision.
  auto* include = new QGroupBox(QStringLiteral("Include"), this);
  auto* lastTrajectory = new QCheckBox(QStringLiteral("Last Trajectory"), include);
  lastTrajectory->setObjectName(QStringLiteral("lastTrajectory"));
  auto* memoryBuffer = new QCheckBox(QStringLiteral("Memory-Buffer points "), include);
  memoryBuffer->setObjectName(QStringLiteral("memoryBuffer"));
  auto* diskStream = new QCheckBox(QStringLiteral("Disk-Buffer points"), include);
  diskStream->setObjectName(QStringLiteral("diskStream"));
  auto* includeColumn = new QVBoxLayout(include);
  includeColumn->addWidget(lastTrajectory);
  includeColumn->addWidget(memoryBuffer);
  includeColumn->addWidget(diskStream);
  auto* highAccuracy = new QCheckBox(QStringLiteral("High accuracy (12digits)"), this);
  highAccuracy->setObjectName(QStringLiteral("highAccuracy"));
  auto* left = new QVBoxLayout;
  left->addWidget(include);
  left->addWidget(highAccuracy);
  left->addStretch();

  // Right column: the file and the rectangle.
  QLineEdit* fileName = MakeField(this, QStringLiteral("fileName"));
  fileName->setMinimumWidth(240);
  auto* browse = new QPushButton(QStringLiteral("Browse"), this);
  browse->setObjectName(QStringLiteral("browse"));
  QLineEdit* xLower = MakeField(this, QStringLiteral("xLower"));
  QLineEdit* xUpper = MakeField(this, QStringLiteral("xUpper"));
  QLineEdit* yLower = MakeField(this, QStringLiteral("yLower"));
  QLineEdit* yUpper = MakeField(this, QStringLiteral("yUpper"));
  auto* bounds = new QGridLayout;
  bounds->addWidget(xLower, 0, 0);
  bounds->addWidget(new QLabel(QStringLiteral("<x<"), this), 0, 1);
  bounds->addWidget(xUpper, 0, 2);
  bounds->addWidget(yLower, 1, 0);
  bounds->addWidget(new QLabel(QStringLiteral("<y<"), this), 1, 1);
  bounds->addWidget(yUpper, 1, 2);
  auto* browseRow = new QHBoxLayout;
  browseRow->addWidget(browse);
  browseRow->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(QStringLiteral("File name"), this));
  right->addWidget(fileName);
  right->addLayout(browseRow);
  right->addWidget(new QLabel(QStringLiteral("Data restriction"), this));
  right->addLayout(bounds);
  right->addStretch();

  LayOutTwoColumnPage(this, left, 0, right, 1);

  // Member order decides which invalid entry is reported first.
  exchange_.BindCheck(memoryBuffer, &values_.memoryBuffer);
  exchange_.BindCheck(diskStream, &values_.diskStream);
  exchange_.BindCheck(lastTrajectory, &values_.lastTrajectory);
  exchange_.BindText(fileName, &values_.fileName);
  exchange_.BindDouble(xUpper, &values_.xUpper);
  exchange_.BindDouble(xLower, &values_.xLower);
  exchange_.BindDouble(yUpper, &values_.yUpper);
  exchange_.BindDouble(yLower, &values_.yLower);
  exchange_.BindCheck(highAccuracy, &values_.highAccuracy);
  exchange_.WriteAll();

  connect(browse, &QPushButton::clicked, this, &ExportDataDialog::Browse);
}

void ExportDataDialog::Browse() {
  if (!chooser_) return;
  const QString chosen = chooser_(this);
  if (chosen.isEmpty()) return;
  values_.fileName = BrowseResultToFileName(chosen.toStdString());
  exchange_.Write({&values_.fileName});
}

void ExportDataDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
