// SPDX-License-Identifier: GPL-3.0-or-later
// A long run in the real window: it grows in slices from the event loop, shows its
// progress, leaves only what cannot change it available, and stops on Escape or when the
// window closes, with the state of a run asked for the iterations it did.

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>

#include "app/main_frame.h"
#include "app/inspector_panel.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "explorer/run_commands.h"
#include "maps/mapping_catalogue.h"

namespace orbitra {
namespace {

using namespace apptest;

constexpr std::int32_t kLongRun = 2'000'000'000;

// A started program whose next run is far too long to end by itself during a test.
struct Program {
  Program() : app(PathOf(dir)) {
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    QTRY_VERIFY(app.Frame().View().RepaintCount() >= 1);
    OrbitraState& s = app.State();
    s.Run.Settings.Iterations = kLongRun;
    s.Run.Settings.StoreInBuffer = 0;
  }
  MappingWindow& View() { return app.Frame().View(); }
  OrbitraState& State() { return app.State(); }
  QAction& Action(CommandId id) { return *app.Frame().Action(id); }
  // Starts the long run and waits until it has gone on over a few slices.
  void StartLongRun() {
    Action(CommandId::StartRun).trigger();
    QTRY_VERIFY(View().Working());
    QTRY_VERIFY(State().Store.RTN > 1'000'000);
  }
  // The point the map reaches from the initial point after n iterations.
  WorldPoint Iterate(std::int64_t n) {
    const MappingModel& m = app.State().Model;
    double x = app.State().Run.InitialPoint.x, y = app.State().Run.InitialPoint.y;
    for (std::int64_t i = 0; i < n; ++i) {
      const MapImage image = m.routine(m, x, y);
      x = image.x;
      y = image.y;
    }
    return WorldPoint{x, y};
  }

  QTemporaryDir dir;
  OrbitraApp app;
};

class AppLiveRuns : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void EscapeStopsARunAfterItsCurrentIteration() {
    Program p;
    p.StartLongRun();
    QVERIFY(p.app.Frame().ReadyText()->text().startsWith("Running: "));
    QVERIFY(p.app.Frame().ReadyText()->text().contains("% of 2000000000 iterations, "));

    QTest::keyClick(&p.View(), Qt::Key_Escape);
    QVERIFY(!p.View().Working());
    const std::int32_t done = p.State().Store.RTN;
    QVERIFY(done > 1'000'000 && done < kLongRun);
    QCOMPARE(p.State().Store.Buf, 0);
    const WorldPoint expected = p.Iterate(done);
    QCOMPARE(p.State().Run.CurrentPoint.x, expected.x);
    QCOMPARE(p.State().Run.CurrentPoint.y, expected.y);
    QCOMPARE(p.app.Frame().ReadyText()->text(), QString("Ready"));
    QVERIFY(p.Action(CommandId::StartRun).isEnabled());
    QVERIFY(!p.Action(CommandId::StopRun).isEnabled());
  }

  void WhileARunGoesOnOnlyWhatCannotChangeItIsAvailable() {
    Program p;
    p.StartLongRun();
    for (const CommandId id : {CommandId::StartRun, CommandId::ContinueRun, CommandId::SelectMapping,
                               CommandId::Controls, CommandId::DeleteAll, CommandId::ExportData, CommandId::Refresh,
                               CommandId::ToolbarRunNewTrajectory}) {
      QVERIFY2(!p.Action(id).isEnabled(), qPrintable(p.Action(id).text()));
    }
    for (const CommandId id : {CommandId::StopRun, CommandId::ToolbarStopRun, CommandId::ViewToolbar,
                               CommandId::OrbitInspector, CommandId::CopyPicture, CommandId::AppExit}) {
      QVERIFY2(p.Action(id).isEnabled(), qPrintable(p.Action(id).text()));
    }
    // The mouse does nothing in the picture.
    const QPoint middle(p.View().width() * 3 / 4, p.View().height() / 2);
    const StoredPoint mouse = p.State().Run.MousePoint;
    QTest::mouseDClick(&p.View(), Qt::LeftButton, {}, middle);
    QCOMPARE(p.State().Run.MousePoint.x, mouse.x);
    QCOMPARE(p.State().Run.MousePoint.y, mouse.y);
    QCOMPARE(p.State().Run.Mouse.LeftClickPending, 0);

    // A command's dialog holds the run: nothing iterates while it is open.
    ModalAnswerer answerer;
    std::int32_t whenOpened = -1, whenClosing = -2;
    answerer.Then([&](QWidget& about) {
      whenOpened = p.State().Store.RTN;
      QTest::qWait(100);
      whenClosing = p.State().Store.RTN;
      about.close();
    });
    p.Action(CommandId::AppAbout).trigger();
    QCOMPARE(whenClosing, whenOpened);
    QTRY_VERIFY(p.State().Store.RTN > whenClosing);  // and it goes on after

    p.Action(CommandId::ToolbarStopRun).trigger();
    QVERIFY(!p.View().Working());
  }

