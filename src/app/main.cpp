// SPDX-License-Identifier: GPL-3.0-or-later
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <optional>

#include <QApplication>

#include "app/orbitra_app.h"
#include "app/qt_prompter.h"
#include "storage/file_io.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt takes the user's locale for the C library too; the program's texts and files
  // write numbers with a decimal point whatever the locale.
  std::setlocale(LC_NUMERIC, "C");
  // Without a folder for its files the program cannot start; it says why and ends.
  const orbitra::WorkFolder folder = orbitra::CurrentWorkFolder();
  if (folder.failure) {
    std::fprintf(stderr, "orbitra: %s\n", folder.failure->c_str());
    orbitra::QtPrompter().ShowMessage(*folder.failure);
    return 1;
  }
  // "orbitra FILE.orbitra.h5" (as the desktop opens a session) starts with that session.
  const QStringList arguments = QCoreApplication::arguments();
  std::optional<std::filesystem::path> session;
  if (arguments.size() > 1) session = std::filesystem::absolute(arguments.at(1).toStdString());
  orbitra::OrbitraApp orbitra(folder.path);
  orbitra.Start(session);
  return QApplication::exec();
}
