// SPDX-License-Identifier: GPL-3.0-or-later
// "Find Periodic Orbits...": the panel finds the Henon map's orbits, lists them, marks
// them on the picture, copies the list, hands a point to the next run, and grows the
// manifolds of a saddle that the picture keeps until they are cleared.

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
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
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppPeriodicOrbits)
#include "app_periodic_orbits.moc"
