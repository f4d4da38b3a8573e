// SPDX-License-Identifier: GPL-3.0-or-later
// "Rotation Profile...": a segment drawn with the mouse in the X-Y box opens the profile's
// window with the points asked for along it; a click in the plot runs that point's orbit
// in the explorer; the export is what orbitra-render prints for the same segment; Escape
// cancels the drawing, and a segment leaving the box is refused.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTest>

#include <cmath>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app/sweep_window.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "maps/mapping_catalogue.h"
#include "sweep_test_support.h"
#include "sweeps/rotation_profile_view.h"

namespace orbitra {
namespace {

using namespace apptest;
using namespace sweeptest;

struct Program {
  Program() : app(PathOf(dir)) {
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    QTRY_VERIFY(View().RepaintCount() >= 1);
    OrbitraState& state = app.State();
    SelectSystemWithDefaults(state.Model, kStandardMap);
    state.Model.k1 = 0.0;  // the twist: rotation number y / 2pi
    state.Boxes.XYBox.SetRange(0.0, 0.0, 2 * M_PI, 2 * M_PI);
    app.Frame().Action(CommandId::Refresh)->trigger();
    QTest::qWait(50);
  }

  MappingWindow& View() { return app.Frame().View(); }
  // The mapping window's pixel of a world point, and mouse input at it as the window
  // system delivers it to the frame.
  QPoint PixelOf(double x, double y) {
    const PixelPoint p = app.State().Boxes.XYBox.WorldToScreen(x, y);
    return QPoint(p.x, p.y);
  }
  QWindow* Window() { return app.Frame().windowHandle(); }
  QPoint At(QPoint pixel) { return View().mapTo(&app.Frame(), pixel); }
  void Draw(QPoint from, QPoint to) {
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(from));
    QTest::mouseMove(Window(), At((from + to) / 2));
    QTest::mouseMove(Window(), At(to));
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(to));
  }
  // The dialog after the segment, with these values typed.
  void AnswerDialog(const QString& points, const QString& transient, const QString& iterations) {
    answers.Then([=](QWidget& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Rotation Profile"));
      dialog.findChild<QLineEdit*>("points")->setText(points);
      dialog.findChild<QLineEdit*>("transient")->setText(transient);
      dialog.findChild<QLineEdit*>("iterations")->setText(iterations);
      qobject_cast<QDialog*>(&dialog)->accept();
    });
  }
  static SweepWindow* ProfileWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* window = qobject_cast<SweepWindow*>(w);
      if (window && window->isVisible() && dynamic_cast<RotationProfileWindowLogic*>(&window->View())) return window;
    }
    return nullptr;
  }

  QTemporaryDir dir;
  ModalAnswerer answers;
  OrbitraApp app;
};

class AppRotationProfile : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ADrawnSegmentOpensItsProfileAndAClickRunsAPoint() {
    Program program;
    OrbitraState& state = program.app.State();
    program.app.Frame().Action(CommandId::RotationProfile)->trigger();
    QVERIFY(program.View().DrawingSegment());
    QCOMPARE(program.app.Frame().StatusBar()->currentMessage(),
             QString("Draw the segment in the X-Y box: press the left button at one end, drag, release at the other. "
                     "Escape cancels."));
    program.AnswerDialog("25", "0", "400");
    const QPoint from = program.PixelOf(2.0, 0.8), to = program.PixelOf(2.0, 5.5);
    program.Draw(from, to);
    QTRY_VERIFY(Program::ProfileWindow() != nullptr);
    QVERIFY(!program.View().DrawingSegment());
    QVERIFY(program.app.Frame().StatusBar()->currentMessage().isEmpty());
    SweepWindow* window = Program::ProfileWindow();
    QCOMPARE(window->windowTitle(), QString("Rotation Profile - Standard Map"));
    auto& logic = dynamic_cast<RotationProfileWindowLogic&>(window->View());
    const RotationProfileSettings& s = logic.CurrentView();
    QCOMPARE(s.points, 25);
    QCOMPARE(s.iterations, std::int64_t{400});
    // The segment's ends are the world points of the pixels pressed and released.
    WorldPoint a, b;
    QVERIFY(state.Boxes.XYBox.ScreenToWorld(from.x(), from.y(), a.x, a.y));
    QVERIFY(state.Boxes.XYBox.ScreenToWorld(to.x(), to.y(), b.x, b.y));
    QCOMPARE(s.a.x, a.x);
    QCOMPARE(s.a.y, a.y);
    QCOMPARE(s.b.y, b.y);
    QVERIFY(std::fabs(a.y - 0.8) < 0.05 && std::fabs(b.y - 5.5) < 0.05);

    window->SetPictureSize(QSize(480, 320));
    Finish(*window);
    QVERIFY2(window->StatusLine()->text().startsWith("Rotation profile: 100% of 25 points"),
             qPrintable(window->StatusLine()->text()));
    const RotationProfileJob& job = *logic.CurrentJob();
    QCOMPARE(job.Profile().size(), std::size_t{25});
    for (const ProfilePoint& p : job.Profile()) QVERIFY(std::fabs(p.rotation - p.at.y / (2 * M_PI)) < 1e-12);

