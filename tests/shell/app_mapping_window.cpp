// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping window driven through real widget events and the frame's commands.

#include <QAction>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include <cmath>
#include <memory>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"

namespace orbitra {
namespace {

using namespace apptest;

constexpr Colour kMarkRed = Colour::FromRgb(160, 0, 0);

// A started program in a fresh working directory, its first picture drawn.
struct Running {
  Running() : app(PathOf(dir)) {
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    QTRY_VERIFY(View().RepaintCount() >= 1);
    Settle();
  }

  MappingWindow& View() { return app.Frame().View(); }
  OrbitraState& State() { return app.State(); }
  const Canvas& Picture() { return View().Picture(); }
  BoxPixels Box() { return SingleModeBox(Picture().Width(), Picture().Height()); }

  // Lets every scheduled repaint run.
  void Settle() {
    int seen = -1;
    while (seen != View().RepaintCount()) {
      seen = View().RepaintCount();
      QTest::qWait(30);
    }
  }
  // Mouse input as the window system delivers it, to the frame's window at a pixel of the
  // mapping window: double clicks are recognised and context menus offered on the way.
  QWindow* Window() { return app.Frame().windowHandle(); }
  QPoint At(QPoint pixel) { return View().mapTo(&app.Frame(), pixel); }
  void DoubleClick(QPoint p) { QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(p)); }
  void Click(Qt::MouseButton button, QPoint p) { QTest::mouseClick(Window(), button, {}, At(p)); }
  void Press(Qt::MouseButton button, QPoint p) { QTest::mousePress(Window(), button, {}, At(p)); }
  void Release(Qt::MouseButton button, QPoint p) { QTest::mouseRelease(Window(), button, {}, At(p)); }

  // Runs a command of the menu or the toolbar as a click on it would.
  void Command(CommandId id) {
    app.Frame().Action(id)->trigger();
    Settle();
  }
  // The world point of a pixel of the phase plane, whose range is [0, 7] x [0, 7] at start.
  WorldPoint WorldAt(QPoint p) {
    const BoxPixels b = Box();
    return WorldPoint{7.0 * (p.x() - b.left) / (b.right - b.left), 7.0 * (b.bottom - p.y()) / (b.bottom - b.top)};
  }

