// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/initial_conditions_dialog.h"

#include <QCheckBox>
#include <QComboBox>
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

// A group of two coordinate rows with a "^" button at their right.
QGroupBox* PointGroup(QWidget* parent, const QString& title, const QString& xLabel, QLineEdit* x,
                      const QString& yLabel, QLineEdit* y, QPushButton* up) {
  auto* group = new QGroupBox(title, parent);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(xLabel, group), 0, 0);
  grid->addWidget(x, 0, 1);
  grid->addWidget(new QLabel(yLabel, group), 1, 0);
  grid->addWidget(y, 1, 1);
  if (up != nullptr) grid->addWidget(up, 0, 2, 2, 1);
  return group;
}

QPushButton* UpButton(QWidget* parent, const QString& objectName) {
  auto* up = new QPushButton(QStringLiteral("^"), parent);
  up->setObjectName(objectName);
  up->setMaximumWidth(30);
  return up;
}

}  // namespace

InitialConditionsDialog::InitialConditionsDialog(const InitialConditionsValues& values, Prompter& prompter,
                                                 QWidget* parent)
    : QDialog(parent), values_(values), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Initial conditions"));

  QLineEdit* systemName = MakeReadOnlyField(this, QStringLiteral("systemName"));

  // Left column: the initial point, the mouse point, the last point.
  QLineEdit* x0 = MakeField(this, QStringLiteral("x0"));
  QLineEdit* y0 = MakeField(this, QStringLiteral("y0"));
  auto* initial = new QFormLayout;
  initial->addRow(QStringLiteral("X0 ="), x0);
  initial->addRow(QStringLiteral("Y0 ="), y0);
  QLineEdit* xm = MakeReadOnlyField(this, QStringLiteral("xm"));
  QLineEdit* ym = MakeReadOnlyField(this, QStringLiteral("ym"));
  QPushButton* takeMouse = UpButton(this, QStringLiteral("takeMousePoint"));
  QLineEdit* xc = MakeReadOnlyField(this, QStringLiteral("xc"));
  QLineEdit* yc = MakeReadOnlyField(this, QStringLiteral("yc"));
  QPushButton* takeLast = UpButton(this, QStringLiteral("takeLastPoint"));
  auto* left = new QVBoxLayout;
  left->addLayout(initial);
  left->addWidget(PointGroup(this, QStringLiteral("Mouse Point"), QStringLiteral("Xm ="), xm,
                             QStringLiteral("Ym ="), ym, takeMouse));
  left->addWidget(PointGroup(this, QStringLiteral("Last Point in Trajectory"), QStringLiteral("Xc ="), xc,
                             QStringLiteral("Yc ="), yc, takeLast));
  left->addStretch();

  // Right column: colour, iterations, storage options, the map's parameters.
  auto* colourList = new QComboBox(this);
  colourList->setObjectName(QStringLiteral("colourList"));
  colourList->setEditable(false);
  for (std::string_view name : SortedColourNames()) {
    colourList->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  }
  QLineEdit* iterations = MakeField(this, QStringLiteral("iterations"));
  auto* useOnContinue = new QCheckBox(QStringLiteral("Use this value on Continue Trajectory"), this);
  useOnContinue->setObjectName(QStringLiteral("useOnContinue"));
  auto* storage = new QGroupBox(QStringLiteral("Storage Options"), this);
  auto* onlyInBox = new QCheckBox(QStringLiteral("Only Data in Box"), storage);
  onlyInBox->setObjectName(QStringLiteral("onlyDataInBox"));
  auto* intoBuffer = new QCheckBox(QStringLiteral("Data into Buffer"), storage);
  intoBuffer->setObjectName(QStringLiteral("dataIntoBuffer"));
  auto* storageColumn = new QVBoxLayout(storage);
  storageColumn->addWidget(onlyInBox);
  storageColumn->addWidget(intoBuffer);
  QLineEdit* k1 = MakeReadOnlyField(this, QStringLiteral("k1"));
  QLineEdit* k2 = MakeReadOnlyField(this, QStringLiteral("k2"));
  QLineEdit* k3 = MakeReadOnlyField(this, QStringLiteral("k3"));
  auto* settings = new QFormLayout;
  settings->addRow(QStringLiteral("Color"), colourList);
  settings->addRow(QStringLiteral("Iterations ="), iterations);
  auto* right = new QVBoxLayout;
  right->addLayout(settings);
  right->addWidget(useOnContinue);
  right->addWidget(storage);
  auto* parameters = new QFormLayout;
  parameters->addRow(QStringLiteral("k1="), k1);
  parameters->addRow(QStringLiteral("k2="), k2);
  parameters->addRow(QStringLiteral("k3="), k3);
  right->addLayout(parameters);
  right->addStretch();

  auto* runOnOk = new QCheckBox(QStringLiteral("Run trajectory by pressing Ok"), this);
  runOnOk->setObjectName(QStringLiteral("runOnOk"));
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(runOnOk);
  AddOkCancel(this, bottom);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);
  auto* page = new QVBoxLayout(this);
  page->addWidget(systemName);
  page->addLayout(columns);
  page->addLayout(bottom);

  for (QLineEdit* coordinate : {x0, y0, xm, ym, xc, yc}) FitDoubleDigits(coordinate);

  // Member order decides which invalid entry is reported first.
  exchange_.BindComboIndex(colourList, &values_.colourIndex);
  exchange_.BindCheck(onlyInBox, &values_.onlyDataInBox);
  exchange_.BindCheck(intoBuffer, &values_.dataIntoBuffer);
  exchange_.BindUnsigned(iterations, &values_.iterations);
  exchange_.BindDouble(k1, &values_.k1);
  exchange_.BindDouble(k2, &values_.k2);
  exchange_.BindDouble(k3, &values_.k3);
  exchange_.BindText(systemName, &values_.systemName);
  exchange_.BindDouble(x0, &values_.x0);
  exchange_.BindDouble(xc, &values_.xc);
  exchange_.BindDouble(xm, &values_.xm);
  exchange_.BindDouble(y0, &values_.y0);
  exchange_.BindDouble(yc, &values_.yc);
  exchange_.BindDouble(ym, &values_.ym);
  exchange_.BindCheck(runOnOk, &values_.runOnOk);
  exchange_.BindCheck(useOnContinue, &values_.useOnContinue);
  exchange_.WriteAll();

  // The dialog opens on the first field the user can change.
  x0->setFocus();
  x0->selectAll();

  // The "^" buttons rewrite X0 and Y0 only; other edits not yet confirmed stay.
  connect(takeMouse, &QPushButton::clicked, this, [this] {
    TakeMousePoint(values_);
    exchange_.Write({&values_.x0, &values_.y0});
  });
  connect(takeLast, &QPushButton::clicked, this, [this] {
    TakeLastPoint(values_);
    exchange_.Write({&values_.x0, &values_.y0});
  });
}

void InitialConditionsDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
