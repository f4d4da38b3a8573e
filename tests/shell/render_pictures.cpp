// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures out of the program: "Save Picture..." through its dialog, and orbitra-render
// run as a user runs it, compared with what the real mapping window shows and exports.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSet>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

#include <cmath>
#include <sstream>
#include <thread>

#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "explorer/orbit_run.h"
#include "explorer/picture.h"
#include "explorer/work_progress.h"
#include "maps/native_map_compiler.h"
#include "render/console_prompter.h"
#include "render/picture_file.h"
#include "render/progress_line.h"
#include "render/qt_text_painter.h"

namespace orbitra {
namespace {

using namespace apptest;

// A started program in a fresh working directory with one run of the Standard Map from
// (0.5, 0) on its picture.
struct RunningWithOrbit {
  RunningWithOrbit() : app(PathOf(dir)) {
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    Command(CommandId::StartRun);
  }

  MappingWindow& View() { return app.Frame().View(); }
  const Canvas& Picture() { return View().Picture(); }
  void Settle() {
    int seen = -1;
    while (seen != View().RepaintCount()) {
      seen = View().RepaintCount();
      QTest::qWait(30);
    }
  }
  void Command(CommandId id) {
    app.Frame().Action(id)->trigger();
    Settle();
  }

  QTemporaryDir dir;
  ModalAnswerer answers;
  OrbitraApp app;
};

// Fills the next "Save picture" dialog and presses OK.
void AnswerSaveDialog(ModalAnswerer& answers, const QString& file, int sizePosition) {
  answers.Then([file, sizePosition](QWidget& dialog) {
    dialog.findChild<QLineEdit*>("fileName")->setText(file);
    dialog.findChild<QComboBox*>("size")->setCurrentIndex(sizePosition);
    dialog.findChild<QPushButton*>("ok")->click();
  });
}

// Pixels of an image file against a canvas; the first difference is reported.
void ComparePixels(const QString& file, const Canvas& canvas) {
  const QImage image(file);
  QCOMPARE(image.size(), QSize(canvas.Width(), canvas.Height()));
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const Colour c = canvas.GetPixel(x, y);
      if (image.pixel(x, y) != qRgb(c.Red(), c.Green(), c.Blue())) {
        QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
      }
    }
  }
}

struct Outcome {
  int exitCode = -1;
  QString err;
  QString out;
};

// orbitra-render in the given folder, as a shell would start it.
Outcome RunRender(const QString& folder, const QStringList& arguments) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.start(QStringLiteral(ORBITRA_RENDER_PROGRAM), arguments);
  if (!process.waitForFinished(60000)) return {};
  return Outcome{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                 QString::fromUtf8(process.readAllStandardError()), QString::fromUtf8(process.readAllStandardOutput())};
}

// The value of a "label: value" line of the orbit report printed by --lyapunov.
QString ReportValue(const QString& report, const QString& label) {
  for (const QString& line : report.split('\n')) {
    if (line.startsWith(label + ": ")) return line.mid(label.size() + 2);
  }
  return {};
}

// A new run of 1000 iterations from (x, y), as "Initial Conditions" with its run box would
// start it.
void RunFrom(OrbitraApp& app, double x, double y) {
  OrbitraState& state = app.State();
  state.Run.InitialPoint.x = x;
  state.Run.InitialPoint.y = y;
  state.Run.Settings.Iterations = 1000;
  state.Run.Requests.RunPending = 1;
  app.Frame().View().Invalidate(Invalidation::WithErase);
  int seen = -1;
  while (seen != app.Frame().View().RepaintCount()) {
    seen = app.Frame().View().RepaintCount();
    QTest::qWait(30);
  }
}