    // The pointer over the plot's last column names the segment's last point; a click
    // there runs its orbit.
    const DiagramLayout& layout = job.Layout();
    const QPoint last(layout.gridLeft + layout.columns - 1, layout.gridBottom - layout.rows / 2);
    window->PointerMoved(last);
    QVERIFY2(window->PointerLine()->text().contains(QString("y = %1): rotation ").arg(b.y, 0, 'g', 6)),
             qPrintable(window->PointerLine()->text()));
    const auto pointsBefore = state.Store.DTN;
    window->Clicked(last);
    QCOMPARE(state.Run.InitialPoint.x, job.Profile().back().at.x);
    QCOMPARE(state.Run.InitialPoint.y, job.Profile().back().at.y);
    QTRY_VERIFY(state.Store.DTN != pointsBefore);  // the run from there took place
    QVERIFY(program.answers.ScriptUsedUp());
    window->grab().save("/tmp/wt29_rotation_profile.png");
    window->close();
  }

  // The window's export and orbitra-render's --rotation-profile for the same segment and
  // iterations are the same text, through the island chains and the chaos of k1 = 0.9.
  void TheWindowExportsWhatTheRendererPrints() {
    Program program;
    program.app.State().Model.k1 = 0.9;
    program.app.Frame().Action(CommandId::RotationProfile)->trigger();
    program.AnswerDialog("40", "10", "500");
    program.Draw(program.PixelOf(3.0, 0.5), program.PixelOf(3.3, 6.0));
    QTRY_VERIFY(Program::ProfileWindow() != nullptr);
    SweepWindow* window = Program::ProfileWindow();
    auto& logic = dynamic_cast<RotationProfileWindowLogic&>(window->View());
    Finish(*window);
    QTemporaryDir cwd;
    QVERIFY(!logic.Export(cwd.filePath("window.txt").toStdString()));
    QFile exported(cwd.filePath("window.txt"));
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray text = exported.readAll();
    QCOMPARE(text.count('\n'), 40);

    const RotationProfileSettings& s = logic.CurrentView();
    const auto exact = [](double v) { return QString::number(v, 'g', 17); };
    QProcess render;
    render.setWorkingDirectory(cwd.path());
    render.start(QStringLiteral(ORBITRA_RENDER_PROGRAM),
                 {"--map", "Standard Map", "--k1", "0.9", "--rotation-profile",
                  exact(s.a.x) + "," + exact(s.a.y) + ":" + exact(s.b.x) + "," + exact(s.b.y), "--points", "40",
                  "--transient", "10", "--iterations", "500"});
    QVERIFY(render.waitForFinished(120000));
    QCOMPARE(render.exitCode(), 0);
    QCOMPARE(render.readAllStandardOutput(), text);
    window->close();
  }

  void EscapeCancelsTheDrawingAndASegmentMustStayInTheBox() {
    Program program;
    program.app.Frame().Action(CommandId::RotationProfile)->trigger();
    QVERIFY(program.View().DrawingSegment());
    QTest::keyClick(&program.View(), Qt::Key_Escape);
    QVERIFY(!program.View().DrawingSegment());
    QVERIFY(program.app.Frame().StatusBar()->currentMessage().isEmpty());
    // The left button marks a point again.
    const QPoint p = program.PixelOf(3.0, 3.0);
    QTest::mouseClick(program.Window(), Qt::LeftButton, {}, program.At(p));
    QTRY_VERIFY(std::fabs(program.app.State().Run.MousePoint.x - 3.0) < 0.05);
    QVERIFY(Program::ProfileWindow() == nullptr);

    // Asked for twice, the segment is drawn once, and the hint stays until then.
    program.app.Frame().Action(CommandId::RotationProfile)->trigger();
    program.app.Frame().Action(CommandId::RotationProfile)->trigger();
    QVERIFY(program.View().DrawingSegment());
    QVERIFY(program.app.Frame().StatusBar()->currentMessage().startsWith("Draw the segment in the X-Y box"));
    // A right click meanwhile marks no zoom corner.
    const MouseState& mouse = program.app.State().Run.Mouse;
    const WorldPoint corner1 = mouse.ZoomCorner1, corner2 = mouse.ZoomCorner2;
    QTest::mouseClick(program.Window(), Qt::RightButton, {}, program.At(program.PixelOf(2.0, 2.0)));
    QTest::qWait(50);
    QCOMPARE(mouse.ZoomCorner1.x, corner1.x);
    QCOMPARE(mouse.ZoomCorner2.x, corner2.x);
    // A release outside the box: refused, and no dialog opens.
    program.Draw(program.PixelOf(1.0, 1.0), QPoint(2, 2));
    QTRY_COMPARE(program.answers.Texts().size(), std::size_t{1});
    QCOMPARE(program.answers.Texts()[0], QString("The segment must start and end inside the X-Y box."));
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{1});
    QVERIFY(Program::ProfileWindow() == nullptr);
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppRotationProfile)
#include "app_rotation_profile.moc"
