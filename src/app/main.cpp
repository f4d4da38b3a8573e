#include <clocale>
#include <filesystem>

#include <QApplication>

#include "app/orbitra_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt takes the user's locale for the C library too; the program's texts and files
  // write numbers with a decimal point whatever the locale.
  std::setlocale(LC_NUMERIC, "C");
  orbitra::OrbitraApp orbitra(std::filesystem::current_path());
  orbitra.Start();
  return QApplication::exec();
}
