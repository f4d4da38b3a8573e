// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/box_settings_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_widgets.h"

namespace orbitra {
BoxSettingsDialog::BoxSettingsDialog(const BoxSettings& values, Prompter& prompter, QWidget* parent)
    : QDialog(parent), values_(values), prompter_(prompter) {
  setWindowTitle(QStringLiteral("GBox settings"));

  // Left column: "Visible", the range, then the other flags.
  QCheckBox* visible = MakeCheckBox(this, QStringLiteral("Visible"), QStringLiteral("visible"));
  QLineEdit* xmin = MakeField(this, QStringLiteral("xmin"));
  QLineEdit* xmax = MakeField(this, QStringLiteral("xmax"));
  QLineEdit* ymin = MakeField(this, QStringLiteral("ymin"));
  QLineEdit* ymax = MakeField(this, QStringLiteral("ymax"));
  auto* range = new QFormLayout;
  range->addRow(QStringLiteral("Xmin"), xmin);
  range->addRow(QStringLiteral("Xmax"), xmax);
  range->addRow(QStringLiteral("Ymin"), ymin);
  range->addRow(QStringLiteral("Ymax"), ymax);
  QCheckBox* fatBorder = MakeCheckBox(this, QStringLiteral("Fat Border"), QStringLiteral("fatBorder"));
  QCheckBox* showLabels = MakeCheckBox(this, QStringLiteral("Show labels"), QStringLiteral("showLabels"));
  QCheckBox* showTicks = MakeCheckBox(this, QStringLiteral("Show Ticks"), QStringLiteral("showTicks"));
  QCheckBox* roundScales = MakeCheckBox(this, QStringLiteral("Round Scales"), QStringLiteral("roundScales"));
  auto* left = new QVBoxLayout;
  left->addWidget(visible);
  left->addLayout(range);
  for (QCheckBox* box : {fatBorder, showLabels, showTicks, roundScales}) left->addWidget(box);
  left->addStretch();

  // Right column: "Screen %", the ticks, the label.
  auto* screen = new QGroupBox(QStringLiteral("Screen %"), this);
  QLineEdit* leftPct = MakeField(screen, QStringLiteral("leftPct"));
  QLineEdit* topPct = MakeField(screen, QStringLiteral("topPct"));
  QLineEdit* rightPct = MakeField(screen, QStringLiteral("rightPct"));
  QLineEdit* bottomPct = MakeField(screen, QStringLiteral("bottomPct"));
  auto* screenGrid = new QGridLayout(screen);
  screenGrid->addWidget(leftPct, 0, 1);
  screenGrid->addWidget(topPct, 0, 2);
  screenGrid->addWidget(new QLabel(QStringLiteral("<- (L/T)"), screen), 0, 3);
  screenGrid->addWidget(new QLabel(QStringLiteral("(R/B) ->"), screen), 1, 0);
  screenGrid->addWidget(rightPct, 1, 1);
  screenGrid->addWidget(bottomPct, 1, 2);

  auto* ticks = new QGroupBox(QStringLiteral("Ticks        X ------ Y"), this);
  QLineEdit* numberX = MakeField(ticks, QStringLiteral("ticksX"));
  QLineEdit* numberY = MakeField(ticks, QStringLiteral("ticksY"));
  QLineEdit* widthX = MakeField(ticks, QStringLiteral("tickWidthX"));
  QLineEdit* widthY = MakeField(ticks, QStringLiteral("tickWidthY"));
  QLineEdit* digitsX = MakeField(ticks, QStringLiteral("digitsX"));
  QLineEdit* digitsY = MakeField(ticks, QStringLiteral("digitsY"));
  auto* ticksGrid = new QGridLayout(ticks);
  ticksGrid->addWidget(new QLabel(QStringLiteral("Number"), ticks), 0, 0);
  ticksGrid->addWidget(numberX, 0, 1);
  ticksGrid->addWidget(numberY, 0, 2);
  ticksGrid->addWidget(new QLabel(QStringLiteral("Width(%)"), ticks), 1, 0);
  ticksGrid->addWidget(widthX, 1, 1);
  ticksGrid->addWidget(widthY, 1, 2);
  ticksGrid->addWidget(new QLabel(QStringLiteral("Digits"), ticks), 2, 0);
  ticksGrid->addWidget(digitsX, 2, 1);
  ticksGrid->addWidget(digitsY, 2, 2);

  QLineEdit* label = MakeField(this, QStringLiteral("label"));
  auto* right = new QVBoxLayout;
  right->addWidget(screen);
  right->addWidget(ticks);
  right->addWidget(new QLabel(QStringLiteral("Label/title"), this));
  right->addWidget(label);
  right->addStretch();

  LayOutTwoColumnPage(this, left, 0, right, 0);

  // Member order decides which invalid entry is reported first.
  exchange_.BindIntRange(bottomPct, &values_.BottomPct, 1, 100);
  exchange_.BindIntRange(rightPct, &values_.RightPct, 1, 100);
  exchange_.BindIntRange(leftPct, &values_.LeftPct, 1, 100);
  exchange_.BindIntRange(topPct, &values_.TopPct, 1, 100);
  exchange_.BindDouble(xmax, &values_.Xmax);
  exchange_.BindDouble(xmin, &values_.Xmin);
  exchange_.BindDouble(ymax, &values_.Ymax);
  exchange_.BindDouble(ymin, &values_.Ymin);
  exchange_.BindText(label, &values_.Label, kLabelLimit);
  exchange_.BindCheck(visible, &values_.Visible);
  exchange_.BindCheck(fatBorder, &values_.FatBorder);
  exchange_.BindCheck(showLabels, &values_.ShowLabels);
  exchange_.BindCheck(showTicks, &values_.ShowTicks);
  exchange_.BindInt(digitsX, &values_.DigitsX);
  exchange_.BindInt(digitsY, &values_.DigitsY);
  exchange_.BindInt(numberX, &values_.TicksX);
  exchange_.BindInt(numberY, &values_.TicksY);
  exchange_.BindInt(widthX, &values_.TickWidthX);
  exchange_.BindInt(widthY, &values_.TickWidthY);
  exchange_.BindCheck(roundScales, &values_.RoundScales);
  exchange_.WriteAll();
}

void BoxSettingsDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
