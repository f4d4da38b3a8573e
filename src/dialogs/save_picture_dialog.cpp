// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/save_picture_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_widgets.h"

namespace orbitra {

namespace {

// The list's texts, with the pixel size each gives.
QString SizeText(PictureScale scale, std::int32_t shownWidth, std::int32_t shownHeight) {
  if (scale == PictureScale::WidthByHeight) return QStringLiteral("Width by height");
  const PictureSize size = ChoosePictureSize(scale, shownWidth, shownHeight, 0, 0);
  const QString name = scale == PictureScale::AsShown ? QStringLiteral("1x as shown")
                                                       : QStringLiteral("%1x").arg(static_cast<int>(scale) + 1);
  return QStringLiteral("%1 (%2 by %3)").arg(name).arg(size.width).arg(size.height);
}

}  // namespace

SavePictureDialog::SavePictureDialog(const SavePictureValues& values, Prompter& prompter,
                                     PictureFileChooser chooser, QWidget* parent, bool offerPlotOnly)
    : QDialog(parent), values_(values), prompter_(prompter), chooser_(std::move(chooser)) {
  setWindowTitle(QStringLiteral("Save picture"));

  QLineEdit* fileName = MakeField(this, QStringLiteral("fileName"));
  fileName->setMinimumWidth(320);
  auto* browse = new QPushButton(QStringLiteral("Browse"), this);
  browse->setObjectName(QStringLiteral("browse"));
  browse->setAutoDefault(false);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileName, 1);
  fileRow->addWidget(browse);

  auto* size = new QComboBox(this);
  size->setObjectName(QStringLiteral("size"));
  for (int i = 0; i < kPictureScaleCount; ++i) {
    size->addItem(SizeText(static_cast<PictureScale>(i), values_.width, values_.height));
  }
  width_ = MakeField(this, QStringLiteral("width"));
  height_ = MakeField(this, QStringLiteral("height"));
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Size"), this), 0, 0);
  grid->addWidget(size, 0, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Width"), this), 1, 0);
  grid->addWidget(width_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Height"), this), 1, 2);
  grid->addWidget(height_, 1, 3);
  auto* plotOnly = new QCheckBox(QStringLiteral("Plot only (no status or mouse lines)"), this);
  plotOnly->setObjectName(QStringLiteral("plotOnly"));
  grid->addWidget(plotOnly, 2, 0, 1, 4);
  plotOnly->setVisible(offerPlotOnly);

  note_ = new QLabel(QString::fromUtf8(kUnkeptPointsNote), this);
  note_->setObjectName(QStringLiteral("unkeptNote"));
  note_->setWordWrap(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(this, buttons);
  auto* page = new QVBoxLayout(this);
  page->addWidget(new QLabel(QStringLiteral("File name"), this));
  page->addLayout(fileRow);
  page->addLayout(grid);
  page->addWidget(note_);
  page->addStretch();
  page->addLayout(buttons);

  exchange_.BindText(fileName, &values_.fileName);
  exchange_.BindComboIndex(size, &values_.scale);
  exchange_.BindIntRange(width_, &values_.width, 1, kLargestPictureSide);
  exchange_.BindIntRange(height_, &values_.height, 1, kLargestPictureSide);
  exchange_.BindCheck(plotOnly, &values_.plotOnly);
  exchange_.WriteAll();
  SizeChosen(values_.scale);

  connect(browse, &QPushButton::clicked, this, [this, fileName] {
    if (!chooser_) return;
    const QString chosen = chooser_(this, fileName->text());
    if (!chosen.isEmpty()) fileName->setText(chosen);
  });
  connect(size, &QComboBox::currentIndexChanged, this, &SavePictureDialog::SizeChosen);
}

void SavePictureDialog::SizeChosen(int position) {
  const bool custom = position == static_cast<int>(PictureScale::WidthByHeight);
  width_->setEnabled(custom);
  height_->setEnabled(custom);
  SavePictureValues chosen = values_;
  chosen.scale = position;
  note_->setVisible(WarnOfUnkeptPoints(chosen));
}

void SavePictureDialog::accept() {
  if (!exchange_.ReadAll(prompter_)) return;
  QDialog::accept();
}

}  // namespace orbitra