  QTemporaryDir dir;
  ModalAnswerer answers;
  OrbitraApp app;
};

bool Near(double a, double b) { return std::fabs(a - b) < 1e-9; }

std::vector<Canvas::Pixel> Copy(const Canvas& c) {
  return std::vector<Canvas::Pixel>(c.Bits(), c.Bits() + std::size_t(c.Width()) * std::size_t(c.Height()));
}

class AppMappingWindow : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void DoubleClickRunsThereAndAClickAddsTheRedSquare() {
    Running program;
    const BoxPixels b = program.Box();
    const QPoint start((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    const int inkBefore = CountInk(program.Picture(), b.left + 1, b.top + 1, b.right - 1, b.bottom - 1);

    // Both clicks reach the window before it repaints: the first click's mark, then the run.
    const int repaintsBefore = program.View().RepaintCount();
    program.DoubleClick(start);
    program.Settle();
    QCOMPARE(program.View().RepaintCount(), repaintsBefore + 2);
    const WorldPoint clicked = program.WorldAt(start);
    QVERIFY(Near(program.State().Run.InitialPoint.x, clicked.x) && Near(program.State().Run.InitialPoint.y, clicked.y));
    QCOMPARE(program.State().Store.RTN, 1000);
    QCOMPARE(program.State().Store.Buf, 1000);
    const int inkAfter = CountInk(program.Picture(), b.left + 1, b.top + 1, b.right - 1, b.bottom - 1);
    QVERIFY2(inkAfter > inkBefore + 100, qPrintable(QString("%1 -> %2").arg(inkBefore).arg(inkAfter)));

    // A single click elsewhere: the red 5 x 5 square, the orbit left as it was.
    const QPoint pick(b.left + (b.right - b.left) / 5, b.top + (b.bottom - b.top) / 5);
    const std::vector<Canvas::Pixel> before = Copy(program.Picture());
    const int repaints = program.View().RepaintCount();
    program.Click(Qt::LeftButton, pick);
    program.Settle();
    QCOMPARE(program.View().RepaintCount(), repaints + 1);
    const WorldPoint picked = program.WorldAt(pick);
    QVERIFY(Near(program.State().Run.MousePoint.x, picked.x) && Near(program.State().Run.MousePoint.y, picked.y));
    QCOMPARE(program.State().Store.RTN, 1000);  // nothing ran
    const Canvas& after = program.Picture();
    for (int y = b.top; y < b.bottom; ++y) {
      for (int x = b.left; x < b.right; ++x) {
        const bool inSquare = std::abs(x - pick.x()) <= 2 && std::abs(y - pick.y()) <= 2;
        if (inSquare) {
          QVERIFY(after.GetPixel(x, y) == kMarkRed);
        } else {
          QVERIFY2(after.Bits()[y * after.Width() + x] == before[std::size_t(y * after.Width() + x)],
                   qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
      }
    }
  }

  void RightDragMarksTheCornerThenDrawsTheRectangle() {
    Running program;
    const BoxPixels b = program.Box();
    const QPoint press(b.left + (b.right - b.left) / 4, b.top + (b.bottom - b.top) / 4);
    const QPoint release(b.left + (b.right - b.left) * 3 / 4, b.top + (b.bottom - b.top) * 2 / 3);

    program.Press(Qt::RightButton, press);
    program.Settle();
    const Canvas& marked = program.Picture();
    QCOMPARE(CountInk(marked, press.x() - 2, press.y() - 2, press.x() + 3, press.y() + 3), 25);
    QVERIFY(marked.GetPixel(press.x(), press.y()) == kBlack);
    QVERIFY(IsWhite(marked, press.x() + 3, press.y()));

    // While the button is held, the rectangle follows the pointer on screen; the picture
    // itself gets nothing. The outline covers columns press.x to release.x - 1 and rows
    // press.y to release.y - 1, as the release will draw it.
    const int midX = (press.x() + release.x()) / 2, midY = (press.y() + release.y()) / 2;
    const QPoint outline[] = {QPoint(midX, press.y()),     QPoint(midX, release.y() - 1),
                              QPoint(press.x(), midY),     QPoint(release.x() - 1, midY),
                              QPoint(press.x(), press.y()), QPoint(release.x() - 1, release.y() - 1)};
    QTest::mouseMove(program.Window(), program.At(QPoint(midX, midY)));
    QTest::mouseMove(program.Window(), program.At(release));
    const QImage onScreen = program.View().grab().toImage();
    for (QPoint p : outline) {
      const QString at = QString("%1,%2").arg(p.x()).arg(p.y());
      QVERIFY2(onScreen.pixelColor(p) == QColor(Qt::black), qPrintable(at));
      if (std::abs(p.x() - press.x()) > 2 || std::abs(p.y() - press.y()) > 2) {
        QVERIFY2(IsWhite(program.Picture(), p.x(), p.y()), qPrintable(at));
      }
    }
    QCOMPARE(onScreen.pixelColor(midX, press.y() + 1), QColor(Qt::white));
    QCOMPARE(onScreen.pixelColor(release.x(), midY), QColor(Qt::white));

    program.Release(Qt::RightButton, release);
    program.Settle();
    QCOMPARE(program.State().Boxes.ZoomRectDefined, 1);
    const Canvas& framed = program.Picture();
    for (QPoint p : outline) {
      QVERIFY2(framed.GetPixel(p.x(), p.y()) == kBlack, qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    }
    QVERIFY(IsWhite(framed, midX, press.y() + 1));
    QVERIFY(IsWhite(framed, release.x(), midY));

    // "Zoom in" takes the rectangle (rounded outward) as the new range.
    const WorldPoint low = program.WorldAt(QPoint(press.x(), release.y()));
    const WorldPoint high = program.WorldAt(QPoint(release.x(), press.y()));
    program.Command(CommandId::ZoomIn);
    const WorldRange zoomed = program.State().Boxes.XYBox.GetRange();
    QVERIFY(zoomed.Xmin <= low.x && zoomed.Xmin > low.x - 1.0);
    QVERIFY(zoomed.Xmax >= high.x && zoomed.Xmax < high.x + 1.0);
    QVERIFY(zoomed.Ymin <= low.y && zoomed.Ymax >= high.y);
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{0});
  }

  void ARightDoubleClickNeverStartsARun() {
    Running program;
    const BoxPixels b = program.Box();
    const QPoint at((b.left + b.right) / 3, (b.top + b.bottom) / 3);
    QTest::mouseDClick(program.Window(), Qt::RightButton, {}, program.At(at));
    program.Settle();
    QCOMPARE(program.State().Store.RTN, 0);
    QCOMPARE(program.State().Store.Buf, 0);
    QCOMPARE(program.State().Run.InitialPoint.x, 0.5);
    QCOMPARE(program.State().Run.Requests.RunPending, 0);
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{0});
  }

  void StartContinueAndRefreshFromTheMenuAndToolbar() {
    Running program;
    const BoxPixels b = program.Box();
    auto ink = [&] { return CountInk(program.Picture(), b.left + 1, b.top + 1, b.right - 1, b.bottom - 1); };
    const int empty = ink();

    program.Command(CommandId::StartRun);
    QCOMPARE(program.State().Store.RTN, 1000);
    QCOMPARE(program.State().Store.Buf, 1000);
    const int afterRun = ink();
    QVERIFY(afterRun > empty + 50);

    program.Command(CommandId::ContinueRun);
    QCOMPARE(program.State().Store.RTN, 2000);
    program.Command(CommandId::ToolbarContinueIterations);
    QCOMPARE(program.State().Store.RTN, 3000);
    QCOMPARE(program.State().Store.Buf, 3000);
    const int afterContinue = ink();
    QVERIFY(afterContinue >= afterRun);

    // Commands given before the window repaints are served by one repaint.
    int repaints = program.View().RepaintCount();
    program.app.Frame().Action(CommandId::Refresh)->trigger();
    program.app.Frame().Action(CommandId::StartRun)->trigger();
    program.Settle();
    QCOMPARE(program.View().RepaintCount(), repaints + 1);
    QCOMPARE(program.State().Store.RTN, 1000);
    QCOMPARE(program.State().Store.Buf, 4000);

    // "Refresh" runs nothing: the stored points come back, the trajectory counters go.
    program.Command(CommandId::Refresh);
    QCOMPARE(program.State().Store.RTN, 0);
    QCOMPARE(program.State().Store.Buf, 4000);
    QVERIFY(ink() >= afterContinue);
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{0});
  }

  void StoreBufferInStreamReportsAndNeverRepaints() {
    Running program;
    program.answers.Press(QMessageBox::Ok);
    int repaints = program.View().RepaintCount();
    program.Command(CommandId::StoreBufferInStream);
    QCOMPARE(program.answers.Texts(), std::vector<QString>{"Buffer is empty"});
    QCOMPARE(program.answers.SeenWindows()[0].title, QString("Orbitra"));
    QCOMPARE(program.answers.SeenWindows()[0].icon, QMessageBox::Warning);
    QCOMPARE(program.View().RepaintCount(), repaints);

    program.Command(CommandId::StartRun);
    program.answers.Clear();
    program.answers.Press(QMessageBox::Ok);
    repaints = program.View().RepaintCount();
    program.Command(CommandId::StoreBufferInStream);
    QCOMPARE(program.answers.Texts(), std::vector<QString>{"Transfer of 1000  (24000 bytes) Ok"});
    QCOMPARE(program.answers.SeenWindows()[0].icon, QMessageBox::Information);
    QCOMPARE(program.View().RepaintCount(), repaints);
    QCOMPARE(std::filesystem::file_size(PathOf(program.dir) / "tmpdata.bin"), std::uintmax_t{24000});
    QCOMPARE(program.State().Store.Buf, 0);
  }

  void BoxesDuringARunNeitherNestNorLoseTheCanvas() {
    Running program;
    CMainFrame& frame = program.app.Frame();
    program.State().Run.Settings.InfinityValue = 0.01;  // the first iterate escapes
    const QSize grown = frame.size() + QSize(40, 30);
    program.answers.Then([&](QWidget& box) {
      // While the run's message box is open: a resize and another command arrive.
      frame.resize(grown);
      frame.Action(CommandId::Refresh)->trigger();
      QTest::qWait(30);
      qobject_cast<QMessageBox*>(&box)->button(QMessageBox::Ok)->click();
    });
    program.Command(CommandId::StartRun);
    QTRY_COMPARE(program.answers.SeenWindows().size(), std::size_t{1});
    QVERIFY(program.answers.SeenWindows()[0].text.contains("Escape to Infinity"));
    program.Settle();
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{1});
    // The canvas follows the new size after the run, and the queued refresh was served.
    QCOMPARE(program.Picture().Width(), program.View().width());
    QCOMPARE(program.Picture().Height(), program.View().height());
    QCOMPARE(program.State().Store.RTN, 0);
  }