class RenderPictures : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // "Save Picture..." remembers its choices: never in the user's own settings.
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  // "Save picture" opens with what the test before chose: each test starts from nothing.
  void init() { QSettings(QStringLiteral("Orbitra"), QStringLiteral("Save Picture")).clear(); }

  void SavePictureWritesTheScreenOrALargerPictureDrawnAnew() {
    RunningWithOrbit running;
    const QString shown = running.dir.filePath("shown.png");
    AnswerSaveDialog(running.answers, shown, 0);
    running.Command(CommandId::SavePicture);
    ComparePixels(shown, running.Picture());

    // Twice the size: the same drawing on a canvas of twice the size, texts twice as large.
    const QString twice = running.dir.filePath("twice.png");
    AnswerSaveDialog(running.answers, twice, 1);
    running.Command(CommandId::SavePicture);
    Canvas expected(running.Picture().Width() * 2, running.Picture().Height() * 2);
    QtTextPainter painter;
    expected.SetTextPainter(&painter);
    expected.SetTextScale(2.0);
    DrawPicture(running.app.State(), expected);
    ComparePixels(twice, expected);
    QVERIFY(running.answers.SeenWindows().size() == 2 && running.answers.Unscripted() == 0);

    // An existing file is replaced only after Yes; No keeps it whole.
    WriteFile(PathOf(running.dir) / "kept.png", "mine");
    AnswerSaveDialog(running.answers, running.dir.filePath("kept.png"), 0);
    running.answers.Press(QMessageBox::No);
    running.Command(CommandId::SavePicture);
    QCOMPARE(running.answers.Texts().back(), QString("File kept.png exists. Overwrite?"));
    QCOMPARE(ReadFile(PathOf(running.dir) / "kept.png"), std::string("mine"));

    // A folder that cannot be: the file and the reason are shown, nothing is written.
    WriteFile(PathOf(running.dir) / "plain", "");
    const QString impossible = running.dir.filePath("plain/picture.png");
    AnswerSaveDialog(running.answers, impossible, 1);
    running.answers.Press(QMessageBox::Ok);
    running.Command(CommandId::SavePicture);
    QCOMPARE(running.answers.Texts().back(),
             QString("Cannot create \"%1\": Not a directory").arg(impossible));
    QVERIFY(running.answers.ScriptUsedUp());
  }

  // Every size of "Save Picture..." equals orbitra-render asked for the same choice, pixel
  // for pixel, the "x= y=" line of the run included.
  void SavedSizesEqualTheCommandLines() {
    RunningWithOrbit running;
    const Canvas& picture = running.Picture();
    const QString window = QString("%1x%2").arg(picture.Width()).arg(picture.Height());
    struct Choice {
      int position;
      QStringList arguments;
      QSize size;
    };
    const Choice choices[] = {
        {0, {"--window", window}, QSize(picture.Width(), picture.Height())},
        {1, {"--window", window, "--times", "2"}, QSize(picture.Width() * 2, picture.Height() * 2)},
        {4, {"--window", window, "--size", "1001x700"}, QSize(1001, 700)},
    };
    for (const Choice& choice : choices) {
      const QString saved = running.dir.filePath(QString("saved%1.png").arg(choice.position));
      running.answers.Then([&saved, &choice](QWidget& dialog) {
        dialog.findChild<QLineEdit*>("fileName")->setText(saved);
        dialog.findChild<QComboBox*>("size")->setCurrentIndex(choice.position);
        if (choice.position == 4) {
          dialog.findChild<QLineEdit*>("width")->setText("1001");
          dialog.findChild<QLineEdit*>("height")->setText("700");
        }
        dialog.findChild<QPushButton*>("ok")->click();
      });
      running.Command(CommandId::SavePicture);
      QTemporaryDir cwd;
      const Outcome outcome = RunRender(cwd.path(), QStringList{"--map", "Standard Map", "--from", "0.5,0",
                                                                "--iterations", "1000", "--png", "cli.png"} +
                                                        choice.arguments);
      QCOMPARE(outcome.err, QString());
      const QImage fromWindow(saved), fromCli(cwd.filePath("cli.png"));
      QCOMPARE(fromWindow.size(), choice.size);
      QCOMPARE(fromCli.size(), choice.size);
      int differing = 0;
      for (int y = 0; y < choice.size.height(); ++y) {
        for (int x = 0; x < choice.size.width(); ++x) differing += fromWindow.pixel(x, y) != fromCli.pixel(x, y);
      }
      QCOMPARE(differing, 0);
    }
    QCOMPARE(running.answers.Unscripted(), 0);
  }

  // "Plot only" at 1x and 2x equals orbitra-render --plot-only for the same choice, pixel
  // for pixel; at 1x it is a piece of the window's own picture that leaves out every status
  // and mouse line the window shows, and the initial point's 5 by 5 square (every point of
  // the run is kept, so the picture is drawn anew without it).
  void PlotOnlyEqualsTheCommandLineAndIsThePlotOfTheWindow() {
    RunningWithOrbit running;
    const Canvas& picture = running.Picture();
    const QString window = QString("%1x%2").arg(picture.Width()).arg(picture.Height());
    const QStringList times[] = {{}, {"--times", "2"}};
    for (int position = 0; position < 2; ++position) {
      const QString saved = running.dir.filePath(QString("plot%1.png").arg(position));
      running.answers.Then([&saved, position](QWidget& dialog) {
        dialog.findChild<QLineEdit*>("fileName")->setText(saved);
        dialog.findChild<QComboBox*>("size")->setCurrentIndex(position);
        dialog.findChild<QCheckBox*>("plotOnly")->setChecked(true);
        dialog.findChild<QPushButton*>("ok")->click();
      });
      running.Command(CommandId::SavePicture);
      QTemporaryDir cwd;
      const Outcome outcome =
          RunRender(cwd.path(), QStringList{"--map", "Standard Map", "--from", "0.5,0", "--iterations", "1000",
                                            "--png", "cli.png", "--plot-only", "--window", window} +
                                    times[position]);
      QCOMPARE(outcome.err, QString());
      const QImage fromWindow(saved), fromCli(cwd.filePath("cli.png"));
      QVERIFY(!fromWindow.isNull());
      QCOMPARE(fromCli.size(), fromWindow.size());
      QVERIFY(fromWindow.width() < picture.Width() * (position + 1));
      QVERIFY(fromWindow.height() < picture.Height() * (position + 1));
      for (int y = 0; y < fromWindow.height(); ++y) {
        for (int x = 0; x < fromWindow.width(); ++x) {
          if (fromWindow.pixel(x, y) != fromCli.pixel(x, y)) QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
        }
      }
      if (position != 0) continue;

      // Where the piece sits in the window's picture: exactly one place fits. Its margin of
      // 8 pixels may reach beyond the picture, white there.
      const QImage shown = PictureImage(picture);
      const auto shownAt = [&](int x, int y) {
        return x < 0 || y < 0 || x >= shown.width() || y >= shown.height() ? QColor(Qt::white).rgb() : shown.pixel(x, y);
      };
      const PixelPoint initial = running.app.Frame().State().Boxes.XYBox.WorldToScreen(0.5, 0.0);
      const QRect mark(initial.x - 2, initial.y - 2, 5, 5);
      const auto fitsAt = [&](int left, int top) {
        for (int y = 0; y < fromWindow.height(); ++y) {
          for (int x = 0; x < fromWindow.width(); ++x) {
            if (mark.contains(left + x, top + y)) continue;
            if (fromWindow.pixel(x, y) != shownAt(left + x, top + y)) return false;
          }
        }
        return true;
      };
      std::vector<QPoint> places;
      for (int top = -8; top + fromWindow.height() <= shown.height() + 8; ++top) {
        for (int left = -8; left + fromWindow.width() <= shown.width() + 8; ++left) {
          if (fitsAt(left, top)) places.emplace_back(left, top);
        }
      }
      QCOMPARE(places.size(), std::size_t{1});
      // The square's rows below the box's lower edge hold nothing else: inked in the window,
      // white in the piece.
      for (int y = initial.y + 2; y <= mark.bottom(); ++y) {
        for (int x = mark.left(); x <= mark.right(); ++x) {
          QVERIFY(shownAt(x, y) != QColor(Qt::white).rgb());
          QCOMPARE(fromWindow.pixel(x - places.front().x(), y - places.front().y()), QColor(Qt::white).rgb());
        }
      }
      // The status lines (x 3, y 5 to 85) and the mouse lines (y 140 to 185) are inked in
      // the window and lie outside the piece.
      const QRect piece(places.front(), fromWindow.size());
      for (const QRect lines : {QRect(0, 0, 120, 85), QRect(0, 140, 120, 45)}) {
        QVERIFY(!piece.intersects(lines));
        QVERIFY(CountInk(picture, lines.left(), lines.top(), lines.right() + 1, lines.bottom() + 1) > 20);
      }
    }
    QCOMPARE(running.answers.Unscripted(), 0);
  }

  // The folder, the size, the format and "Plot only" of the last picture saved come back in
  // the next dialog, also in a later run of the program (settings of its own, kept on disk).
  void SavePictureRemembersItsChoices() {
    RunningWithOrbit running;
    QDir(running.dir.path()).mkdir("pics");
    const QString saved = running.dir.filePath("pics/mine.bmp");
    running.answers.Then([&saved](QWidget& dialog) {
      dialog.findChild<QCheckBox*>("plotOnly")->setChecked(true);
      dialog.findChild<QLineEdit*>("fileName")->setText(saved);
      dialog.findChild<QComboBox*>("size")->setCurrentIndex(2);
      dialog.findChild<QPushButton*>("ok")->click();
    });
    running.Command(CommandId::SavePicture);
    QVERIFY(QFile::exists(saved));
    for (int run = 0; run < 2; ++run) {
      QString name;
      int size = -1;
      bool plotOnly = false;
      running.answers.Then([&](QWidget& dialog) {
        name = dialog.findChild<QLineEdit*>("fileName")->text();
        size = dialog.findChild<QComboBox*>("size")->currentIndex();
        plotOnly = dialog.findChild<QCheckBox*>("plotOnly")->isChecked();
        dialog.close();
      });
      running.Command(CommandId::SavePicture);
      QCOMPARE(name, running.dir.filePath("pics/Standard Map.bmp"));
      QCOMPARE(size, 2);
      QVERIFY(plotOnly);
    }
    QCOMPARE(QSettings(QStringLiteral("Orbitra"), QStringLiteral("Save Picture")).value("size").toInt(), 2);
    QCOMPARE(running.answers.Unscripted(), 0);
  }

  // A status line drawn again with shorter counters leaves none of the longer digits: the
  // lines end as on a canvas that only ever showed the short ones.
  void ShorterStatusLinesLeaveNoDigitsBehind() {
    QTemporaryDir dir;
    OrbitraState state(PathOf(dir));
    QtTextPainter painter;
    for (const double scale : {1.0, 2.0}) {
      Canvas redrawn(400, 300), fresh(400, 300);
      for (Canvas* canvas : {&redrawn, &fresh}) {
        canvas->Clear(kWhite);
        canvas->SetTextPainter(&painter);
        canvas->SetTextScale(scale);
      }
      state.Store.RTN = 1234567;
      state.Store.DTN = 7654321;
      state.Store.Buf = 888888;
      state.Run.Settings.Iterations = 1000000;
      DrawStatus(state, redrawn);
      state.Store.RTN = state.Store.DTN = state.Store.Buf = 0;
      state.Run.Settings.Iterations = 7;
      DrawStatus(state, redrawn);
      DrawStatus(state, fresh);
      for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
          if (redrawn.GetPixel(x, y) != fresh.GetPixel(x, y)) QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
        }
      }
      QVERIFY(CountInk(fresh, 0, 0, 400, 300) > 50);
    }
  }

  void CommandLinePictureAndExportEqualTheWindows() {
    RunningWithOrbit running;
    const Canvas& picture = running.Picture();
    const QString windowExport = running.dir.filePath("window.dat");
    running.answers.Then([&windowExport](QWidget& dialog) {
      dialog.findChild<QLineEdit*>("fileName")->setText(windowExport);
      dialog.findChild<QPushButton*>("ok")->click();
    });
    running.answers.Press(QMessageBox::Ok);  // "1000 points exported (about 20 KBytes)"
    running.Command(CommandId::ExportData);
    QCOMPARE(running.answers.Texts().back(), QString("1000 points exported (about 20 KBytes)"));

    QTemporaryDir cwd;
    const Outcome outcome =
        RunRender(cwd.path(), {"--map", "Standard Map", "--from", "0.5,0", "--iterations", "1000", "--size",
                               QString("%1x%2").arg(picture.Width()).arg(picture.Height()), "--png", "cli.png",
                               "--export", "cli.dat"});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.exitCode, 0);
    ComparePixels(cwd.filePath("cli.png"), picture);
    const std::string exported = ReadFile(PathOf(cwd) / "cli.dat");
    QCOMPARE(exported.size(), ReadFile(windowExport.toStdString()).size());
    QVERIFY(exported == ReadFile(windowExport.toStdString()));
  }

  // A batch job's session opens in the window (started with it, as the desktop starts it)
  // with the job's counters and the picture orbitra-render draws of it; on top of it,
  // further runs equal one job of all runs.
  void CommandLineSessionsOpenInTheWindowAndTakeMoreRuns() {
    RunningWithOrbit running;  // a window showing something else, to learn its picture's size
    const Canvas& shown = running.Picture();
    const QString size = QString("%1x%2").arg(shown.Width()).arg(shown.Height());
    QTemporaryDir cwd;
    const QStringList map = {"--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1", "--range",
                             "-1.5,1.25,-0.45,0.4", "--display", "1", "--iterations", "5000", "--size", size};
    Outcome outcome = RunRender(cwd.path(), map + QStringList{"--from", "0.1,0.1", "--save-session", "job.orbitra.h5",
                                                              "--png", "job.png"});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.exitCode, 0);
    outcome = RunRender(cwd.path(), {"--session", "job.orbitra.h5", "--size", size, "--png", "session.png"});
    QCOMPARE(outcome.exitCode, 0);

    {
      QTemporaryDir folder;
      OrbitraApp app(PathOf(folder));
      app.Start(PathOf(cwd) / "job.orbitra.h5");
      QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
      app.Frame().resize(running.app.Frame().size());
      int seen = -1;
      while (seen != app.Frame().View().RepaintCount()) {
        seen = app.Frame().View().RepaintCount();
        QTest::qWait(30);
      }
      const PointStore& store = app.State().Store;
      QCOMPARE(std::tuple(store.Buf, store.RTN, store.DTN, store.Dsk), std::tuple(5000, 5000, 5000, 0));
      ComparePixels(cwd.filePath("session.png"), app.Frame().View().Picture());
      QCOMPARE(ReadFile(PathOf(folder) / "recentsessions.txt"), (PathOf(cwd) / "job.orbitra.h5").string() + "\n");
      // "Recent Sessions" lists it, and its entry opens it again.
      QMenu* recent = app.Frame().Action(CommandId::RecentSessions)->menu();
      QVERIFY(recent != nullptr);
      emit recent->aboutToShow();
      QCOMPARE(recent->actions().size(), 1);
      QCOMPARE(recent->actions().front()->text(), QString("&1 job.orbitra.h5"));
      QCOMPARE(recent->actions().front()->data().toInt(), 32830);
      RunFrom(app, 0.3, 0.2);
      QCOMPARE(app.State().Store.RTN, 1000);
      recent->actions().front()->trigger();
      QCOMPARE(app.State().Store.RTN, 5000);
    }

    outcome = RunRender(cwd.path(), {"--session", "job.orbitra.h5", "--from", "-0.2,0.05", "--size", size, "--png",
                                     "more.png"});
    QCOMPARE(outcome.exitCode, 0);
    outcome = RunRender(cwd.path(), map + QStringList{"--from", "0.1,0.1", "--from", "-0.2,0.05", "--png", "all.png"});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(QImage(cwd.filePath("more.png")), QImage(cwd.filePath("all.png")));

    outcome = RunRender(cwd.path(), {"--session", "job.png", "--png", "x.png"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, "orbitra-render: Cannot open the session \"" + cwd.filePath("job.png") +
                              "\": it is not an Orbitra session\n");
  }

  // A group with an entry that escapes: the message goes to the error stream and the picture
  // is still made; the caller's own program files are not touched.
  void CommandLineGroupRunsInItsOwnFolder() {
    QTemporaryDir cwd;
    WriteFile(PathOf(cwd) / "tmpdata.bin", "keep");
    WriteFile(PathOf(cwd) / "icgroup.txt", "keep too");
    WriteFile(PathOf(cwd) / "g.txt", "0.1 0.1 500 4 0\n10 10 500 1 0\n");
    const Outcome outcome = RunRender(cwd.path(), {"--map", "2", "--group", "g.txt", "--png", "group.png"});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QString("orbitra-render:  Escape to Infinity\n or Initials are out of valid range\n"));
    QCOMPARE(QImage(cwd.filePath("group.png")).size(), QSize(800, 600));
    QCOMPARE(ReadFile(PathOf(cwd) / "tmpdata.bin"), std::string("keep"));
    QCOMPARE(ReadFile(PathOf(cwd) / "icgroup.txt"), std::string("keep too"));
  }

  // The same Henon map built in, typed in "usermaps.txt" (beside a damaged map) and typed on
  // the command line with a helper: the same points, bit for bit, and the inspector's
  // exponents of the published value (the typed maps' Jacobians by central differences).
  void CommandLineUserMapsAndTheInspectorsReport() {
    QTemporaryDir cwd;
    WriteFile(PathOf(cwd) / "usermaps.txt",
              "map Broken\nx' = x +\ny' = y\nend\n\n"
              "map My Henon\nx' = 1 - k1*x*x + k3*y\ny' = k2*x\nk1 = 1.4\nk2 = 0.3\nk3 = 1\n"
              "range = -1.5 1.5 -0.5 0.5\nend\n");
    const QStringList run = {"--from", "0.1,0.1", "--iterations", "100000", "--lyapunov"};
    const Outcome builtIn = RunRender(
        cwd.path(), QStringList{"--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1", "--range",
                                "-1.5,1.5,-0.5,0.5", "--export", "builtin.dat"} + run);
    QCOMPARE(builtIn.err, QString());
    QCOMPARE(builtIn.exitCode, 0);
    QCOMPARE(ReportValue(builtIn.out, "Map"), QString("Henon D-C Map"));
    const double lambda1 = ReportValue(builtIn.out, "\u03bb1").toDouble();
    QVERIFY2(std::abs(lambda1 - 0.419) < 0.003, qPrintable(builtIn.out));
    QCOMPARE(ReportValue(builtIn.out, "Period"), QString("no period up to 1000"));

    const Outcome fromFile = RunRender(cwd.path(), QStringList{"--map", "my henon", "--export", "file.dat"} + run);
    QCOMPARE(fromFile.err, QString("orbitra-render: \"usermaps.txt\", line 2: x': the formula ends too early at "
                                   "column 4\n"));
    QCOMPARE(fromFile.exitCode, 0);
    QCOMPARE(ReportValue(fromFile.out, "Map"), QString("My Henon"));

    const Outcome typed = RunRender(cwd.path(), QStringList{"--helper", "u = k1*x*x", "--x", "1 - u + k3*y", "--y",
                                                            "k2*x", "--k1", "1.4", "--k2", "0.3", "--k3", "1",
                                                            "--range", "-1.5,1.5,-0.5,0.5", "--export", "typed.dat"} +
                                                run);
    QCOMPARE(typed.err, QString());
    QCOMPARE(ReportValue(typed.out, "Map"), QString("Formula"));

    const std::string points = ReadFile(PathOf(cwd) / "builtin.dat");
    QVERIFY(points.size() > 100000 * 15);
    QVERIFY(ReadFile(PathOf(cwd) / "file.dat") == points);
    QVERIFY(ReadFile(PathOf(cwd) / "typed.dat") == points);
    for (const Outcome* user : {&fromFile, &typed}) {
      QVERIFY2(std::abs(ReportValue(user->out, "\u03bb1").toDouble() - lambda1) < 1e-4, qPrintable(user->out));
      QCOMPARE(ReportValue(user->out, "Current point"), ReportValue(builtIn.out, "Current point"));
    }
  }

  // A typed map that cannot be compiled (here: no assembler on the PATH) runs interpreted,
  // to the same points, and orbitra-render says so once in its own words when the failure
  // came before the runs ended (they never wait for the compiler, so it may not have);
  // --interpreted asks for the interpreter and says nothing.
  void CommandLineSaysOnceWhenATypedMapRunsInterpreted() {
    if (!NativeCompilerBuilt()) QSKIP("this build has no JIT compiler");
    QTemporaryDir cwd, cache;
    const QStringList map = {"--x", "1 - k1*x*x + k3*y", "--y", "k2*x", "--k1", "1.4", "--k2", "0.3",
                             "--k3", "1", "--range", "-1.5,1.5,-0.5,0.5", "--from", "0.1,0.1", "--iterations",
                             "20000"};
    QProcess process;
    process.setWorkingDirectory(cwd.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ORBITRA_RENDER_PROGRAM), map + QStringList{"--export", "failed.dat"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    const QString start =
        QStringLiteral("orbitra-render: \"Formula\" runs interpreted (same results, slower): compiling it failed: ");
    QVERIFY2(err.isEmpty() || (err.startsWith(start) && err.count('\n') == 1 && err.contains("cannot execute")),
             qPrintable(err));

    const Outcome interpreted = RunRender(cwd.path(), map + QStringList{"--export", "interpreted.dat", "--interpreted"});
    QCOMPARE(interpreted.err, QString());
    QCOMPARE(interpreted.exitCode, 0);
    const std::string points = ReadFile(PathOf(cwd) / "interpreted.dat");
    QVERIFY(points.size() > 20000 * 15);
    QVERIFY(ReadFile(PathOf(cwd) / "failed.dat") == points);
  }

  // On a terminal the progress line waits out the first second, overwrites itself in place
  // and is ended by a line break before a message; elsewhere nothing is written.
  void ProgressLineOnlyOnATerminalAfterASecond() {
    double now = 100.0;
    WorkProgress progress;
    progress.kind = WorkProgress::Kind::Run;
    progress.total = 10000000;

    std::ostringstream pipe;
    ProgressLine quiet(pipe, false, [&now] { return now; });
    now = 105.0;
    progress.done = progress.unitsDone = 4000000;
    quiet.WorkGoesOn(progress);
    quiet.End();
    QCOMPARE(pipe.str(), std::string());

    std::ostringstream terminal;
    now = 100.0;
    ProgressLine line(terminal, true, [&now] { return now; });
    ConsolePrompter prompter(terminal, &line);
    line.WorkBegins();
    now = 100.5;
    line.WorkGoesOn(progress);
    QCOMPARE(terminal.str(), std::string());
    now = 102.0;
    line.WorkGoesOn(progress);
    progress.kind = WorkProgress::Kind::Replay;  // a shorter text blanks the rest of the longer one
    line.WorkGoesOn(progress);
    prompter.ShowMessage("Buffer is Full");
    line.End();
    QCOMPARE(terminal.str(), std::string("\rRunning: 40% of 10000000 iterations, 2.0 M/s"
                                         "\rReplaying stored points: 40% of 10000000    "
                                         "\norbitra-render: Buffer is Full\n"));
  }

  void CommandLineRefusesBadArgumentsWithStatusTwo_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown map") << QStringList{"--map", "Nowhere Map", "--png", "x.png"}
                                 << "--map takes a map's name or a number from 1 to 10, not \"Nowhere Map\"";
    QTest::newRow("point") << QStringList{"--from", "1;2", "--png", "x.png"}
                           << "--from takes a point x,y, not \"1;2\"";
    QTest::newRow("negative count") << QStringList{"--iterations", "-5", "--png", "x.png"}
                                    << "--iterations takes a whole number from 0 to 2147483647, not \"-5\"";
    QTest::newRow("size") << QStringList{"--size", "0x600", "--png", "x.png"}
                          << "--size takes a width and a height such as 1600x1200, each from 1 to 16000, at most "
                             "100000000 pixels in all, not \"0x600\"";
    QTest::newRow("range") << QStringList{"--range", "1,0,0,1", "--png", "x.png"}
                           << "--range takes xmin,xmax,ymin,ymax with xmin below xmax and ymin below ymax, not "
                              "\"1,0,0,1\"";
    QTest::newRow("both") << QStringList{"--from", "0,0", "--group", "g.txt", "--png", "x.png"}
                          << "--from and --group cannot be used together";
    QTest::newRow("no output") << QStringList{"--from", "0,0"}
                               << "nothing to write: give --png FILE, --export FILE, --save-session FILE and/or --lyapunov";
    QTest::newRow("not in the map file")
        << QStringList{"--map-file", "m.txt", "--map", "Nowhere", "--png", "x.png"}
        << "--map takes the name of a built-in map or of one in \"m.txt\", or a number from 1 to 10, not \"Nowhere\"";
    QTest::newRow("formula") << QStringList{"--x", "1 - k1*x*x + z", "--y", "k2*x", "--png", "x.png"}
                             << "x': unknown name \"z\" at column 14";
    QTest::newRow("manifolds without a file") << QStringList{"--manifolds", "1:0.6,0.2", "--periodic-orbits", "1"}
                                              << "--manifolds needs --png FILE and/or --export FILE";
    QTest::newRow("manifolds period") << QStringList{"--manifolds", "21:0,0", "--png", "x.png"}
                                      << "--manifolds takes P:x,y, a period from 1 to 20 and a point, not \"21:0,0\"";
    QTest::newRow("times alone") << QStringList{"--times", "2", "--png", "x.png"} << "--times needs --window WxH";
    QTest::newRow("times and size") << QStringList{"--window", "400x300", "--times", "3", "--size", "10x10", "--png",
                                                   "x.png"}
                                    << "--times and --size cannot be used together";
    QTest::newRow("same file") << QStringList{"--from", "0,0", "--png", "out.png", "--export", "./sub/../out.png"}
                               << "--png and --export name the same file";
    QTest::newRow("unknown option") << QStringList{"--bogus", "--png", "x.png"} << "Unknown option 'bogus'.";
    QTest::newRow("diagram parameter") << QStringList{"--orbit-diagram", "k5=1:2", "--png", "x.png"}
                                       << "--orbit-diagram takes a parameter and its range such as k1=1.0:1.06, not "
                                          "\"k5=1:2\"";
    QTest::newRow("diagram range") << QStringList{"--orbit-diagram", "k1=2:1", "--png", "x.png"}
                                   << "--orbit-diagram takes a parameter and its range such as k1=1.0:1.06, not "
                                      "\"k1=2:1\"";
    QTest::newRow("diagram option alone") << QStringList{"--transient", "5", "--png", "x.png"}
                                          << "--transient goes with --orbit-diagram, --parameter-plane or --basins";
    QTest::newRow("diagram and basins") << QStringList{"--orbit-diagram", "k1=0:1", "--basins", "--png", "x.png"}
                                        << "--orbit-diagram cannot be used with --parameter-plane or --basins";
    QTest::newRow("threads") << QStringList{"--orbit-diagram", "k1=0:1", "--threads", "0", "--png", "x.png"}
                             << "--threads takes a whole number from 1 to 1024, not \"0\"";
    QTest::newRow("plot only without a picture") << QStringList{"--plot-only", "--export", "x.dat"}
                                                 << "--plot-only needs --png FILE";
    QTest::newRow("plot only of a diagram")
        << QStringList{"--orbit-diagram", "k1=0:1", "--plot-only", "--png", "x.png"}
        << "--plot-only is for pictures of runs: an orbit diagram, a parameter plane or basins have no status lines "
           "to leave out";
  }
  void CommandLineRefusesBadArgumentsWithStatusTwo() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir cwd;
    WriteFile(PathOf(cwd) / "g.txt", "0 0 10 0 0\n");
    WriteFile(PathOf(cwd) / "m.txt", "map Mine\nx' = y\ny' = x\nend\n");
    const Outcome outcome = RunRender(cwd.path(), arguments);
    QCOMPARE(outcome.exitCode, 2);
    QCOMPARE(outcome.err, "orbitra-render: " + message + "\nTry \"orbitra-render --help\".\n");
    QVERIFY(!QFile::exists(cwd.filePath("x.png")));
  }

  void CommandLinePeriodicOrbitsAndManifolds() {
    QTemporaryDir cwd;
    const QStringList henon{"--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1"};
    Outcome outcome = RunRender(cwd.path(), henon + QStringList{"--periodic-orbits", "4", "--region",
                                                                "-1.5,1.5,-0.45,0.45"});
    QCOMPARE(outcome.exitCode, 0);
    const QStringList lines = outcome.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString("1 -1.13135447709 -0.339406343127 3.259822 -0.09202956 saddle"));
    QVERIFY(lines[2].startsWith("2 ") && lines[3].startsWith("4 ") && lines[3].endsWith(" flip-saddle"));

    // The manifolds of the fixed point nearest to (0.6, 0.2): four branches, every point
    // on its line as "branch x y", the picture written beside them.
    outcome = RunRender(cwd.path(), henon + QStringList{"--range", "-1.5,1.5,-0.45,0.45", "--manifolds",
                                                        "1:0.6,0.2", "--arc-length", "1", "--png", "m.png",
                                                        "--export", "m.txt"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(QFile::exists(cwd.filePath("m.png")));
    const QStringList points = QString::fromStdString(ReadFile(PathOf(cwd) / "m.txt")).split('\n', Qt::SkipEmptyParts);
    QSet<QString> branches;
    for (const QString& line : points) {
      const QStringList fields = line.split(' ');
      QCOMPARE(fields.size(), 3);
      branches.insert(fields[0]);
      QVERIFY(std::fabs(fields[1].toDouble() - 0.63135) < 1.1 && std::fabs(fields[2].toDouble() - 0.1894) < 1.1);
    }
    QCOMPARE(branches, (QSet<QString>{"unstable+1", "unstable-1", "stable+1", "stable-1"}));
    QVERIFY(points.size() > 400);

    // The saddle taken is said, and how far from the point asked for.
    QVERIFY2(outcome.err.startsWith("orbitra-render: the manifolds of the saddle of period 1 at (0.631354477, "
                                    "0.189406343), 0.0331 from (0.6, 0.2)\n"),
             qPrintable(outcome.err));
    outcome = RunRender(cwd.path(), henon + QStringList{"--manifolds", "1:1000,1000", "--png", "far.png"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(outcome.err.contains(" from (1000, 1000)\n"), qPrintable(outcome.err));

    outcome = RunRender(cwd.path(), henon + QStringList{"--manifolds", "3:0,0", "--png", "none.png"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QString("orbitra-render: no saddle of period 3 was found\n"));
  }

  // Files that cannot be read exit 1 with the reason; a buffer that cannot be had fails
  // the job; a long name is cut in the message.
  void CommandLineSaysWhyAFileCannotBeReadWithStatusOne() {
    QTemporaryDir cwd;
    QVERIFY(mkfifo(QFile::encodeName(cwd.filePath("fifo.orbitra.h5")).constData(), 0600) == 0);
    const struct {
      QString file;
      QString reason;
    } cases[] = {{"missing.orbitra.h5", "No such file or directory"},
                 {".", "it is a folder"},
                 {"fifo.orbitra.h5", "it is not a regular file"}};
    for (const auto& c : cases) {
      const Outcome outcome = RunRender(cwd.path(), {"--session", c.file, "--png", "x.png"});
      QCOMPARE(outcome.exitCode, 1);
      QCOMPARE(outcome.err, "orbitra-render: cannot read the session \"" + c.file + "\": " + c.reason + "\n");
    }
    Outcome outcome = RunRender(cwd.path(), {"--group", "missing.txt", "--png", "x.png"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QString("orbitra-render: cannot read the group file \"missing.txt\": No such file or directory\n"));
    outcome = RunRender(cwd.path(), {"--map-file", ".", "--map", "Mine", "--png", "x.png"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QString("orbitra-render: cannot read the map file \".\": it is a folder\n"));
    outcome = RunRender(cwd.path(), {"--map", "Standard Map", "--from", "0.5,0", "--buffer", "2147483647",
                                             "--export", "e.txt"});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.err.contains("Error: Buffer Reconstruction failure!"), qPrintable(outcome.err));
    QVERIFY(!outcome.err.contains("Buffer is Full"));
    outcome = RunRender(cwd.path(), {"--map", QString(5000, 'm'), "--png", "x.png"});
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains("not \"" + QString(80, 'm') + "...\""), qPrintable(outcome.err));
  }

  void CommandLineReportsUnwritableTargetsWithStatusOne() {
    QTemporaryDir cwd;
    WriteFile(PathOf(cwd) / "plain", "");
    const QString png = cwd.filePath("plain/x.png");
    Outcome outcome = RunRender(cwd.path(), {"--from", "0.5,0", "--png", "plain/x.png"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QString("orbitra-render: Cannot create \"%1\": Not a directory\n").arg(png));

    outcome = RunRender(cwd.path(), {"--from", "0.5,0", "--png", "x.gif5", "--export", "plain/x.dat"});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.err.startsWith(QString("orbitra-render: Cannot write \"%1\": no image format has the "
                                            "extension \".gif5\"\n")
                                        .arg(cwd.filePath("x.gif5"))),
             qPrintable(outcome.err));
    QVERIFY2(outcome.err.endsWith("Nothing was exported.\n"), qPrintable(outcome.err));
    QVERIFY(!QFile::exists(cwd.filePath("x.gif5")));

    outcome = RunRender(cwd.path(), {"--from", "0.5,0", "--png", "noextension"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QString("orbitra-render: Cannot write \"%1\": the name needs an extension such as "
                                  "\".png\"\n").arg(cwd.filePath("noextension")));
    QDir(cwd.path()).mkdir("folder.png");
    outcome = RunRender(cwd.path(), {"--from", "0.5,0", "--png", "folder.png"});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QString("orbitra-render: Cannot replace \"%1\": Is a directory\n").arg(cwd.filePath("folder.png")));
  }

  // A FIFO named by --png or --export is written into and stays a FIFO.
  void CommandLineWritesIntoAFifo() {
    QTemporaryDir cwd;
    for (const QString& option : {QString("--png"), QString("--export")}) {
      const QString fifo = cwd.filePath(option == "--png" ? "pipe.png" : "pipe.dat");
      QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
      QByteArray received;
      std::thread reader([&] {
        QFile in(fifo);
        if (in.open(QIODevice::ReadOnly)) received = in.readAll();
      });
      const Outcome outcome = RunRender(cwd.path(), {"--from", "0.5,0", "--iterations", "100", option, fifo});
      reader.join();
      QCOMPARE(outcome.err, QString());
      QCOMPARE(outcome.exitCode, 0);
      QVERIFY(QFileInfo(fifo).isFile() == false && std::filesystem::is_fifo(fifo.toStdString()));
      if (option == "--png") {
        QCOMPARE(QImage::fromData(received).size(), QSize(800, 600));
      } else {
        QCOMPARE(received.count('\n'), 100);
      }
    }
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::RenderPictures)
#include "render_pictures.moc"
