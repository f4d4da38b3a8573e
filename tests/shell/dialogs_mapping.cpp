// SPDX-License-Identifier: GPL-3.0-or-later
// "Mapping System Selection" and "Initial conditions": what they show on opening, what
// the list and the "^" buttons change, validation, and what their commands apply.

#include "dialogs/dialog_commands.h"  // first: it brings the storage records before any Qt header
#include "dialogs/define_map_dialog.h"
#include "dialogs/initial_conditions_dialog.h"
#include "dialogs/mapping_selection_dialog.h"
#include "dialogs_test_support.h"
#include "explorer/startup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QFile>
#include <QtTest>

#include <limits>

namespace orbitra {

using dialogtest::Control;
using dialogtest::FieldText;
using dialogtest::RecordingPrompter;
using dialogtest::SetField;
using dialogtest::WhenDialogOpens;
using Fixture = dialogtest::StartedState;
using dialogtest::Checked;

class MappingDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void selectionOpensWithTheSelectedSystem() {
    Fixture f;
    MappingSelectionDialog dialog(PrepareSelectionDialog(f.state), f.prompter);
    QCOMPARE(dialog.windowTitle(), QString("Mapping System Selection"));
    auto* list = Control<QComboBox>(dialog, "systemList");
    QCOMPARE(list->count(), 10);
    QCOMPARE(list->itemText(0), QString("Standard Map"));
    QCOMPARE(list->itemText(9), QString("Wedge map"));
    QVERIFY(!list->isEditable());
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(FieldText(dialog, "systemNumber"), QString("1"));
    QCOMPARE(FieldText(dialog, "formulaLine1"), QString("x'=x+y (mod 2pi)"));
    QCOMPARE(FieldText(dialog, "formulaLine2"), QString("y'=y+k1 sin(x') (mod 2pi)"));
    QCOMPARE(FieldText(dialog, "k1"), QString("0.7"));
    QCOMPARE(FieldText(dialog, "k2"), QString("0"));
    QCOMPARE(FieldText(dialog, "k3"), QString("0"));
    QCOMPARE(FieldText(dialog, "k4"), QString("0"));
    QVERIFY(Control<QCheckBox>(dialog, "useDefaultRange")->isChecked());
    QCOMPARE(Control<QCheckBox>(dialog, "useDefaultRange")->text(), QString("Use default graphics range "));
    // The formula lines are flat centred text on the dialog's own background.
    for (const char* line : {"formulaLine1", "formulaLine2"}) {
      QVERIFY(!Control(dialog, line)->hasFrame());
      QCOMPARE(Control(dialog, line)->alignment(), Qt::AlignCenter);
      QCOMPARE(Control(dialog, line)->palette().color(QPalette::Base), dialog.palette().color(QPalette::Window));
    }
  }

  void pickingASystemRewritesItsFieldsOnly() {
    Fixture f;
    MappingSelectionDialog dialog(PrepareSelectionDialog(f.state), f.prompter);
    SetField(dialog, "k1", "3.5");
    Control<QCheckBox>(dialog, "useDefaultRange")->setChecked(false);
    Control<QComboBox>(dialog, "systemList")->setCurrentIndex(1);
    QCOMPARE(FieldText(dialog, "systemNumber"), QString("2"));
    QCOMPARE(FieldText(dialog, "k1"), QString("0.95"));
    QCOMPARE(FieldText(dialog, "k2"), QString("1"));
    QCOMPARE(FieldText(dialog, "k3"), QString("-1"));
    QCOMPARE(FieldText(dialog, "k4"), QString("0"));
    QCOMPARE(FieldText(dialog, "formulaLine1"), QString("x'=1-k1 x^2 +k3 y"));
    QCOMPARE(FieldText(dialog, "formulaLine2"), QString("y'=k2 x "));
    QVERIFY(!Control<QCheckBox>(dialog, "useDefaultRange")->isChecked());
    QCOMPARE(f.state.Model.system, 1);
  }

