// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "dialogs/data_exchange.h"
#include "storage/export_writer.h"

#include <QDialog>
#include <QString>

namespace orbitra {

// Asks for the file "Browse" picks; an empty result means the user cancelled.
using SaveFileChooser = std::function<QString(QWidget* parent)>;

// The save-file dialog "Export file" with the filters "ASCII data file (*.dat)" and
// "All Files (*)". A new name is accepted, and an existing file is not questioned here:
// the export itself asks before overwriting.
QString ChooseExportFile(QWidget* parent);

// "Export data": which stored points, the rectangle, the precision and the file name,
// with "Browse" to pick the file. What "OK" applies is ApplyExportDialog over Values().
class ExportDataDialog : public QDialog {
 public:
  ExportDataDialog(const ExportDialogValues& values, Prompter& prompter, QWidget* parent = nullptr,
                   SaveFileChooser chooser = ChooseExportFile);

  const ExportDialogValues& Values() const { return values_; }

  void accept() override;

 private:
  // The picked file, with ".dat" in place of its extension, becomes the file name; the
  // other controls keep what the user has typed. The dialog stays open.
  void Browse();

  ExportDialogValues values_;
  Prompter& prompter_;
  SaveFileChooser chooser_;
  DataExchange exchange_;
};

}  // namespace orbitra