  void NoRepaintStartsWhileACommandItsBoxOrItsDialogIsOpen() {
    Running program;
    CMainFrame& frame = program.app.Frame();
    const BoxPixels b = program.Box();
    const QPoint start((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    program.Command(CommandId::StartRun);

    // A double click queues a run, and "Store Buffer in Stream" comes before it is served.
    // The box lets the event loop run, which tries to serve the queued run right there.
    int repaintsWhileOpen = -1;
    int bufWhileOpen = -1;
    const auto waitInside = [&](QWidget& modal) {
      const int before = program.View().RepaintCount();
      QTest::qWait(60);
      repaintsWhileOpen = program.View().RepaintCount() - before;
      bufWhileOpen = program.State().Store.Buf;
      if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
        box->button(QMessageBox::Ok)->click();
      } else {
        dynamic_cast<QDialog&>(modal).reject();
      }
    };
    program.answers.Then(waitInside);
    program.DoubleClick(start);
    QCOMPARE(program.State().Run.Requests.RunPending, 1);  // queued, not yet served
    frame.Action(CommandId::StoreBufferInStream)->trigger();
    QCOMPARE(program.answers.Texts(), std::vector<QString>{"Transfer of 1000  (24000 bytes) Ok"});
    QCOMPARE(repaintsWhileOpen, 0);
    QCOMPARE(bufWhileOpen, 0);
    program.Settle();
    // The run came after the command and kept its points.
    QCOMPARE(program.State().Store.Dsk, 1000);
    QCOMPARE(program.State().Store.Buf, 1000);
    QCOMPARE(program.State().Store.RTN, 1000);

    // The toolbar's "Run new trajectory": nothing runs under its dialog either.
    program.answers.Then(waitInside);
    program.DoubleClick(start);
    QCOMPARE(program.State().Run.Requests.RunPending, 1);
    frame.Action(CommandId::ToolbarRunNewTrajectory)->trigger();
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{2});
    QCOMPARE(program.answers.SeenWindows()[1].title, QString("Initial conditions"));
    QCOMPARE(repaintsWhileOpen, 0);
    QCOMPARE(bufWhileOpen, 1000);
    program.Settle();
    QCOMPARE(program.State().Store.Buf, 2000);
    QCOMPARE(program.answers.Unscripted(), 0);
  }

  void HidingTheBarsGivesTheirSpaceToThePicture() {
    Running program;
    CMainFrame& frame = program.app.Frame();
    const int height = program.View().height();
    const int toolbarHeight = frame.Toolbar()->height();
    program.Command(CommandId::ViewToolbar);
    QVERIFY(!frame.Action(CommandId::ViewToolbar)->isChecked());
    QTRY_VERIFY(program.View().height() >= height + toolbarHeight);
    program.Settle();
    QCOMPARE(program.Picture().Height(), program.View().height());
    // The box scales with the window: its bottom edge moved down with it.
    const BoxPixels b = program.Box();
    QVERIFY(!IsWhite(program.Picture(), (b.left + b.right) / 2, b.bottom));

    program.Command(CommandId::ViewStatusBar);
    QTRY_VERIFY(program.View().height() > height + toolbarHeight);
  }

  void ClosingAsksNothing() {
    Running program;
    program.Command(CommandId::StartRun);
    program.Command(CommandId::AppExit);
    QVERIFY(!program.app.Frame().isVisible());
    QTest::qWait(30);
    QCOMPARE(program.answers.SeenWindows().size(), std::size_t{0});
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppMappingWindow)
#include "app_mapping_window.moc"