  void invalidParameterKeepsTheSelectionOpen() {
    Fixture f;
    MappingSelectionDialog dialog(PrepareSelectionDialog(f.state), f.prompter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    SetField(dialog, "k4", "1e");
    SetField(dialog, "k2", " 0.25x");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter a number."});
    QCOMPARE(QApplication::focusWidget(), Control(dialog, "k2"));
    QCOMPARE(Control(dialog, "k2")->selectedText(), QString(" 0.25x"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
  }

  void selectionCommandAppliesOnOkOnly() {
    Fixture f;
    WhenDialogOpens<MappingSelectionDialog>([](MappingSelectionDialog& d) {
      Control<QComboBox>(d, "systemList")->setCurrentIndex(1);
      d.reject();
    });
    QCOMPARE(SelectMappingCommand(nullptr, f.state, f.prompter), Invalidation::None);
    QCOMPARE(f.state.Model.system, 1);
    QCOMPARE(f.state.Model.k1, 0.7);
    QCOMPARE(f.state.Boxes.XYBox.Label, std::string("Standard Map"));

    WhenDialogOpens<MappingSelectionDialog>([](MappingSelectionDialog& d) {
      Control<QComboBox>(d, "systemList")->setCurrentIndex(1);
      SetField(d, "k2", " 0.5 ");
      Control<QPushButton>(d, "ok")->click();
    });
    QCOMPARE(SelectMappingCommand(nullptr, f.state, f.prompter), Invalidation::WithErase);
    QCOMPARE(f.state.Model.system, 2);
    QCOMPARE(f.state.Model.k2, 0.5);
    QCOMPARE(f.state.Boxes.XYBox.Label, std::string("Henon D-C Map"));
    QVERIFY(f.prompter.shown.empty());  // nothing stored, nothing asked
  }

  void initialConditionsOpenWithTheStartUpValues() {
    Fixture f;
    InitialConditionsDialog dialog(PrepareInitialConditionsDialog(f.state), f.prompter);
    QCOMPARE(dialog.windowTitle(), QString("Initial conditions"));
    QCOMPARE(FieldText(dialog, "systemName"), QString("Standard Map"));
    QCOMPARE(FieldText(dialog, "k1"), QString("0.7"));
    QCOMPARE(FieldText(dialog, "k2"), QString("0"));
    QCOMPARE(FieldText(dialog, "k3"), QString("0"));
    for (const char* x : {"x0", "xm", "xc"}) QCOMPARE(FieldText(dialog, x), QString("0.5"));
    for (const char* y : {"y0", "ym", "yc"}) QCOMPARE(FieldText(dialog, y), QString("0"));
    QCOMPARE(FieldText(dialog, "iterations"), QString("1000"));
    auto* colours = Control<QComboBox>(dialog, "colourList");
    QVERIFY(!colours->isEditable());
    QCOMPARE(colours->count(), 13);
    QCOMPARE(colours->currentText(), QString("Black"));
    QCOMPARE(colours->itemText(1), QString("Blue"));
    QCOMPARE(colours->itemText(12), QString("Red Light"));
    QVERIFY(Control<QCheckBox>(dialog, "dataIntoBuffer")->isChecked());
    QVERIFY(!Control<QCheckBox>(dialog, "onlyDataInBox")->isChecked());
    QVERIFY(!Control<QCheckBox>(dialog, "runOnOk")->isChecked());
    QVERIFY(!Control<QCheckBox>(dialog, "useOnContinue")->isChecked());
    QVERIFY(Control(dialog, "xm")->isReadOnly());
    QVERIFY(!Control(dialog, "x0")->isReadOnly());
  }

  void readOnlyFieldsLookSoAndCoordinatesShowWhole() {
    Fixture f;
    f.state.Run.MousePoint.x = -0.6313544770895048;
    f.state.Run.CurrentPoint.y = 0.30000000000000004;
    InitialConditionsDialog dialog(PrepareInitialConditionsDialog(f.state), f.prompter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // It opens on X0, the first field the user can change.
    QCOMPARE(dialog.focusWidget(), Control(dialog, "x0"));
    QCOMPARE(Control(dialog, "x0")->selectedText(), QString("0.5"));
    const QColor window = dialog.palette().color(QPalette::Window);
    for (const char* shown : {"systemName", "xm", "ym", "xc", "yc", "k1", "k2", "k3"}) {
      QVERIFY2(Control(dialog, shown)->palette().color(QPalette::Base) == window, shown);
    }
    for (const char* editable : {"x0", "y0", "iterations"}) {
      QVERIFY2(Control(dialog, editable)->palette().color(QPalette::Base) != window, editable);
    }
    for (const char* coordinate : {"x0", "y0", "xm", "ym", "xc", "yc"}) {
      const QLineEdit* field = Control(dialog, coordinate);
      QVERIFY2(field->width() > field->fontMetrics().horizontalAdvance(field->text()) + 8, coordinate);
    }
    QCOMPARE(FieldText(dialog, "xm"), QString("-0.6313544770895048"));
  }

  void upButtonsRewriteTheStartingPointOnly() {
    Fixture f;
    f.state.Run.MousePoint.x = 1.25;
    f.state.Run.MousePoint.y = -2.5;
    f.state.Run.CurrentPoint.x = 3;
    f.state.Run.CurrentPoint.y = 4;
    InitialConditionsDialog dialog(PrepareInitialConditionsDialog(f.state), f.prompter);
    SetField(dialog, "iterations", "77");
    Control<QCheckBox>(dialog, "useOnContinue")->setChecked(true);
    Control<QPushButton>(dialog, "takeMousePoint")->click();
    QCOMPARE(FieldText(dialog, "x0"), QString("1.25"));
    QCOMPARE(FieldText(dialog, "y0"), QString("-2.5"));
    QCOMPARE(FieldText(dialog, "iterations"), QString("77"));
    QVERIFY(Control<QCheckBox>(dialog, "useOnContinue")->isChecked());
    Control<QPushButton>(dialog, "takeLastPoint")->click();
    QCOMPARE(FieldText(dialog, "x0"), QString("3"));
    QCOMPARE(FieldText(dialog, "y0"), QString("4"));
    QVERIFY(!dialog.isVisible());  // shown by nobody: the buttons never close or accept
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(f.state.Run.InitialPoint.x, 0.5);
  }

  void enterPressesTheFocusedButtonAndOtherwiseOk() {
    Fixture f;
    f.state.Run.MousePoint.x = 1.25;
    f.state.Run.CurrentPoint.y = 4;
    InitialConditionsDialog dialog(PrepareInitialConditionsDialog(f.state), f.prompter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    for (const char* name : {"takeMousePoint", "takeLastPoint"}) {
      auto* up = Control<QPushButton>(dialog, name);
      up->setFocus();
      QTest::keyClick(up, Qt::Key_Return);
      QVERIFY2(dialog.isVisible(), name);
    }
    QCOMPARE(FieldText(dialog, "x0"), QString("0.5"));  // the last point's, after the mouse point's
    QCOMPARE(FieldText(dialog, "y0"), QString("4"));
    QCOMPARE(dialog.result(), 0);
    // Back in a field, Enter is "OK" again.
    Control(dialog, "iterations")->setFocus();
    QTest::keyClick(Control(dialog, "iterations"), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Values().y0, 4.0);
  }

  void iterationsMustBeACountTheProgramCanHold() {
    Fixture f;
    InitialConditionsDialog dialog(PrepareInitialConditionsDialog(f.state), f.prompter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    SetField(dialog, "iterations", "-5");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter a positive integer."});
    QCOMPARE(QApplication::focusWidget(), Control(dialog, "iterations"));
    QCOMPARE(Control(dialog, "iterations")->selectedText(), QString("-5"));
    QVERIFY(dialog.isVisible());

    f.prompter.shown.clear();
    SetField(dialog, "iterations", "2147483648");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(f.prompter.shown, std::vector<std::string>{"Please enter an integer between 0 and 2147483647."});

    SetField(dialog, "iterations", "0");
    Control<QPushButton>(dialog, "ok")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Values().iterations, 0);
  }

  void defineMapAsksBeforeWritingAndBeforeClosingWithChanges() {
    Fixture f;
    UserMapDefinition mine;
    mine.name = "Mine";
    mine.xFormula = "y";
    mine.yFormula = "-x";
    mine.range = WorldRange{-2.0, 3.0, -0.5, 0.25};
    QVERIFY(SaveUserMap(f.state, f.prompter, std::nullopt, mine).saved);
    QVERIFY(SelectUserMapByName(f.state, "Mine"));
    f.state.Store.Buf = 50;  // points drawn with it
    const QString file = QString::fromStdString(f.state.FilePath("usermaps.txt").string());
    const auto contents = [&file] {
      QFile in(file);
      return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    QVERIFY(before.contains("x' = y"));

    DefineMapDialog dialog(f.state, f.prompter);
    dialog.show();
    QCOMPARE(FieldText(dialog, "name"), QString("Mine"));
    // The points question comes first: Cancel leaves file, table and points as they were.
    Control(dialog, "xFormula")->textEdited("y + 1");
    SetField(dialog, "xFormula", "y + 1");
    f.prompter.answers = {Answer::Cancel};
    Control<QPushButton>(dialog, "save")->click();
    QCOMPARE(f.prompter.shown.back(), std::string("Do you want to delete previous data?"));
    QCOMPARE(contents(), before);
    QCOMPARE(f.state.UserMaps.At(0).definition.xFormula, std::string("y"));
    QCOMPARE(f.state.Store.Buf, 50);
    // No keeps the points and saves.
    f.prompter.answers = {Answer::No};
    Control<QPushButton>(dialog, "save")->click();
    QVERIFY(contents().contains("x' = y + 1"));
    QCOMPARE(f.state.Store.Buf, 50);

    // Closing without changes asks nothing.
    const std::size_t asked = f.prompter.shown.size();
    dialog.reject();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(f.prompter.shown.size(), asked);

    // With changes: Cancel stays open, No throws them away, Yes saves them.
    for (const Answer answer : {Answer::Cancel, Answer::No, Answer::Yes}) {
      dialog.show();
      Control(dialog, "yFormula")->textEdited("-x - 1");
      SetField(dialog, "yFormula", "-x - 1");
      f.prompter.answers = {answer, Answer::Yes};
      dialog.reject();
      QCOMPARE(f.prompter.shown.at(asked), std::string("Save the changes to the map \"Mine\"?"));
      f.prompter.shown.resize(asked);
      QCOMPARE(dialog.isVisible(), answer == Answer::Cancel);
      QCOMPARE(contents().contains("y' = -x - 1"), answer == Answer::Yes);
      if (answer == Answer::Cancel) dialog.hide();
    }
    // Saving on closing asked about the points too, and Yes deleted them.
    QCOMPARE(f.state.Store.Buf, 0);
  }

  void anEscapedLastPointDoesNotBlockOk() {
    Fixture f;
    f.state.Run.CurrentPoint.x = std::numeric_limits<double>::infinity();
    f.state.Run.CurrentPoint.y = std::numeric_limits<double>::quiet_NaN();
    InitialConditionsDialog dialog(PrepareInitialConditionsDialog(f.state), f.prompter);
    QCOMPARE(FieldText(dialog, "xc"), QString("inf"));
    SetField(dialog, "x0", "0.125");
    Control<QPushButton>(dialog, "ok")->click();
    QVERIFY(f.prompter.shown.empty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Values().x0, 0.125);
  }

  void runNewTrajectoryTicksTheRunBoxForOneOpening() {
    Fixture f;
    bool ticked = false;
    WhenDialogOpens<InitialConditionsDialog>([&ticked](InitialConditionsDialog& d) {
      ticked = Control<QCheckBox>(d, "runOnOk")->isChecked();
      auto* colours = Control<QComboBox>(d, "colourList");
      colours->setCurrentIndex(colours->findText("Red Light"));
      SetField(d, "x0", "0.25");
      Control<QPushButton>(d, "ok")->click();
    });
    QCOMPARE(RunNewTrajectoryCommand(nullptr, f.state, f.prompter), Invalidation::WithErase);
    QVERIFY(ticked);
    QCOMPARE(int(f.state.Run.RunColour), 12);
    QCOMPARE(f.state.Run.Requests.RunPending, 1);
    QCOMPARE(f.state.Run.InitialPoint.x, 0.25);
    QCOMPARE(f.state.Run.CurrentPoint.x, 0.25);
    QCOMPARE(f.state.RunOnOk, 0);

    // The menu's "Initial Conditions" opens with the box clear; "Cancel" applies nothing.
    f.state.Run.Requests.RunPending = 0;
    WhenDialogOpens<InitialConditionsDialog>([&ticked](InitialConditionsDialog& d) {
      ticked = Control<QCheckBox>(d, "runOnOk")->isChecked();
      auto* colours = Control<QComboBox>(d, "colourList");
      colours->setCurrentIndex(colours->findText("Blue"));
      SetField(d, "x0", "9");
      d.reject();
    });
    QCOMPARE(EditInitialConditionsCommand(nullptr, f.state, f.prompter), Invalidation::None);
    QVERIFY(!ticked);
    QCOMPARE(int(f.state.Run.RunColour), 12);
    QCOMPARE(f.state.Run.InitialPoint.x, 0.25);
    QCOMPARE(f.state.Run.Requests.RunPending, 0);

    // Cancelled after "Run new trajectory": the next opening is unticked again.
    WhenDialogOpens<InitialConditionsDialog>([](InitialConditionsDialog& d) { d.reject(); });
    RunNewTrajectoryCommand(nullptr, f.state, f.prompter);
    QCOMPARE(f.state.RunOnOk, 0);
    QVERIFY(f.prompter.shown.empty());
  }

  void blueIsColourOne() {
    Fixture f;
    WhenDialogOpens<InitialConditionsDialog>([](InitialConditionsDialog& d) {
      auto* colours = Control<QComboBox>(d, "colourList");
      colours->setCurrentIndex(colours->findText("Blue"));
      Control<QPushButton>(d, "ok")->click();
    });
    EditInitialConditionsCommand(nullptr, f.state, f.prompter);
    QCOMPARE(int(f.state.Run.RunColour), 1);
    QCOMPARE(f.state.Run.Requests.RunPending, 0);
  }
};

}  // namespace orbitra

QTEST_MAIN(orbitra::MappingDialogsTest)
#include "dialogs_mapping.moc"
