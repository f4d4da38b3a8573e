// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picture_command_handlers.h"

#include <new>

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSettings>

#include "explorer/picture.h"
#include "render/picture_file.h"
#include "render/qt_text_painter.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

constexpr const char* kNoMemoryForPicture = "There is not enough memory for a picture of %d by %d pixels.";

// The picture drawn anew at the chosen size (whole, or without its fixed texts and cut to
// the boxes), written to the target.
FileFailure WriteDrawnPicture(const OrbitraState& state, const PictureSize& size, bool plotOnly,
                              const std::filesystem::path& target) {
  try {
    Canvas canvas(size.width, size.height);
    QtTextPainter painter;
    canvas.SetTextPainter(&painter);
    canvas.SetTextScale(size.textScale);
    canvas.SetFixedTextsShown(!plotOnly);
    canvas.SetMarksShown(!plotOnly);
    DrawPicture(state, canvas);
    if (plotOnly) return WritePicture(PlotOnlyPicture(canvas), target);
    return WritePicture(canvas, target);
  } catch (const std::bad_alloc&) {
    return FormatCounts(kNoMemoryForPicture, {size.width, size.height});
  }
}

// The boxes of the picture on screen, every point it shows included.
FileFailure WriteShownPlot(const Canvas& shown, const std::filesystem::path& target) {
  try {
    return WritePicture(PlotOnlyPicture(shown), target);
  } catch (const std::bad_alloc&) {
    return FormatCounts(kNoMemoryForPicture, {shown.Width(), shown.Height()});
  }
}

// Our own settings, apart from everything else the program keeps.
QSettings PictureSettings() { return QSettings(QStringLiteral("Orbitra"), QStringLiteral("Save Picture")); }

RememberedPictureChoices LoadPictureChoices() {
  const QSettings settings = PictureSettings();
  return RememberedPictureChoices{settings.value(QStringLiteral("folder")).toString().toStdString(),
                                  settings.value(QStringLiteral("size"), 0).toInt(),
                                  settings.value(QStringLiteral("format")).toString().toStdString(),
                                  settings.value(QStringLiteral("plotOnly"), false).toBool()};
}

void StorePictureChoices(const RememberedPictureChoices& choices) {
  QSettings settings = PictureSettings();
  settings.setValue(QStringLiteral("folder"), QString::fromStdString(choices.folder.string()));
  settings.setValue(QStringLiteral("size"), choices.scale);
  settings.setValue(QStringLiteral("format"), QString::fromStdString(choices.extension));
  settings.setValue(QStringLiteral("plotOnly"), choices.plotOnly);
}

}  // namespace

QString ChoosePictureFile(QWidget* parent, const QString& current) {
  QString filter;
  QString chosen = QFileDialog::getSaveFileName(parent, QStringLiteral("Save Picture"), current,
                                                PictureFileFilters(), &filter, QFileDialog::DontConfirmOverwrite);
  if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty()) {
    // The first pattern of the chosen filter, "*.png" in "PNG image (*.png)".
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\*(\\.\\w+)")).match(filter);
    chosen += match.hasMatch() ? match.captured(1) : QStringLiteral(".png");
  }
  return chosen;
}

Invalidation SavePictureCommand(QWidget* parent, const OrbitraState& state, Prompter& prompter, const Canvas& shown,
                                PictureFileChooser chooser) {
  SavePictureValues prepared = PrepareSavePictureDialog(state, shown.Width(), shown.Height());
  ApplyRememberedChoices(prepared, LoadPictureChoices());
  SavePictureDialog dialog(prepared, prompter, std::move(chooser), parent);
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  const SavePictureValues& values = dialog.Values();
  const auto scale = static_cast<PictureScale>(values.scale);
  const PictureSize size = ChoosePictureSize(scale, shown.Width(), shown.Height(), values.width, values.height);
  const std::filesystem::path target = PictureTarget(state, values.fileName);
  if (!ConfirmPictureTarget(target, values, size, prompter)) return Invalidation::None;

  // A plot-only picture is drawn anew (without the marks the screen has), but for points on
  // screen that only the screen keeps.
  const bool drawn = scale != PictureScale::AsShown || (values.plotOnly && state.Run.UnkeptPointsShown == 0);
  const FileFailure failure = drawn             ? WriteDrawnPicture(state, size, values.plotOnly, target)
                              : values.plotOnly ? WriteShownPlot(shown, target)
                                                : WritePicture(shown, target);
  if (failure) {
    prompter.ShowMessage(*failure);
  } else {
    StorePictureChoices(ChoicesToRemember(target, values));
  }
  return Invalidation::None;
}

Invalidation OnSavePicture(CommandHost& host) {
  return SavePictureCommand(host.DialogParent(), host.State(), host.Prompts(), host.ShownPicture());
}

Invalidation OnCopyPicture(CommandHost& host) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(PictureImage(host.ShownPicture()));
  return Invalidation::None;
}

}  // namespace orbitra
