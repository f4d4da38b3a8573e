// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the shell tests of the sweep windows: orbitra-render run in a folder, a
// window's work waited for, and a window's picture compared with a PNG.
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <optional>

#include "app/sweep_window.h"
#include "platform/canvas.h"

namespace orbitra::sweeptest {

// orbitra-render's exit code, -1 when it did not end normally within two minutes.
inline int RunRender(const QString& folder, const QStringList& arguments) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.start(QStringLiteral(ORBITRA_RENDER_PROGRAM), arguments);
  if (!process.waitForFinished(120000)) return -1;
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

inline void Finish(SweepWindow& window) {
  while (window.View().Working()) QTest::qWait(10);
  window.PollNow();
}

// The first pixel where the picture and the image differ ("x,y"), or how many of the
// picture's pixels are dark when none does.
struct Comparison {
  std::optional<QString> difference;
  int dark = 0;
};
inline Comparison ComparePixels(const Canvas& shown, const QImage& image) {
  Comparison result;
  if (image.size() != QSize(shown.Width(), shown.Height())) return {QStringLiteral("size"), 0};
  for (int y = 0; y < shown.Height(); ++y) {
    for (int x = 0; x < shown.Width(); ++x) {
      const Colour c = shown.GetPixel(x, y);
      if (image.pixel(x, y) != qRgb(c.Red(), c.Green(), c.Blue())) return {QString("%1,%2").arg(x).arg(y), 0};
      result.dark += c.Red() < 128 ? 1 : 0;
    }
  }
  return result;
}

}  // namespace orbitra::sweeptest