  // Escape reaches the run from another of the program's windows (the inspector floating on
  // its own); the progress bar shows how far the run got, also while a toolbar button's
  // prompt covers the progress text, and goes when the run ends.
  void EscapeFromAnyWindowAndTheProgressBar() {
    Program p;
    CMainFrame& frame = p.app.Frame();
    frame.Action(CommandId::OrbitInspector)->trigger();
    frame.Inspector()->setFloating(true);
    QTRY_VERIFY(frame.Inspector()->isVisible());
    p.State().Run.Settings.Iterations = 60'000'000;
    p.Action(CommandId::StartRun).trigger();
    QTRY_VERIFY(p.View().Working());
    QTRY_VERIFY(p.State().Store.RTN > 6'000'000);
    QProgressBar* bar = frame.ProgressBar();
    QVERIFY(bar->isVisible());
    frame.StatusBar()->showMessage("Start run");  // what hovering a toolbar button does
    QTRY_VERIFY(bar->value() >= 100);
    QVERIFY(bar->isVisible());
    const int permille = bar->value();
    QVERIFY(permille <= p.State().Store.RTN / 60'000);  // never ahead of the run
    frame.StatusBar()->clearMessage();

    frame.Inspector()->activateWindow();
    frame.Inspector()->setFocus();
    QTest::keyClick(frame.Inspector()->CopyButton(), Qt::Key_Escape);
    QVERIFY(!p.View().Working());
    QVERIFY(p.State().Store.RTN < 60'000'000);
    QVERIFY(!bar->isVisible());
  }

  // After "Buffer is Full" the status bar says what makes room, until room is made.
  void AFullBufferSaysWhatToDo() {
    Program p;
    ModalAnswerer answers;
    answers.Press(QMessageBox::Ok);
    p.State().Run.Settings.Iterations = 5000;
    p.State().Run.Settings.StoreInBuffer = 1;
    p.State().Store.slotCount = 1000;  // room for 999 points
    const int repaints = p.View().RepaintCount();
    p.Action(CommandId::StartRun).trigger();
    QTRY_VERIFY(p.View().RepaintCount() > repaints);
    QCOMPARE(answers.Texts(), std::vector<QString>{"Buffer is Full"});
    QCOMPARE(p.app.Frame().ReadyText()->text(),
             QString("The buffer is full: Data > \"Store Buffer in Stream\", \"Delete last trajectory\" or "
                     "\"Delete All\" make room for new runs"));
    answers.Press(QMessageBox::Ok);  // "Transfer of ... Ok"
    p.Action(CommandId::StoreBufferInStream).trigger();
    QCOMPARE(p.app.Frame().ReadyText()->text(), QString("Ready"));
  }

  void ClosingTheWindowStopsTheRunFirst() {
    Program p;
    p.StartLongRun();
    QVERIFY(p.app.Frame().close());
    QVERIFY(!p.View().Working());
    const std::int32_t done = p.State().Store.RTN;
    QVERIFY(done > 1'000'000 && done < kLongRun);
    const WorldPoint expected = p.Iterate(done);
    QCOMPARE(p.State().Run.CurrentPoint.x, expected.x);
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppLiveRuns)
#include "app_live_runs.moc"
