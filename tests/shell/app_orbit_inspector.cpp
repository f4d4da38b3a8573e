// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit inspector's panel: shown and hidden from "&View" with a check mark, docked
// beside the picture, closable, refreshed when a repaint ends, and copied as text.

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/inspector_panel.h"
#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app_test_support.h"
#include "explorer/orbit_report.h"
#include "explorer/orbitra_state.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"

namespace orbitra {
namespace {

using namespace apptest;

class AppOrbitInspector : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void PanelFollowsTheMenuItemAndShowsTheFollowedOrbit() {
    QTemporaryDir dir;
    ModalAnswerer answers;
    OrbitraApp app(PathOf(dir));
    app.Start();
    CMainFrame& frame = app.Frame();
    frame.resize(400, 400);  // room on the screen for the frame to take the dock's width
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY(frame.View().RepaintCount() >= 1);
    QAction* item = frame.Action(CommandId::OrbitInspector);
    InspectorPanel* panel = frame.Inspector();

    // Hidden at start, and the core knows it: runs need not feed it.
    QVERIFY(item->isCheckable() && !item->isChecked());
    QVERIFY(panel->isHidden() && !app.State().Inspector.Shown());

    item->trigger();
    QVERIFY(panel->isVisible() && item->isChecked() && app.State().Inspector.Shown());
    QCOMPARE(frame.dockWidgetArea(panel), Qt::RightDockWidgetArea);
    QVERIFY(panel->features().testFlag(QDockWidget::DockWidgetMovable));
    QTRY_VERIFY(panel->geometry().left() >= frame.centralWidget()->geometry().right());
    QCOMPARE(panel->Values()[0]->text(), QString("-"));

    // An orbit the inspector followed (the wedge outside its domain keeps its point),
    // shown once the next repaint ends.
    MappingModel wedge;
    SelectSystemWithDefaults(wedge, 10);
    const WedgeMapStep step(wedge);
    OrbitObserver observer = app.State().Inspector.BeginRun(wedge, {2.0, 0.0}, false);
    for (int i = 0; i < 20; ++i) observer.Observe(step, 2.0, 0.0, step(2.0, 0.0));
    app.State().Inspector.Commit(observer);
    const int repaints = frame.View().RepaintCount();
    frame.Action(CommandId::Refresh)->trigger();
    QTRY_VERIFY(frame.View().RepaintCount() > repaints);
    QCOMPARE(panel->Values()[0]->text(), QString("Wedge map"));
    QCOMPARE(panel->Values()[3]->text(), QString("20"));
    QCOMPARE(panel->Values()[8]->text(), QString("not known: no elliptic fixed point near the orbit"));
    QCOMPARE(panel->Values()[9]->text(), QString("period 1"));

    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(panel->CopyButton(), Qt::LeftButton);
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied, QString::fromStdString(FormatOrbitReport(MakeOrbitReport(app.State()))));
    QVERIFY(copied.startsWith("Map: Wedge map\n"));
    QVERIFY(copied.endsWith("Period: period 1\n"));

    // A centre typed in the panel: the rotation number winds about it; a bad one is
    // refused with a message, and the field keeps what was typed.
    QLineEdit* centre = panel->CentreField();
    centre->setText("2, 0.5");
    QMetaObject::invokeMethod(centre, "editingFinished");
    QVERIFY(app.State().Inspector.ChosenCentre() == std::optional<WorldPoint>(WorldPoint{2.0, 0.5}));
    QVERIFY(panel->Values()[8]->text().contains("about x=2  y=0.5"));
    answers.Press(QMessageBox::Ok);
    centre->setText("2;");
    QMetaObject::invokeMethod(centre, "editingFinished");
    QTRY_COMPARE(answers.SeenWindows().size(), std::size_t{1});
    QCOMPARE(answers.Texts().back(),
             QString("The rotation centre must be two numbers, x and y, or empty for the nearest elliptic fixed point."));
    QVERIFY(app.State().Inspector.ChosenCentre() == std::optional<WorldPoint>(WorldPoint{2.0, 0.5}));
    centre->clear();
    QMetaObject::invokeMethod(centre, "editingFinished");
    QVERIFY(!app.State().Inspector.ChosenCentre());

