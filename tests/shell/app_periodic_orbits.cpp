// SPDX-License-Identifier: GPL-3.0-or-later
// "Find Periodic Orbits...": the panel finds the Henon map's orbits, lists them, marks
// them on the picture, copies the list, hands a point to the next run, and grows the
// manifolds of a saddle that the picture keeps until they are cleared. For the Standard
// Map, which preserves area, it lists Greene's residues, the orbits of one rotation type,
// and the critical parameter of the golden circle.

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QLabel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app/periodic_orbits_panel.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "maps/mapping_catalogue.h"

#include <cmath>

namespace orbitra {
namespace {

using namespace apptest;

int CountColour(const Canvas& canvas, Colour colour) {
  int n = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) n += canvas.GetPixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

// Greene's residue (2 - trace) / 4 of the Standard Map's orbit through `points`, from the
// product of its Jacobians written out: x' = x + y, y' = y + k sin x' has
// J = [[1, 1], [k cos x', 1 + k cos x']] at each step.
double StandardMapResidue(const std::vector<WorldPoint>& points, double k) {
  double a = 1, b = 0, c = 0, d = 1;  // the product so far
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double xNext = points[i].x + points[i].y;
    const double kc = k * std::cos(xNext);
    // [[1, 1], [kc, 1 + kc]] * [[a, b], [c, d]]
    const double a2 = a + c, b2 = b + d, c2 = kc * a + (1 + kc) * c, d2 = kc * b + (1 + kc) * d;
    a = a2, b = b2, c = c2, d = d2;
  }
  return (2.0 - (a + d)) / 4.0;
}

struct StandardMapProgram {
  StandardMapProgram() : app(PathOf(dir)) {
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    OrbitraState& state = app.State();
    SelectSystemWithDefaults(state.Model, kStandardMap);
    state.Model.k1 = 0.9;
    state.Boxes.XYBox.SetRange(0.0, 0.0, 2 * M_PI, 2 * M_PI);
    app.Frame().Action(CommandId::Refresh)->trigger();
    app.Frame().Action(CommandId::FindPeriodicOrbits)->trigger();
    panel = app.Frame().PeriodicOrbits();
  }
  QTemporaryDir dir;
  ModalAnswerer answers;
  OrbitraApp app;
  PeriodicOrbitsPanel* panel = nullptr;
};

class AppPeriodicOrbits : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void PanelFindsMarksCopiesAndGrowsManifolds() {
    QTemporaryDir dir;
    ModalAnswerer answers;
    OrbitraApp app(PathOf(dir));
    app.Start();
    CMainFrame& frame = app.Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY(frame.View().RepaintCount() >= 1);
    OrbitraState& state = app.State();
    SelectSystemWithDefaults(state.Model, 2);
    state.Model.k1 = 1.4;
    state.Model.k2 = 0.3;
    state.Model.k3 = 1.0;
    state.Boxes.XYBox.SetRange(-1.5, -0.45, 1.5, 0.45);
    frame.Action(CommandId::Refresh)->trigger();

    frame.Action(CommandId::FindPeriodicOrbits)->trigger();
    PeriodicOrbitsPanel* panel = frame.PeriodicOrbits();
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(frame.dockWidgetArea(panel), Qt::RightDockWidgetArea);
    QCOMPARE(panel->Periods()->value(), 8);
    QCOMPARE(panel->Region(0)->text().toDouble(), state.Boxes.XYBox.Xmin);
    QCOMPARE(panel->Region(3)->text().toDouble(), state.Boxes.XYBox.Ymax);

    panel->Periods()->setValue(6);
    QTest::mouseClick(panel->FindButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Busy() && panel->Table()->rowCount() == 6, 30000);
    QCOMPARE(panel->Table()->item(1, 1)->text(), QString("0.63135447709"));
    QCOMPARE(panel->Table()->item(1, 4)->text(), QString("-1.923739"));
    QCOMPARE(panel->Table()->item(1, 5)->text(), QString("flip-saddle"));
    // The Henon map with k2 = 0.3 shrinks area: no residues.
    QVERIFY(!panel->ShowsResidues());
    QVERIFY(panel->Table()->isColumnHidden(6));
    // Every column is in view at the panel's own width, Eigenvalue 2 and Class included.
    QTRY_VERIFY(panel->Table()->columnViewportPosition(5) + panel->Table()->columnWidth(5) <=
                panel->Table()->viewport()->width());

    // Markers per class, over the picture and through a repaint, until unticked.
    const Colour flipSaddle = Colour::FromRgb(150, 0, 170);
    QCOMPARE(CountColour(frame.View().Picture(), flipSaddle), 0);
    panel->MarkBox()->setChecked(true);
    QTRY_VERIFY(CountColour(frame.View().Picture(), flipSaddle) > 0);
    frame.Action(CommandId::Refresh)->trigger();
    QTRY_VERIFY(CountColour(frame.View().Picture(), flipSaddle) > 0);
    panel->MarkBox()->setChecked(false);
    QTRY_COMPARE(CountColour(frame.View().Picture(), flipSaddle), 0);

