// SPDX-License-Identifier: GPL-3.0-or-later
// A map of the user's own, through the program's window: defined and checked in "Define
// Map...", chosen in "Select Mapping" and run from a double click in the box.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "maps/map_routines.h"
#include "maps/mapping_catalogue.h"

namespace orbitra {
namespace {

using namespace apptest;

QLineEdit* Field(QWidget& dialog, const char* name) { return dialog.findChild<QLineEdit*>(QString::fromLatin1(name)); }
void Click(QWidget& dialog, const char* name) { dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }

class AppUserMaps : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void DefinedCheckedChosenAndRunFromAClick() {
    QTemporaryDir dir;
    ModalAnswerer answers;
    OrbitraApp app(PathOf(dir));
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    MappingWindow& view = app.Frame().View();
    const auto settle = [&view] {
      int seen = -1;
      while (seen != view.RepaintCount()) {
        seen = view.RepaintCount();
        QTest::qWait(30);
      }
    };
    settle();

    // "Henon D-C Map" typed in, first with a slip in x'.
    QString firstCheck, selected, focused, helperCheck, helperSelected, secondCheck;
    answers.Then([&](QWidget& dialog) {
      Field(dialog, "name")->setText("My Henon");
      Field(dialog, "xFormula")->setText("1 - k1*x*x + k3*z");
      Field(dialog, "yFormula")->setText("k2*x");
      Field(dialog, "k1")->setText("0.95");
      Field(dialog, "k2")->setText("1");
      Field(dialog, "k3")->setText("-1");
      Click(dialog, "check");
      firstCheck = Field(dialog, "checkResult")->text();
      selected = Field(dialog, "xFormula")->selectedText();
      focused = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
      Field(dialog, "xFormula")->setText("1 - k1*x*x + k3*y");
      auto* helpers = dialog.findChild<QPlainTextEdit*>("helpers");
      helpers->setPlainText("t = x\n\nu = t + w");
      Click(dialog, "check");
      helperCheck = Field(dialog, "checkResult")->text();
      helperSelected = helpers->textCursor().selectedText();
      helpers->clear();
      Click(dialog, "check");
      secondCheck = Field(dialog, "checkResult")->text();
      Click(dialog, "save");
      Click(dialog, "close");
    });
    app.Frame().Action(CommandId::DefineMap)->trigger();
    settle();
    QCOMPARE(firstCheck, QString("x': unknown name \"z\" at column 17"));
    QCOMPARE(selected, QString("z"));
    QCOMPARE(focused, QString("xFormula"));
    QCOMPARE(helperCheck, QString("helper line 3: unknown name \"w\" at column 9"));
    QCOMPARE(helperSelected, QString("w"));
    QCOMPARE(secondCheck, QString("x' = 0.7625   y' = 0.5"));  // from the initial point (0.5, 0)
    QCOMPARE(app.State().UserMaps.Count(), 1);
    QVERIFY(ReadFile(PathOf(dir) / "usermaps.txt").find("map My Henon\n") != std::string::npos);

    // Listed after the ten built-in maps, chosen like them.
    QString listed;
    answers.Then([&listed](QWidget& dialog) {
      auto* list = dialog.findChild<QComboBox*>("systemList");
      listed = list->itemText(10);
      list->setCurrentIndex(10);
      Click(dialog, "ok");
    });
    app.Frame().Action(CommandId::SelectMapping)->trigger();
    settle();
    QCOMPARE(listed, QString("My Henon"));
    QCOMPARE(app.State().Model.system, 11);
    QCOMPARE(app.State().Boxes.XYBox.Label, std::string("My Henon"));

    // A double click in the middle of the box runs the user's map: the built-in map's orbit.
    const BoxPixels b = SingleModeBox(view.Picture().Width(), view.Picture().Height());
    const QPoint start((b.left + b.right) / 2 + 7, (b.top + b.bottom) / 2 - 5);
    QTest::mouseDClick(app.Frame().windowHandle(), Qt::LeftButton, {}, view.mapTo(&app.Frame(), start));
    settle();
    const OrbitraState& s = app.State();
    QCOMPARE(s.Store.RTN, 1000);
    MappingModel henon;
    SelectSystemWithDefaults(henon, 2);
    double x = s.Run.InitialPoint.x, y = s.Run.InitialPoint.y;
    QVERIFY(x != 0.0 && y != 0.0);
    for (int i = 0; i < 1000; ++i) {
      const MapImage image = HenonDcMapRoutine(henon, x, y);
      x = image.x;
      y = image.y;
    }
    QCOMPARE(s.Run.CurrentPoint.x, x);
    QCOMPARE(s.Run.CurrentPoint.y, y);
    QCOMPARE(answers.Unscripted(), 0);
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppUserMaps)
#include "app_user_maps.moc"