    // Closed by its own button: the check mark and the core's flag follow.
    QVERIFY(panel->close());
    QVERIFY(panel->isHidden() && !item->isChecked() && !app.State().Inspector.Shown());
    item->trigger();
    QVERIFY(panel->isVisible() && item->isChecked() && app.State().Inspector.Shown());
    item->trigger();
    QVERIFY(panel->isHidden() && !item->isChecked() && !app.State().Inspector.Shown());
    QCOMPARE(answers.Unscripted(), 0);
  }

  void ShowingAndHidingKeepPictureAndCounters() {
    QTemporaryDir dir;
    ModalAnswerer answers;
    OrbitraApp app(PathOf(dir));
    app.Start();
    CMainFrame& frame = app.Frame();
    frame.resize(380, 400);
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY(frame.View().RepaintCount() >= 1);
    // A run whose points are not stored: only the picture holds them.
    OrbitraState& state = app.State();
    state.Run.Settings.StoreInBuffer = 0;
    int repaints = frame.View().RepaintCount();
    frame.Action(CommandId::StartRun)->trigger();
    QTRY_VERIFY(frame.View().RepaintCount() > repaints);
    QVERIFY(state.Store.RTN == 1000 && state.Store.Buf == 0);
    QSize pictureSize(frame.View().Picture().Width(), frame.View().Picture().Height());
    std::int32_t rtn = state.Store.RTN;
    QImage before = QImage(reinterpret_cast<const uchar*>(frame.View().Picture().Bits()), pictureSize.width(),
                           pictureSize.height(), QImage::Format_RGB32).copy();

    // Docked (the frame grows by its width) and, where the screen has no room, floating.
    for (int round = 0; round < 4; ++round) {
      if (round == 2) {
        frame.resize(frame.screen()->availableGeometry().width() - 50, 400);
        QTest::qWait(700);
        repaints = frame.View().RepaintCount();
        frame.Action(CommandId::Refresh)->trigger();
        QTRY_VERIFY(frame.View().RepaintCount() > repaints);
        pictureSize = frame.View().size();
        before = QImage(reinterpret_cast<const uchar*>(frame.View().Picture().Bits()), pictureSize.width(),
                        pictureSize.height(), QImage::Format_RGB32).copy();
        rtn = state.Store.RTN;
      }
      repaints = frame.View().RepaintCount();
      frame.Action(CommandId::OrbitInspector)->trigger();
      QTest::qWait(700);
      QCOMPARE(frame.View().size(), pictureSize);
      QCOMPARE(frame.View().RepaintCount(), repaints);
      QCOMPARE(state.Store.RTN, rtn);
      QCOMPARE(frame.Inspector()->isFloating(), round >= 2);
      const Canvas& picture = frame.View().Picture();
      QCOMPARE(QSize(picture.Width(), picture.Height()), pictureSize);
      const QImage after(reinterpret_cast<const uchar*>(picture.Bits()), picture.Width(), picture.Height(),
                         QImage::Format_RGB32);
      QVERIFY(after == before);
    }
    // Wide enough to read a point on one line.
    frame.Inspector()->setFloating(false);
    frame.Action(CommandId::OrbitInspector)->trigger();
    QTRY_VERIFY(frame.Inspector()->isVisible());
    QLabel* point = frame.Inspector()->Values()[2];
    QVERIFY(point->width() >= point->fontMetrics().horizontalAdvance("x=-0.1234567891  y=-0.1234567891"));
    QCOMPARE(answers.Unscripted(), 0);
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppOrbitInspector)
#include "app_orbit_inspector.moc"