    QGuiApplication::clipboard()->clear();
    panel->CopyButton()->click();
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY(copied.startsWith("1 -1.13135447709 -0.339406343127 3.259822 -0.09202956 saddle\n"));
    QCOMPARE(copied.count('\n'), 6);

    panel->Table()->selectRow(0);
    panel->UseAsInitialButton()->click();
    QCOMPARE(state.Run.InitialPoint.x, state.Structure.Orbits[0].points[0].x);
    QCOMPARE(state.Run.MousePoint.y, state.Structure.Orbits[0].points[0].y);

    // Manifolds of the flip saddle: live, then kept through a repaint until cleared.
    const Colour unstable = Colour::FromRgb(220, 40, 0);
    panel->Table()->selectRow(1);
    QTest::mouseClick(panel->ManifoldsButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Busy(), 30000);
    QTRY_VERIFY(CountColour(frame.View().Picture(), unstable) > 500);
    QCOMPARE(state.Structure.Manifolds.size(), 4u);
    frame.Action(CommandId::Refresh)->trigger();
    QTRY_VERIFY(CountColour(frame.View().Picture(), unstable) > 500);
    QVERIFY(panel->StatusLabel()->text().contains("manifold points"));
    panel->ClearButton()->click();
    QTRY_COMPARE(CountColour(frame.View().Picture(), unstable), 0);
    QVERIFY(state.Structure.Manifolds.empty());
    QVERIFY2(!panel->StatusLabel()->text().contains("manifold points"), qPrintable(panel->StatusLabel()->text()));
  }

