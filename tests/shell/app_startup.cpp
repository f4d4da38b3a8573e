// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the program: files, the first picture, the status bar, and shutdown.

#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "app/lock_keys.h"
#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "render/qt_text_painter.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"

namespace orbitra {
namespace {

using namespace apptest;

class AppStartup : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void StartsWithFreshFilesAndOnlyThePhasePlane() {
    QTemporaryDir dir;
    const std::filesystem::path work = PathOf(dir);
    WriteFile(work / "tmpdata.bin", std::string(48, 'x'));
    WriteFile(work / "icgroup.txt", "0.100000 0.200000 100 1 0\n");
    WriteFile(work / "usercomments.txt", "earlier notes\n");
    ModalAnswerer answers;

    OrbitraApp app(work);
    app.Start();
    QCOMPARE(QCoreApplication::organizationName(), QString("Local AppWizard-Generated Applications"));
    QCOMPARE(app.Frame().windowTitle(), QString("Orbitra"));
    QCOMPARE(ReadFile(work / "tmpdata.bin"), std::string());
    QCOMPARE(ReadFile(work / "icgroup.txt"), std::string());
    QCOMPARE(ReadFile(work / "usercomments.txt"), std::string("earlier notes\n"));
    // The first picture comes from the event loop, after the model and the storage exist.
    MappingWindow& view = app.Frame().View();
    QCOMPARE(view.RepaintCount(), 0);
    QTRY_VERIFY(view.RepaintCount() >= 1);
    QTest::qWait(50);
    QCOMPARE(answers.SeenWindows().size(), std::size_t{0});

    const Canvas& picture = view.Picture();
    QCOMPARE(picture.Width(), view.width());
    QCOMPARE(picture.Height(), view.height());
    const BoxPixels box = SingleModeBox(picture.Width(), picture.Height());
    const int midX = (box.left + box.right) / 2, midY = (box.top + box.bottom) / 2;
    // A frame two pixels thick: the outline of the box and one around it.
    for (int x : {box.left - 1, box.left, box.right - 1, box.right}) QVERIFY(!IsWhite(picture, x, midY));
    for (int y : {box.top - 1, box.top, box.bottom - 1, box.bottom}) QVERIFY(!IsWhite(picture, midX, y));
    QVERIFY(IsWhite(picture, box.left + 1, midY) && IsWhite(picture, box.right - 2, midY));

    // Inside the box nothing but the mark of the initial point (0.5, 0), which lies on the
    // bottom edge of the range [0, 7] x [0, 7]: no evolution box, no points.
    const int markX = Pix(box.left + 0.5 * (box.right - box.left) / 7.0);
    int ink = CountInk(picture, box.left + 1, box.top + 1, box.right - 1, box.bottom - 1);
    ink -= CountInk(picture, markX - 2, box.bottom - 3, markX + 3, box.bottom - 1);
    QCOMPARE(ink, 0);
    // Left of the box, below the status lines and clear of the axis labels: empty.
    QCOMPARE(CountInk(picture, 0, 200, box.left - 60, picture.Height()), 0);

    // The title "Standard Map", 12 characters centred above the box, 25 pixels up.
    Canvas expected(picture.Width(), picture.Height());
    QtTextPainter painter;
    const int titleX = Pix(box.left + 3.5 * (box.right - box.left) / 7.0) - 4 * 12, titleY = box.top - 25;
    painter.DrawText(expected, titleX, titleY, "Standard Map");
    const QFontMetrics metrics(QApplication::font());
    const int titleRight = titleX + metrics.horizontalAdvance("Standard Map");
    const int titleBottom = std::min(titleY + metrics.height(), box.top - 2);
    QVERIFY(CountInk(expected, titleX, titleY, titleRight, titleBottom) > 20);
    for (int y = titleY; y < titleBottom; ++y) {
      for (int x = titleX; x < titleRight; ++x) {
        QVERIFY2(picture.GetPixel(x, y) == expected.GetPixel(x, y), qPrintable(QString("%1,%2").arg(x).arg(y)));
      }
    }

    // The status bar: "Ready", then the three lock panes.
    CMainFrame& frame = app.Frame();
    QVERIFY(frame.ReadyText()->isVisible());
    QCOMPARE(frame.ReadyText()->text(), QString("Ready"));
    QStringList panes;
    for (QLabel* label : frame.StatusBar()->findChildren<QLabel*>()) {
      if (label != frame.ReadyText()) panes << label->objectName();
    }
    QCOMPARE(panes, (QStringList{"capsPane", "numPane", "scrollPane"}));

    // The mapping window has the keyboard focus, also when the frame is given it.
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    frame.setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&view));

    // Closing asks nothing and leaves the files as they are.
    QVERIFY(frame.close());
    QTest::qWait(20);
    QCOMPARE(answers.SeenWindows().size(), std::size_t{0});
    QCOMPARE(ReadFile(work / "usercomments.txt"), std::string("earlier notes\n"));
    QVERIFY(std::filesystem::exists(work / "tmpdata.bin"));
  }

  void LockPanesFollowTheKeyboardLights() {
    QTemporaryDir dir;
    const std::filesystem::path leds = PathOf(dir);
    auto light = [&](const std::string& name, const char* level) {
      std::filesystem::create_directories(leds / name);
      WriteFile(leds / name / "brightness", level);
    };
    light("input3::capslock", "0\n");
    light("input7::capslock", "1\n");  // a second keyboard with its lock on
    light("input3::numlock", "0\n");
    light("input3::kana", "1\n");
    light("phy0-led", "1\n");
    const LockKeyStates states = ReadLockKeyStates(leds);
    QCOMPARE(states.caps, std::optional<bool>(true));
    QCOMPARE(states.num, std::optional<bool>(false));
    QCOMPARE(states.scroll, std::optional<bool>());  // the system cannot tell

    const LockKeyStates none = ReadLockKeyStates(leds / "missing");
    QVERIFY(!none.caps && !none.num && !none.scroll);

    // A pane shows its text only while its lock is on; blank, it keeps its place.
    UnstartedFrame unstarted;
    CMainFrame& frame = unstarted.frame;
    frame.show();
    const auto pane = [&](const char* name) { return frame.StatusBar()->findChild<QLabel*>(name); };
    frame.ReadLocksFrom(leds);
    QCOMPARE(pane("capsPane")->text(), QString("CAP"));
    QCOMPARE(pane("numPane")->text(), QString());
    QCOMPARE(pane("scrollPane")->text(), QString());
    QVERIFY(pane("numPane")->width() >= pane("numPane")->fontMetrics().horizontalAdvance("NUM"));
    light("input3::numlock", "1\n");
    light("input7::capslock", "0\n");
    frame.ReadLocksFrom(leds);
    QCOMPARE(pane("capsPane")->text(), QString());
    QCOMPARE(pane("numPane")->text(), QString("NUM"));
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppStartup)
#include "app_startup.moc"
