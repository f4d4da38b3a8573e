// SPDX-License-Identifier: GPL-3.0-or-later
// "Controls", "DisplayMode" and "GBox settings": opening values, validation, what "OK"
// and "Cancel" apply, and "reconstruction" rebuilding the buffer with the dialog open.

#include "dialogs/box_settings_dialog.h"
#include "dialogs/controls_dialog.h"
#include "dialogs/dialog_commands.h"  // first: it brings the storage records before any Qt header
#include "dialogs/display_mode_dialog.h"
#include "dialogs_test_support.h"
#include "explorer/startup.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
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

class ControlsDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void controlsOpenWithTheStartUpSettings() {
    Fixture f;
    ControlsDialog dialog(PrepareControlsDialog(f.state), f.prompter);
    QCOMPARE(dialog.windowTitle(), QString("Controls"));
    QVERIFY(Checked(dialog, "storeInBuffer"));
    QVERIFY(Checked(dialog, "showBufferPoints"));
    QVERIFY(Checked(dialog, "boldPoints"));
    QVERIFY(!Checked(dialog, "restrictToBox"));
    QVERIFY(!Checked(dialog, "showStreamPoints"));
    QVERIFY(!Checked(dialog, "bufferInBlack"));
    QCOMPARE(Control<QCheckBox>(dialog, "restrictToBox")->text(), QString("Data are restricted by graphic box"));
    QCOMPARE(FieldText(dialog, "bufferCapacity"), QString("1000000"));
    QCOMPARE(FieldText(dialog, "memoryKb"), QString("23438"));  // 24000000 bytes
    QCOMPARE(FieldText(dialog, "diskKb"), QString("0"));
    QVERIFY(Control(dialog, "memoryKb")->isReadOnly());
    QCOMPARE(FieldText(dialog, "infoEvery"), QString("10"));
    QCOMPARE(FieldText(dialog, "continueIterations"), QString("1000"));
    QCOMPARE(FieldText(dialog, "infinity"), QString("10000"));
  }

  void controlsValidateInMemberOrder() {
    Fixture f;
    ControlsDialog dialog(PrepareControlsDialog(f.state), f.prompter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    SetField(dialog, "continueIterations", "x");
    SetField(dialog, "infoEvery", "-1");  // comes first among the members
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter a positive integer."});
    QCOMPARE(QApplication::focusWidget(), Control(dialog, "infoEvery"));
    QCOMPARE(Control(dialog, "infoEvery")->selectedText(), QString("-1"));
    QVERIFY(dialog.isVisible());

    f.prompter.shown.clear();
    SetField(dialog, "infoEvery", "0");  // no status refresh during a run: accepted
    SetField(dialog, "continueIterations", "4294967295");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter an integer between 0 and 2147483647."});
    QCOMPARE(QApplication::focusWidget(), Control(dialog, "continueIterations"));
  }

  void controlsCommandRepaintsWhicheverButtonAndAppliesOnOkOnly() {
    Fixture f;
    WhenDialogOpens<ControlsDialog>([](ControlsDialog& d) {
      Control<QCheckBox>(d, "bufferInBlack")->setChecked(true);
      SetField(d, "infoEvery", "25");
      d.reject();
    });
    QCOMPARE(ControlsCommand(nullptr, f.state, f.prompter), Invalidation::WithErase);
    QCOMPARE(f.state.Run.Settings.BufferInBlack, 0);
    QCOMPARE(f.state.Run.Settings.InfoEvery, 10);

    WhenDialogOpens<ControlsDialog>([](ControlsDialog& d) {
      Control<QCheckBox>(d, "bufferInBlack")->setChecked(true);
      SetField(d, "infoEvery", "25");
      SetField(d, "infinity", " 1e6 ");
      SetField(d, "bufferCapacity", "500");  // only "reconstruction" applies it
      Control<QPushButton>(d, "ok")->click();
    });
    QCOMPARE(ControlsCommand(nullptr, f.state, f.prompter), Invalidation::WithErase);
    QCOMPARE(f.state.Run.Settings.BufferInBlack, 1);
    QCOMPARE(f.state.Run.Settings.InfoEvery, 25);
    QCOMPARE(f.state.Run.Settings.InfinityValue, 1e6);
    QCOMPARE(f.state.Store.BufferCapacity, 1000000);
  }

  void reconstructionRebuildsTheBufferAndKeepsTheDialogOpen() {
    Fixture f;
    bool stillOpen = false;
    QString memoryShown;
    QString infoEveryShown;
    WhenDialogOpens<ControlsDialog>([&](ControlsDialog& d) {
      SetField(d, "infoEvery", "25");
      SetField(d, "bufferCapacity", "500");
      // Enter on the focused button presses it, not "OK".
      auto* reconstruction = Control<QPushButton>(d, "reconstruction");
      reconstruction->setFocus();
      QTest::keyClick(reconstruction, Qt::Key_Return);
      stillOpen = d.isVisible();
      memoryShown = FieldText(d, "memoryKb");
      infoEveryShown = FieldText(d, "infoEvery");
      d.reject();  // does not undo the rebuilt buffer
    });
    ControlsCommand(nullptr, f.state, f.prompter);
    QVERIFY(stillOpen);
    QVERIFY(f.prompter.shown.empty());  // an empty buffer: nothing to ask
    QCOMPARE(f.state.Store.BufferCapacity, 500);
    QCOMPARE(f.state.Store.slotCount, 500);
    QCOMPARE(memoryShown, QString("12"));  // 12000 bytes, a started kilobyte counts
    QCOMPARE(infoEveryShown, QString("25"));
    QCOMPARE(f.state.Run.Settings.InfoEvery, 10);

    // Cancelling the question leaves capacity and points alone.
    f.state.Store.Buf = 2;
    f.prompter.answers = {Answer::Cancel};
    WhenDialogOpens<ControlsDialog>([](ControlsDialog& d) {
      SetField(d, "bufferCapacity", "100");
      Control<QPushButton>(d, "reconstruction")->click();
      d.reject();
    });
    ControlsCommand(nullptr, f.state, f.prompter);
    QCOMPARE(f.prompter.shown,
             std::vector<std::string>{"Current data in buffer will be lost\n - Do you want to save them in disk-stream?"});
    QCOMPARE(f.state.Store.BufferCapacity, 500);
    QCOMPARE(f.state.Store.Buf, 2);
  }

  void displayModeDialog() {
    Fixture f;
    {
      DisplayModeDialog dialog(PrepareDisplayModeDialog(f.state), f.prompter);
      QCOMPARE(dialog.windowTitle(), QString("DisplayMode"));
      QVERIFY(Control<QRadioButton>(dialog, "singleWindow")->isChecked());
      QCOMPARE(Control<QRadioButton>(dialog, "withEvolution")->text(),
               QString("Mapping Window and  X(n),Y(n) evolution"));
    }
    WhenDialogOpens<DisplayModeDialog>([](DisplayModeDialog& d) {
      Control<QRadioButton>(d, "withEvolution")->setChecked(true);
      d.reject();
    });
    QCOMPARE(DisplayModeCommand(nullptr, f.state, f.prompter), Invalidation::None);
    QCOMPARE(f.state.Run.Settings.DisplayMode, 0);
    WhenDialogOpens<DisplayModeDialog>([](DisplayModeDialog& d) {
      Control<QRadioButton>(d, "withEvolution")->setChecked(true);
      Control<QPushButton>(d, "ok")->click();
    });
    QCOMPARE(DisplayModeCommand(nullptr, f.state, f.prompter), Invalidation::WithErase);
    QCOMPARE(f.state.Run.Settings.DisplayMode, 1);
  }

  void boxSettingsOpenWithTheBox() {
    Fixture f;
    BoxSettingsDialog dialog(ReadBoxSettings(f.state.Boxes.XYBox), f.prompter);
    QCOMPARE(dialog.windowTitle(), QString("GBox settings"));
    QCOMPARE(FieldText(dialog, "xmin"), QString("0"));
    QCOMPARE(FieldText(dialog, "xmax"), QString("7"));  // 2 pi rounded outward
    QCOMPARE(FieldText(dialog, "ymax"), QString("7"));
    QCOMPARE(FieldText(dialog, "leftPct"), QString("50"));
    QCOMPARE(FieldText(dialog, "topPct"), QString("5"));
    QCOMPARE(FieldText(dialog, "rightPct"), QString("95"));
    QCOMPARE(FieldText(dialog, "bottomPct"), QString("50"));
    QCOMPARE(FieldText(dialog, "label"), QString("Standard Map"));
    QCOMPARE(FieldText(dialog, "ticksX"), QString("10"));
    QCOMPARE(FieldText(dialog, "tickWidthX"), QString("3"));
    QCOMPARE(FieldText(dialog, "tickWidthY"), QString("1"));
    QCOMPARE(FieldText(dialog, "digitsX"), QString("1"));
    for (const char* flag : {"visible", "fatBorder", "showLabels", "showTicks", "roundScales"}) {
      QVERIFY2(Checked(dialog, flag), flag);
    }
  }

  void boxPercentagesAreOneToHundred() {
    Fixture f;
    BoxSettingsDialog dialog(ReadBoxSettings(f.state.Boxes.GBox), f.prompter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    SetField(dialog, "leftPct", "0");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter an integer between 1 and 100."});
    QCOMPARE(QApplication::focusWidget(), Control(dialog, "leftPct"));
    QCOMPARE(Control(dialog, "leftPct")->selectedText(), QString("0"));

    // The bottom percentage is the dialog's first member.
    f.prompter.shown.clear();
    SetField(dialog, "leftPct", "101");
    SetField(dialog, "bottomPct", "0");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown.size(), std::size_t{1});
    QCOMPARE(QApplication::focusWidget(), Control(dialog, "bottomPct"));
    QVERIFY(dialog.isVisible());

    Control(dialog, "label")->clear();
    QTest::keyClicks(Control(dialog, "label"), QString(65, QChar('a')));
    QCOMPARE(FieldText(dialog, "label").size(), 64);
  }

  void boxCommandAppliesOnOkAndCancelOnlyRepaints() {
    Fixture f;
    PlotBox& box = f.state.Boxes.GBox;
    box.Xmin = 0;
    box.Xmax = 3.2;  // rounded once already: a second rounding would make it 4
    const BoxSettings before = ReadBoxSettings(box);
    WhenDialogOpens<BoxSettingsDialog>([](BoxSettingsDialog& d) {
      SetField(d, "label", "changed");
      d.reject();
    });
    // Nothing applied, but a full repaint as after every closing (a zoom rectangle goes).
    QCOMPARE(EditBoxCommand(nullptr, f.state, box, f.prompter), Invalidation::WithErase);
    QVERIFY(ReadBoxSettings(box) == before);

    WhenDialogOpens<BoxSettingsDialog>([](BoxSettingsDialog& d) {
      Control<QCheckBox>(d, "roundScales")->setChecked(false);
      SetField(d, "xmax", "2.5");
      SetField(d, "label", "phase");
      SetField(d, "ticksY", "-3");  // tick settings are whole numbers without a range
      Control<QPushButton>(d, "ok")->click();
    });
    QCOMPARE(EditBoxCommand(nullptr, f.state, box, f.prompter), Invalidation::WithErase);
    QCOMPARE(box.Xmax, 2.5);
    QCOMPARE(box.Label, std::string("phase"));
    QCOMPARE(box.RoundScales, 0);
    QVERIFY(f.prompter.shown.empty());
  }
};

}  // namespace orbitra

QTEST_MAIN(orbitra::ControlsDialogsTest)
#include "dialogs_controls.moc"
