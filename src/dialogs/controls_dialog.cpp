// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/controls_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_widgets.h"

namespace orbitra {
namespace {

// "<before> [field] <after>" on one row.
QHBoxLayout* CountRow(QWidget* parent, const QString& before, QLineEdit* field, const QString& after) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(before, parent));
  row->addWidget(field);
  row->addWidget(new QLabel(after, parent));
  return row;
}

}  // namespace

ControlsDialog::ControlsDialog(const ControlsDialogValues& values, Prompter& prompter, QWidget* parent)
    : QDialog(parent), values_(values), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Controls"));

  // Left column: the options from the top, then the two iteration counts.
  QCheckBox* restrict = MakeCheckBox(this, QStringLiteral("Data are restricted by graphic box"),
                                 QStringLiteral("restrictToBox"));
  QCheckBox* store = MakeCheckBox(this, QStringLiteral("Store data in buffer"), QStringLiteral("storeInBuffer"));
  QCheckBox* showBuffer = MakeCheckBox(this, QStringLiteral("Show Buffer points"), QStringLiteral("showBufferPoints"));
  QCheckBox* showStream =
      MakeCheckBox(this, QStringLiteral("Show disk-stream points"), QStringLiteral("showStreamPoints"));
  QCheckBox* black =
      MakeCheckBox(this, QStringLiteral("Display Buffer data in black"), QStringLiteral("bufferInBlack"));
  QCheckBox* bold =
      MakeCheckBox(this, QStringLiteral("Show initial/pressed point in bold"), QStringLiteral("boldPoints"));
  QLineEdit* continueCount = MakeField(this, QStringLiteral("continueIterations"));
  QLineEdit* infoEvery = MakeField(this, QStringLiteral("infoEvery"));
  auto* left = new QVBoxLayout;
  for (QCheckBox* box : {restrict, store, showBuffer, showStream, black, bold}) left->addWidget(box);
  left->addLayout(CountRow(this, QStringLiteral("On continue, run for"), continueCount,
                           QStringLiteral("iterations")));
  left->addLayout(CountRow(this, QStringLiteral("Display info every"), infoEvery, QStringLiteral("iterations")));
  left->addStretch();

  // Right column: the "Buffer" group and the escape threshold.
  auto* buffer = new QGroupBox(QStringLiteral("Buffer"), this);
  QLineEdit* capacity = MakeField(buffer, QStringLiteral("bufferCapacity"));
  auto* reconstruction = new QPushButton(QStringLiteral("reconstruction"), buffer);
  reconstruction->setObjectName(QStringLiteral("reconstruction"));
  QLineEdit* memory = MakeReadOnlyField(buffer, QStringLiteral("memoryKb"));
  QLineEdit* disk = MakeReadOnlyField(buffer, QStringLiteral("diskKb"));
  auto* bufferGrid = new QGridLayout(buffer);
  bufferGrid->addWidget(capacity, 0, 0, 1, 2);
  bufferGrid->addWidget(reconstruction, 0, 2);
  bufferGrid->addWidget(new QLabel(QStringLiteral("Mem (Kb)"), buffer), 1, 0);
  bufferGrid->addWidget(memory, 1, 1);
  bufferGrid->addWidget(new QLabel(QStringLiteral("Disk (Kb)"), buffer), 2, 0);
  bufferGrid->addWidget(disk, 2, 1);
  QLineEdit* infinity = MakeField(this, QStringLiteral("infinity"));
  auto* right = new QVBoxLayout;
  right->addWidget(buffer);
  right->addWidget(new QLabel(QStringLiteral("Set as \"Infinity\" the value"), this));
  right->addWidget(infinity);
  right->addStretch();

  LayOutTwoColumnPage(this, left, 1, right, 0);

  // Member order decides which invalid entry is reported first.
  exchange_.BindCheck(black, &values_.bufferInBlack);
  exchange_.BindCheck(restrict, &values_.restrictToBox);
  exchange_.BindCheck(showStream, &values_.showStreamPoints);
  exchange_.BindCheck(store, &values_.storeInBuffer);
  exchange_.BindCheck(showBuffer, &values_.showBufferPoints);
  exchange_.BindUnsigned(capacity, &values_.bufferCapacity);
  exchange_.BindInt(disk, &values_.diskKb);
  exchange_.BindInt(memory, &values_.memoryKb);
  exchange_.BindUnsigned(infoEvery, &values_.infoEvery);
  exchange_.BindCheck(bold, &values_.boldPoints);
  exchange_.BindUnsigned(continueCount, &values_.continueIterations);
  exchange_.BindDouble(infinity, &values_.infinity);
  exchange_.WriteAll();

  connect(reconstruction, &QPushButton::clicked, this, [this] {
    if (reconstruct_) reconstruct_();
  });
}

std::optional<std::int32_t> ControlsDialog::ReadCapacityFromControls() {
  if (!exchange_.ReadAll(prompter_)) return std::nullopt;
  return values_.bufferCapacity;
}

void ControlsDialog::ShowStoreSizes(std::int32_t diskKb, std::int32_t memoryKb) {
  values_.diskKb = diskKb;
  values_.memoryKb = memoryKb;
  exchange_.Write({&values_.diskKb, &values_.memoryKb});
}

void ControlsDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