  // The fixed points of the Standard Map at k: (0, 0) with trace 2 + k and (pi, 0) with
  // trace 2 - k, so residues -k/4 and k/4; Copy ends each line in the residue.
  void TheListOfAnAreaPreservingMapShowsResidues() {
    StandardMapProgram program;
    PeriodicOrbitsPanel* panel = program.panel;
    QVERIFY(panel != nullptr);
    panel->Periods()->setValue(1);
    QTest::mouseClick(panel->FindButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Busy() && panel->Table()->rowCount() == 2, 30000);
    QVERIFY(panel->ShowsResidues());
    QVERIFY(!panel->Table()->isColumnHidden(6));
    QCOMPARE(panel->Table()->horizontalHeaderItem(6)->text(), QString("Residue"));
    QCOMPARE(panel->Table()->item(0, 5)->text(), QString("saddle"));
    QCOMPARE(panel->Table()->item(0, 6)->text().toDouble(), -0.225);
    QCOMPARE(panel->Table()->item(1, 5)->text(), QString("elliptic"));
    QCOMPARE(panel->Table()->item(1, 6)->text().toDouble(), 0.225);
    QGuiApplication::clipboard()->clear();
    panel->CopyButton()->click();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("1 0 0 ") && lines[0].endsWith(" saddle -0.225"), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith(" elliptic 0.225"), qPrintable(lines[1]));
  }

  // Type 1/3 over the whole torus: an elliptic orbit and its saddle partner, each residue
  // as the product of the Jacobians along the orbit gives it. The orbits are the list's:
  // selectable and handed to the next run.
  void ATypedRotationTypeListsThePairWithResidues() {
    StandardMapProgram program;
    PeriodicOrbitsPanel* panel = program.panel;
    QVERIFY(panel != nullptr);
    panel->TypeField()->setText(" 1 / 3 ");
    QTest::mouseClick(panel->FindTypeButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Busy(), 30000);
    QCOMPARE(panel->StatusLabel()->text(), QString("2 orbits of type 1/3"));
    const OrbitraState& state = program.app.State();
    QCOMPARE(state.Structure.Orbits.size(), 2u);
    QCOMPARE(panel->Table()->rowCount(), 2);
    int elliptic = -1;
    for (int row = 0; row < 2; ++row) {
      QCOMPARE(panel->Table()->item(row, 0)->text(), QString("3"));
      const std::vector<WorldPoint>& points = state.Structure.Orbits[static_cast<std::size_t>(row)].points;
      const double residue = StandardMapResidue(points, 0.9);
      const double shown = panel->Table()->item(row, 6)->text().toDouble();
      QVERIFY2(std::fabs(shown - residue) < 1e-6 * std::fabs(residue), qPrintable(panel->Table()->item(row, 6)->text()));
      // 0 < R < 1 elliptic, R < 0 a saddle.
      if (residue > 0.0 && residue < 1.0) {
        QCOMPARE(panel->Table()->item(row, 5)->text(), QString("elliptic"));
        elliptic = row;
      } else {
        QVERIFY(residue < 0.0);
        QCOMPARE(panel->Table()->item(row, 5)->text(), QString("saddle"));
      }
      // Each point advances by a third of a turn: x' - x = y' reduced into [0, 2pi).
      double turns = 0.0;
      for (std::size_t i = 0; i < points.size(); ++i) {
        const double d = std::fmod(points[(i + 1) % points.size()].x - points[i].x + 4 * M_PI, 2 * M_PI);
        turns += d / (2 * M_PI);
      }
      QVERIFY(std::fabs(turns - 1.0) < 1e-9);
    }
    QVERIFY(elliptic >= 0);

    panel->Table()->selectRow(elliptic);
    panel->UseAsInitialButton()->click();
    QCOMPARE(state.Run.InitialPoint.y, state.Structure.Orbits[static_cast<std::size_t>(elliptic)].points[0].y);

    // Text that is no type is said in the panel; nothing is searched.
    panel->TypeField()->setText("1/0");
    QTest::mouseClick(panel->FindTypeButton(), Qt::LeftButton);
    QVERIFY(!panel->Busy());
    QCOMPARE(panel->StatusLabel()->text(),
             QString("The type needs p/q, whole numbers with 0 <= p and 1 <= q <= 100000 (such as 1/3)."));
    QCOMPARE(state.Structure.Orbits.size(), 2u);

    // A long search stopped keeps the list as it was.
    panel->TypeField()->setText("6180/10001");
    QTest::mouseClick(panel->FindTypeButton(), Qt::LeftButton);
    QVERIFY(panel->Busy());
    QTest::mouseClick(panel->StopButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Busy(), 60000);
    QCOMPARE(panel->StatusLabel()->text(), QString("Stopped."));
    QCOMPARE(state.Structure.Orbits.size(), 2u);
    QCOMPARE(panel->Table()->rowCount(), 2);
  }

  // Greene's golden circle of the Standard Map breaks at k = 0.971635...; the table's
  // convergents are the Fibonacci ratios 1/1, 1/2, 2/3, 3/5, ... up to 610/987.
  void TheCriticalParameterOfTheGoldenCircle() {
    StandardMapProgram program;
    PeriodicOrbitsPanel* panel = program.panel;
    QVERIFY(panel != nullptr);
    QCOMPARE(panel->CircleButton()->text(), QString("Critical parameter of a circle"));
    QCOMPARE(panel->CircleRotationField()->text(), QString("0.6180339887498949"));
    QCOMPARE(panel->CircleParameterBox()->currentText(), QString("k1"));
    QVERIFY(panel->CircleTable()->isHidden());
    QTest::mouseClick(panel->CircleButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Busy() && !panel->CircleTable()->isHidden(), 30000);
    const QStringList lines = panel->CircleTable()->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 16);
    const char* fibonacci[] = {"1/1", "1/2", "2/3", "3/5", "5/8", "8/13", "13/21", "21/34",
                               "34/55", "55/89", "89/144", "144/233", "233/377", "377/610", "610/987"};
    for (int n = 0; n < 15; ++n) {
      QVERIFY2(lines[n].startsWith(QString("%1 %2 ").arg(n + 1).arg(fibonacci[n])), qPrintable(lines[n]));
    }
    QVERIFY2(lines[15].startsWith("estimate 0.97163"), qPrintable(lines[15]));
    QCOMPARE(panel->StatusLabel()->text(), QString("Critical parameter: 15 convergents"));
    QVERIFY(program.answers.SeenWindows().empty());
  }

  // A map whose x does not wrap has no rotation types: both searches say so in a box.
  void RotationTypesNeedAMapWhoseXWraps() {
    QTemporaryDir dir;
    ModalAnswerer answers;
    OrbitraApp app(PathOf(dir));
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    SelectSystemWithDefaults(app.State().Model, 2);
    app.Frame().Action(CommandId::FindPeriodicOrbits)->trigger();
    PeriodicOrbitsPanel* panel = app.Frame().PeriodicOrbits();
    QVERIFY(panel != nullptr);
    QTest::mouseClick(panel->FindTypeButton(), Qt::LeftButton);
    QTest::mouseClick(panel->CircleButton(), Qt::LeftButton);
    QTRY_COMPARE(answers.Texts().size(), std::size_t{2});
    const QString message("The map's x does not wrap: its orbits have no rotation type p/q and its circles no "
                          "rotation number.");
    QCOMPARE(answers.Texts()[0], message);
    QCOMPARE(answers.Texts()[1], message);
    QVERIFY(!panel->Busy());
    QVERIFY(panel->CircleTable()->isHidden());
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppPeriodicOrbits)
#include "app_periodic_orbits.moc"
