// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter plane's and the basins' windows opened by their commands: the same pixels
// and the same export as orbitra-render for the same settings, the pointer's text, and
// clicks that set both parameters or start an orbit in the mapping window.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStatusBar>
#include <QProcess>
#include <QProgressBar>
#include <QSpinBox>
#include <QTest>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app/sweep_window.h"
#include "app_test_support.h"
#include "sweep_test_support.h"
#include "explorer/orbitra_state.h"
#include "explorer/selection_dialog_logic.h"
#include "sweeps/grid_window_logic.h"

namespace orbitra {
namespace {

using namespace apptest;
using namespace sweeptest;

struct Program {
  Program() : app(PathOf(dir)) {
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    // The classic Henon map, as typed into "Select Mapping".
    OrbitraState& state = app.Frame().State();
    SelectionDialogValues v = PrepareSelectionDialog(state);
    PickSystemInList(v, 1);
    v.k1 = 1.4;
    v.k2 = 0.3;
    v.k3 = 1.0;
    app.Frame().View().Invalidate(ApplySelectionDialog(state, app.Frame().Prompts(), v));
  }

  // The command with these fields typed into its dialog (combo boxes by index); the window.
  SweepWindow* Open(CommandId command, const std::vector<std::pair<QString, QString>>& fields, int colouring,
                    int threads) {
    answers.Then([fields, colouring, threads](QWidget& dialog) {
      for (const auto& [name, text] : fields) dialog.findChild<QLineEdit*>(name)->setText(text);
      dialog.findChild<QComboBox*>("colouring")->setCurrentIndex(colouring);
      dialog.findChild<QSpinBox*>("threads")->setValue(threads);
      qobject_cast<QDialog*>(&dialog)->accept();
    });
    app.Frame().Action(command)->trigger();
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<SweepWindow*>(w)) return window;
    }
    return nullptr;
  }


  QTemporaryDir dir;
  ModalAnswerer answers;
  OrbitraApp app;
};

