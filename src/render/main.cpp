// SPDX-License-Identifier: GPL-3.0-or-later
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include <QGuiApplication>

#include "render/render_program.h"

namespace {

// Qt's notes about the desktop session (no runtime folder, no display) mean nothing to a
// program that writes files; only its errors reach the user.
void KeepQtErrorsOnly(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "orbitra-render: " << message.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  // Text needs fonts, fonts a QGuiApplication, and that a platform: unless the caller chose
  // one, draw offscreen, so that no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(KeepQtErrorsOnly);
  // Qt takes some options of its own out of argv ("--session" among them): the program's
  // arguments are kept before it sees them.
  const std::vector<std::string> given(argv, argv + argc);
  QGuiApplication application(argc, argv);
  QStringList arguments;
  for (const std::string& argument : given) arguments.append(QString::fromLocal8Bit(argument));
  QCoreApplication::setApplicationName(QStringLiteral("orbitra-render"));
  // Qt takes the user's locale for the C library too; numbers keep their decimal point.
  std::setlocale(LC_NUMERIC, "C");
  return orbitra::RunRenderProgram(arguments, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
