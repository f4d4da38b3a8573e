// SPDX-License-Identifier: GPL-3.0-or-later
// "Export data": opening values, remembered options, refilled bounds, "Browse", and an
// export from the dialog to the file.

// The storage records come before any Qt header: they use a name that Qt defines as a macro.
#include "explorer/export_command.h"
#include "storage/point_buffer.h"

#include "dialogs/dialog_commands.h"
#include "dialogs/export_data_dialog.h"
#include "dialogs_test_support.h"
#include "explorer/startup.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace orbitra {

using dialogtest::Control;
using dialogtest::FieldText;
using dialogtest::RecordingPrompter;
using dialogtest::SetField;
using dialogtest::WhenDialogOpens;
using Fixture = dialogtest::StartedState;
using dialogtest::Checked;

class ExportDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensWithTheRememberedOptionsAndTheBoxRange() {
    Fixture f;
    ExportDataDialog dialog(PrepareExportDialog(f.state), f.prompter);
    QCOMPARE(dialog.windowTitle(), QString("Export data"));
    QCOMPARE(FieldText(dialog, "fileName"), QString("test.dat"));
    QVERIFY(Checked(dialog, "memoryBuffer"));
    QVERIFY(!Checked(dialog, "diskStream"));
    QVERIFY(!Checked(dialog, "lastTrajectory"));
    QVERIFY(!Checked(dialog, "highAccuracy"));
    QCOMPARE(Control<QCheckBox>(dialog, "memoryBuffer")->text(), QString("Memory-Buffer points "));
    QCOMPARE(FieldText(dialog, "xLower"), QString("0"));
    QCOMPARE(FieldText(dialog, "xUpper"), QString("7"));
    QCOMPARE(FieldText(dialog, "yLower"), QString("0"));
    QCOMPARE(FieldText(dialog, "yUpper"), QString("7"));
  }

  void optionsAreRememberedAndBoundsRefilled() {
    Fixture f;
    WhenDialogOpens<ExportDataDialog>([](ExportDataDialog& d) {
      Control<QCheckBox>(d, "memoryBuffer")->setChecked(false);
      Control<QCheckBox>(d, "lastTrajectory")->setChecked(true);
      Control<QCheckBox>(d, "highAccuracy")->setChecked(true);
      SetField(d, "fileName", "first.dat");
      SetField(d, "xLower", "-100");
      Control<QPushButton>(d, "ok")->click();
    });
    ExportDataCommand(nullptr, f.state, f.prompter);
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"0 points exported (about 0 KBytes)"});
    QVERIFY(QFile::exists(f.dir.filePath("first.dat")));

    f.state.Boxes.XYBox.SetRange(1, 2, 3, 4);
    QStringList shown;
    WhenDialogOpens<ExportDataDialog>([&shown](ExportDataDialog& d) {
      for (const char* box : {"memoryBuffer", "lastTrajectory", "highAccuracy"}) {
        shown << (Checked(d, box) ? "on" : "off");
      }
      for (const char* field : {"fileName", "xLower", "xUpper", "yLower", "yUpper"}) shown << FieldText(d, field);
      // Changes given up with "Cancel" are not remembered.
      Control<QCheckBox>(d, "diskStream")->setChecked(true);
      SetField(d, "fileName", "second.dat");
      d.reject();
    });
    QCOMPARE(ExportDataCommand(nullptr, f.state, f.prompter), Invalidation::None);
    QCOMPARE(shown, QStringList({"off", "on", "on", "first.dat", "1", "3", "2", "4"}));
    QCOMPARE(f.state.Export.FileName, std::string("first.dat"));
    QVERIFY(!f.state.Export.DiskStream);
    QVERIFY(!QFile::exists(f.dir.filePath("second.dat")));
  }

  void browseTurnsThePickedNameIntoADatFile() {
    Fixture f;
    QString offered = "/data/run.v2/orbit.txt";
    int asked = 0;
    ExportDataDialog dialog(PrepareExportDialog(f.state), f.prompter, nullptr, [&](QWidget*) {
      ++asked;
      return offered;
    });
    SetField(dialog, "xLower", "typed");  // Browse leaves the other fields as they are
    auto* browse = Control<QPushButton>(dialog, "browse");
    browse->click();
    QCOMPARE(asked, 1);
    QCOMPARE(FieldText(dialog, "fileName"), QString("/data/run.v2/orbit.dat"));
    QCOMPARE(FieldText(dialog, "xLower"), QString("typed"));
    QVERIFY(f.prompter.shown.empty());
    QCOMPARE(dialog.result(), 0);

    offered = "/data/run.v2/orbit";  // no extension in the file name: ".dat" appended
    browse->click();
    QCOMPARE(FieldText(dialog, "fileName"), QString("/data/run.v2/orbit.dat"));

    offered.clear();  // cancelled
    SetField(dialog, "fileName", "kept.dat");
    browse->click();
    QCOMPARE(FieldText(dialog, "fileName"), QString("kept.dat"));

    // Enter on the focused button browses; it does not export.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    browse->setFocus();
    QTest::keyClick(browse, Qt::Key_Return);
    QCOMPARE(asked, 4);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
  }

  void invalidBoundKeepsTheDialogOpenAndExportsNothing() {
    Fixture f;
    bool open = false;
    WhenDialogOpens<ExportDataDialog>([&open](ExportDataDialog& d) {
      SetField(d, "yLower", "low");
      Control<QPushButton>(d, "ok")->click();
      open = d.isVisible();
      d.reject();
    });
    ExportDataCommand(nullptr, f.state, f.prompter);
    QVERIFY(open);
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter a number."});
    QVERIFY(!QFile::exists(f.dir.filePath("test.dat")));
  }

  void exportFromTheDialogToTheFile() {
    Fixture f;
    StorePoint(f.state.Store, 0.5, -1.25, 0);
    StorePoint(f.state.Store, 2.0, 3.0, 4);
    StorePoint(f.state.Store, 9.5, 1.0, 0);  // outside the rectangle typed below
    WhenDialogOpens<ExportDataDialog>([](ExportDataDialog& d) {
      SetField(d, "xLower", " -1 ");
      SetField(d, "xUpper", "2");  // a bound itself is inside
      SetField(d, "yLower", "-2");
      SetField(d, "yUpper", "5");
      Control<QCheckBox>(d, "highAccuracy")->setChecked(true);
      Control<QPushButton>(d, "ok")->click();
    });
    ExportDataCommand(nullptr, f.state, f.prompter);
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"2 points exported (about 0 KBytes)"});
    QFile file(f.dir.filePath("test.dat"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("0.500000000000 -1.250000000000\n2.000000000000 3.000000000000\n"));
    file.close();

    // The same name again: the export asks before replacing the file.
    f.prompter.shown.clear();
    f.prompter.answers = {Answer::No};
    WhenDialogOpens<ExportDataDialog>([](ExportDataDialog& d) { Control<QPushButton>(d, "ok")->click(); });
    ExportDataCommand(nullptr, f.state, f.prompter);
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"File test.dat exists. Overwrite?"});
  }
};

}  // namespace orbitra

QTEST_MAIN(orbitra::ExportDialogTest)
#include "dialogs_export.moc"