QByteArray Contents(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const GridWindowLogic& Logic(SweepWindow& window) { return dynamic_cast<const GridWindowLogic&>(window.View()); }

class AppGridWindows : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void TheWindowShowsTheRenderersPictureAndExport_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("fields");  // name, text, name, text...
    QTest::addColumn<int>("colouring");
    QTest::addColumn<QStringList>("render");
    QTest::addColumn<QString>("status");
    QTest::newRow("plane by period")
        << static_cast<int>(CommandId::ParameterPlane)
        << QStringList{"xMin", "0.9", "xMax", "1.45", "yMin", "0.05", "yMax", "0.35", "x0", "0.1", "y0", "0.1",
                       "transient", "200", "lyapunovIterations", "300", "longestPeriod", "32"}
        << 0
        << QStringList{"--parameter-plane", "k1=0.9:1.45,k2=0.05:0.35", "--from", "0.1,0.1", "--transient", "200",
                       "--lyapunov-iterations", "300", "--longest-period", "32"}
        << "Parameter plane: 100% of ";
    QTest::newRow("basins by attractor")
        << static_cast<int>(CommandId::Basins)
        << QStringList{"xMin", "-2", "xMax", "2", "yMin", "-1.5", "yMax", "1.5", "transient", "300", "escape", "500"}
        << 1
        << QStringList{"--basins", "--range", "-2,2,-1.5,1.5", "--colour-by", "attractor", "--transient", "300",
                       "--escape", "500"}
        << "Basins: 100% of ";
  }
  void TheWindowShowsTheRenderersPictureAndExport() {
    QFETCH(int, command);
    QFETCH(QStringList, fields);
    QFETCH(int, colouring);
    QFETCH(QStringList, render);
    QFETCH(QString, status);
    Program program;
    std::vector<std::pair<QString, QString>> typed;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) typed.emplace_back(fields[i], fields[i + 1]);
    SweepWindow* window = program.Open(static_cast<CommandId>(command), typed, colouring, 3);
    QVERIFY(window != nullptr);
    window->SetPictureSize(QSize(331, 251));
    Finish(*window);
    QVERIFY2(window->StatusLine()->text().startsWith(status), qPrintable(window->StatusLine()->text()));
    QVERIFY(window->StatusLine()->text().endsWith(" pixels, done"));
    QCOMPARE(window->ProgressBar()->value(), 100);

    QTemporaryDir cwd;
    QCOMPARE(RunRender(cwd.path(), QStringList{"--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1",
                                               "--threads", "2", "--size", "331x251", "--png", "cli.png", "--export",
                                               "cli.txt"} +
                                       render),
             0);
    const Comparison same = ComparePixels(window->View().Shown(), QImage(cwd.filePath("cli.png")));
    QVERIFY2(!same.difference, qPrintable("pixel " + same.difference.value_or("")));
    QVERIFY(same.dark > 2000);  // cells, axes and texts were drawn
    QVERIFY(!Logic(*window).Export(cwd.filePath("window.txt").toStdString()));
    QCOMPARE(Contents(cwd.filePath("window.txt")), Contents(cwd.filePath("cli.txt")));
    window->close();
  }

  void ThePointerAndAClickOnThePlaneSetBothParameters() {
    Program program;
    // k1 over [0.55, 0.75], k2 over [0.28, 0.32]: period 2 everywhere.
    SweepWindow* window = program.Open(CommandId::ParameterPlane,
                                       {{"xMin", "0.55"}, {"xMax", "0.75"}, {"yMin", "0.28"}, {"yMax", "0.32"},
                                        {"x0", "0.1"}, {"y0", "0.1"}, {"transient", "300"}},
                                       0, 2);
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QString("Parameter Plane - Henon D-C Map"));
    window->SetPictureSize(QSize(300, 200));
    Finish(*window);
    const GridPictureLayout layout = LayoutGridPicture(300, 200, 1.0);
    const QPoint cell(layout.PixelX(40), layout.PixelY(7));
    QMouseEvent move(QEvent::MouseMove, cell, window->PictureWidget().mapToGlobal(cell), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&window->PictureWidget(), &move);
    const QString text = window->PointerLine()->text();
    QVERIFY2(text.contains(": period 2, \u03BB1 = -"), qPrintable(text));

    // The click says what it does before doing it.
    program.answers.Clear();
    program.answers.Press(QMessageBox::Yes);
    QTest::mouseClick(&window->PictureWidget(), Qt::LeftButton, Qt::NoModifier, cell);
    const MappingModel& model = program.app.Frame().State().Model;
    QVERIFY(!program.answers.Texts().empty());
    QCOMPARE(program.answers.Texts().front(),
             QString("Set k1 = %1, k2 = %2 in the explorer?").arg(model.k1, 0, 'g', 10).arg(model.k2, 0, 'g', 10));
    QCOMPARE(model.k1, 0.55 + 40.5 * (0.2 / layout.gridWidth));
    QCOMPARE(model.k2, 0.28 + 7.5 * (0.04 / layout.gridHeight));
    QCOMPARE(model.k3, 1.0);
    QVERIFY(text.startsWith(QString("k1 = %1, k2 = %2: ").arg(model.k1, 0, 'g', 6).arg(model.k2, 0, 'g', 6)));

    // A narrow window: the status and the pointer's text share the bar, each readable whole
    // (wrapped), neither cut.
    window->show();
    window->resize(320, 300);
    QTRY_VERIFY(window->width() <= 400);
    QApplication::processEvents();
    for (QLabel* label : {window->StatusLine(), window->PointerLine()}) {
      QVERIFY(!label->text().isEmpty());
      const bool whole = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                           : label->minimumSizeHint().width() <= label->width();
      QVERIFY2(whole, qPrintable(label->text() + QString(" w %1 hfw %2 h %3").arg(label->width()).arg(label->heightForWidth(label->width())).arg(label->height())));
    }
    QVERIFY(!window->StatusLine()->geometry().intersects(window->PointerLine()->geometry()));
    window->close();
  }

  // Resizing goes on computing at the size the work started with (shown scaled); once the
  // resizing rests, "New Size" is enabled and F5 computes the new size. A window whose work
  // is stopped computes the new size once the resizing rests.
  void AResizeKeepsTheWorkAndOffersTheNewSize() {
    Program program;
    SweepWindow* window = program.Open(CommandId::ParameterPlane,
                                       {{"xMin", "0.55"}, {"xMax", "0.75"}, {"yMin", "0.28"}, {"yMax", "0.32"},
                                        {"transient", "2000000"}},
                                       0, 1);
    QVERIFY(window != nullptr);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const int started = window->View().Shown().Width();
    QVERIFY(started > 1);
    QVERIFY(window->View().Working());
    QCOMPARE(window->NewSizeAction()->text(), QString("New Size"));
    QVERIFY(!window->NewSizeAction()->isEnabled());
    window->resize(window->width() + 60, window->height() + 20);
    window->resize(window->width() + 30, window->height() + 10);
    QApplication::processEvents();
    QCOMPARE(window->View().Shown().Width(), started);  // the same job goes on
    QVERIFY(window->View().Working());
    QTRY_VERIFY(window->NewSizeAction()->isEnabled());
    QCOMPARE(window->View().Shown().Width(), started);
    QVERIFY(window->View().Working());
    // The offer stays while the work goes on: the picture keeps its size.
    QTest::qWait(1000);
    QVERIFY(window->NewSizeAction()->isEnabled());
    QCOMPARE(window->View().Shown().Width(), started);
    QTest::keyClick(window, Qt::Key_F5);
    QCOMPARE(window->View().Shown().Width(), window->PictureWidget().width());
    QCOMPARE(window->View().Shown().Height(), window->PictureWidget().height());
    QVERIFY(window->View().Shown().Width() != started);
    QVERIFY(!window->NewSizeAction()->isEnabled());

    // Stopped: the new size is computed when the resizing rests.
    window->StopAction()->trigger();
    QVERIFY(!window->View().Working());
    window->resize(window->width() - 50, window->height() - 30);
    QApplication::processEvents();
    const QSize stopped(window->View().Shown().Width(), window->View().Shown().Height());
    QVERIFY(stopped != window->PictureWidget().size());
    QTRY_VERIFY(QSize(window->View().Shown().Width(), window->View().Shown().Height()) != stopped);
    QCOMPARE(window->View().Shown().Width(), window->PictureWidget().width());
    QCOMPARE(window->View().Shown().Height(), window->PictureWidget().height());

    // The status texts keep two lines' height whatever they say, so a new text never
    // resizes the picture.
    const int pictureHeight = window->PictureWidget().height();
    const int statusHeight = window->statusBar()->height();
    window->StopAction()->trigger();
    QApplication::processEvents();
    QCOMPARE(window->statusBar()->height(), statusHeight);
    QCOMPARE(window->PictureWidget().height(), pictureHeight);
    window->close();
  }

  void AClickOnTheBasinsStartsAnOrbitFromThatPoint() {
    Program program;
    SweepWindow* window = program.Open(CommandId::Basins,
                                       {{"xMin", "-2"}, {"xMax", "2"}, {"yMin", "-1"}, {"yMax", "1"}}, 0, 2);
    QVERIFY(window != nullptr);
    window->SetPictureSize(QSize(260, 180));
    Finish(*window);
    const GridPictureLayout layout = LayoutGridPicture(260, 180, 1.0);
    const OrbitraState& state = program.app.Frame().State();
    const auto pointsBefore = state.Store.DTN;
    // A cell near the origin, whose orbit stays on the attractor.
    const int column = layout.gridWidth / 2, row = layout.gridHeight / 2;
    window->Clicked(QPoint(layout.PixelX(column), layout.PixelY(row)));
    QCOMPARE(state.Run.InitialPoint.x, -2.0 + (column + 0.5) * (4.0 / layout.gridWidth));
    QCOMPARE(state.Run.InitialPoint.y, -1.0 + (row + 0.5) * (2.0 / layout.gridHeight));
    QTRY_VERIFY(state.Store.DTN != pointsBefore);  // the run from there took place
    window->close();
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppGridWindows)
#include "app_grid_windows.moc"
