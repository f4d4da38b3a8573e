// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QDialog>
#include <QString>

#include "dialogs/data_exchange.h"
#include "explorer/picture.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace orbitra {

// Asks for the file "Browse" picks, starting from the name in the field; an empty result
// means the user cancelled.
using PictureFileChooser = std::function<QString(QWidget* parent, const QString& current)>;

// "Save picture": the file name (with "Browse"), and the size: the picture as shown, two to
// four times as large, or a width and height; whether to keep only the boxes ("Plot only");
// a note says when a size drawn anew lacks points that the screen shows. What "OK" does is
// up to the caller, with Values().
class SavePictureDialog : public QDialog {
 public:
  // Without `offerPlotOnly` (a sweep window's picture, which has no status lines) the
  // "Plot only" box is not shown.
  SavePictureDialog(const SavePictureValues& values, Prompter& prompter, PictureFileChooser chooser,
                    QWidget* parent = nullptr, bool offerPlotOnly = true);

  const SavePictureValues& Values() const { return values_; }

  void accept() override;

 private:
  // The width and height fields count only for "Width by height"; the note shows when the
  // chosen size lacks points.
  void SizeChosen(int position);

  SavePictureValues values_;
  Prompter& prompter_;
  PictureFileChooser chooser_;
  DataExchange exchange_;
  QLineEdit* width_ = nullptr;
  QLineEdit* height_ = nullptr;
  QLabel* note_ = nullptr;
};

}  // namespace orbitra
