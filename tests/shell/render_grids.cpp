// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-plane pictures from orbitra-render: tiles computed by separate processes merge
// into the single run's picture and export, bit for bit; tiles that do not belong
// together are refused with a clear message; the export's exact lines.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace orbitra {
namespace {

struct Outcome {
  int exitCode = -1;
  QString err;
};

QProcess* StartRender(const QString& folder, const QStringList& arguments) {
  auto* process = new QProcess;
  process->setWorkingDirectory(folder);
  process->start(QStringLiteral(ORBITRA_RENDER_PROGRAM), arguments);
  return process;
}

Outcome Finish(QProcess* process) {
  Outcome o;
  if (process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit) {
    o = {process->exitCode(), QString::fromUtf8(process->readAllStandardError())};
  }
  delete process;
  return o;
}

Outcome RunRender(const QString& folder, const QStringList& arguments) { return Finish(StartRender(folder, arguments)); }

QByteArray Contents(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kHenon = {"--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1"};

class RenderGrids : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Three tiles, two processes at a time, merged in a shuffled order: the same picture,
  // pixel for pixel, and the same export, byte for byte, as one run.
  void TilesMergeIntoTheSingleRun_data() {
    QTest::addColumn<QStringList>("what");
    QTest::newRow("plane by exponent") << QStringList{"--parameter-plane", "k1=0.9:1.45,k2=0.05:0.35", "--colour-by",
                                                      "lyapunov", "--from", "0.1,0.1", "--transient", "200",
                                                      "--lyapunov-iterations", "300"};
    QTest::newRow("basins by attractor") << QStringList{"--basins", "--range", "-2,2,-1.5,1.5", "--colour-by",
                                                        "attractor", "--k1", "1.05", "--transient", "300"};
  }
  void TilesMergeIntoTheSingleRun() {
    QFETCH(QStringList, what);
    QTemporaryDir cwd;
    const QStringList common = kHenon + what + QStringList{"--size", "331x251"};
    Outcome single = RunRender(cwd.path(), common + QStringList{"--threads", "2", "--png", "one.png", "--export", "one.dat"});
    QCOMPARE(single.exitCode, 0);

    QProcess* first = StartRender(cwd.path(), common + QStringList{"--tile", "0/3", "--threads", "1", "--export", "t0"});
    QProcess* second = StartRender(cwd.path(), common + QStringList{"--tile", "1/3", "--threads", "1", "--export", "t1"});
    QCOMPARE(Finish(first).exitCode, 0);
    QCOMPARE(RunRender(cwd.path(), common + QStringList{"--tile", "2/3", "--threads", "3", "--export", "t2"}).exitCode, 0);
    QCOMPARE(Finish(second).exitCode, 0);
    const Outcome merged =
        RunRender(cwd.path(), {"--merge-tiles", "t2", "t0", "t1", "--png", "merged.png", "--export", "merged.dat"});
    QCOMPARE(merged.exitCode, 0);
    QVERIFY(merged.err.isEmpty());

    const QImage a(cwd.filePath("one.png")), b(cwd.filePath("merged.png"));
    QCOMPARE(a.size(), QSize(331, 251));
    QCOMPARE(b.size(), a.size());
    for (int y = 0; y < a.height(); ++y) {
      for (int x = 0; x < a.width(); ++x) {
        if (a.pixel(x, y) != b.pixel(x, y)) QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
      }
    }
    const QByteArray exported = Contents(cwd.filePath("one.dat"));
    QCOMPARE(exported.count('\n'), 129 * 163);  // the inside of the frame
    QCOMPARE(Contents(cwd.filePath("merged.dat")), exported);
  }

  void TilesThatDoNotBelongTogetherAreRefused() {
    QTemporaryDir cwd;
    const QStringList common =
        kHenon + QStringList{"--basins", "--range", "-2,2,-1.5,1.5", "--size", "260x150", "--iterations", "50"};
    for (const char* tile : {"0", "1", "2"}) {
      QCOMPARE(RunRender(cwd.path(), common + QStringList{"--tile", QString(tile) + "/3", "--export", QString("t") + tile})
                   .exitCode,
               0);
    }
    QCOMPARE(RunRender(cwd.path(), common + QStringList{"--iterations", "51", "--tile", "1/3", "--export", "other"}).exitCode, 0);
    QCOMPARE(RunRender(cwd.path(), common + QStringList{"--tile", "1/2", "--export", "half"}).exitCode, 0);
    QFile cut(cwd.filePath("cut"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(Contents(cwd.filePath("t2")).chopped(40));
    cut.close();

    // Tiles that do not fit together are wrong arguments (2), files that cannot be read or
    // are no tiles are files that cannot be read (1).
    const auto refusalWith = [&](int status, const QStringList& files) {
      const Outcome o = RunRender(cwd.path(), QStringList{"--merge-tiles"} + files + QStringList{"--png", "m.png"});
      return o.exitCode == status ? o.err.trimmed() : QString("exit %1").arg(o.exitCode);
    };
    const auto refusal = [&](const QStringList& files) { return refusalWith(2, files); };
    const auto unreadable = [&](const QStringList& files) { return refusalWith(1, files); };
    const QString at = cwd.path() + "/";
    QCOMPARE(refusal({"t0", "t2"}), QString("orbitra-render: tile 1 of 3 is missing"));
    QCOMPARE(refusal({"t0", "t1", "t0", "t2"}),
             QString("orbitra-render: tile 0 of 3 is given twice: \"%1t0\" and \"%1t0\"").arg(at));
    QCOMPARE(refusal({"t0", "other", "t2"}),
             QString("orbitra-render: \"%1t0\" and \"%1other\" belong to different pictures: their \"escape-iterations\" "
                     "differs (50 and 51)")
                 .arg(at));
    QCOMPARE(refusal({"t0", "half"}),
             QString("orbitra-render: \"%1t0\" and \"%1half\" belong to different tilings: 3 and 2 tiles").arg(at));
    QVERIFY2(unreadable({"t0", "t1", "cut"}).startsWith(QString("orbitra-render: \"%1cut\" is damaged or incomplete").arg(at)),
             qPrintable(unreadable({"t0", "t1", "cut"})));
    QCOMPARE(unreadable({"t0", "t1", "nothing"}),
             QString("orbitra-render: cannot read the tile \"%1nothing\": No such file or directory").arg(at));
    // An output that is one of the tiles, by another name, is refused and the tile kept.
    const QByteArray t1 = Contents(cwd.filePath("t1"));
    QVERIFY(QFile::link(cwd.filePath("t1"), cwd.filePath("link")));
    const Outcome onInput =
        RunRender(cwd.path(), {"--merge-tiles", "t0", "t1", "t2", "--export", "./link"});
    QCOMPARE(onInput.exitCode, 2);
    QCOMPARE(onInput.err, QString("orbitra-render: the output \"%1./link\" is one of the tiles to merge\n").arg(at));
    QCOMPARE(Contents(cwd.filePath("t1")), t1);
    QVERIFY(!QFile::exists(cwd.filePath("m.png")));
    // Tiles make no picture of their own.
    const Outcome tilePng = RunRender(cwd.path(), common + QStringList{"--tile", "0/3", "--png", "x.png"});
    QCOMPARE(tilePng.exitCode, 2);
    QVERIFY(tilePng.err.startsWith("orbitra-render: --tile writes no picture"));
  }

  // A 3 by 2 grid (the picture's size leaves that much inside the frame) of the Henon
  // map's escape times over -3..3 by -2..2: cell centres x = -2, 0, 2 and y = -1, 1, rows
  // from the bottom; the times come from iterating the formula here.
  void ExportLinesAreExact() {
    QTemporaryDir cwd;
    const Outcome o = RunRender(cwd.path(), kHenon + QStringList{"--basins", "--range", "-3,3,-2,2", "--size", "205x90",
                                                                 "--export", "e.dat"});
    QCOMPARE(o.exitCode, 0);
    QString expected;
    for (const double y0 : {-1.0, 1.0}) {
      for (const double x0 : {-2.0, 0.0, 2.0}) {
        double x = x0, y = y0;
        int escaped = 0;
        for (int n = 1; n <= 1000 && escaped == 0; ++n) {
          const double nx = 1.0 - 1.4 * x * x + y;
          y = 0.3 * x;
          x = nx;
          if (!(x * x + y * y <= 10000.0)) escaped = n;
        }
        expected += QString("%1 %2 %3\n").arg(x0).arg(y0).arg(escaped);
      }
    }
    QCOMPARE(QString::fromUtf8(Contents(cwd.filePath("e.dat"))), expected);
    QVERIFY(expected.contains(" 0\n"));  // the origin never escapes
  }

  void WrongGridArgumentsAreNamed() {
    QTemporaryDir cwd;
    const auto error = [&](const QStringList& arguments) {
      const Outcome o = RunRender(cwd.path(), arguments + QStringList{"--png", "x.png"});
      return o.exitCode == 2 ? o.err.section('\n', 0, 0) : QString("exit %1").arg(o.exitCode);
    };
    QCOMPARE(error({"--parameter-plane", "k1=0:1"}),
             QString("orbitra-render: --parameter-plane takes two parameters with their ranges, such as "
                     "k1=0:1.4,k2=0:0.4, not \"k1=0:1\""));
    QCOMPARE(error({"--parameter-plane", "k1=0:1,k1=0:2"}),
             QString("orbitra-render: --parameter-plane takes two parameters with their ranges, such as "
                     "k1=0:1.4,k2=0:0.4 (two different parameters), not \"k1=0:1,k1=0:2\""));
    QCOMPARE(error({"--basins", "--colour-by", "period"}),
             QString("orbitra-render: --colour-by takes escape or attractor for basins, not \"period\""));
    QCOMPARE(error({"--basins", "--from", "1,1"}),
             QString("orbitra-render: --from is for a parameter plane; basins start from every pixel"));
    QCOMPARE(error({"--transient", "10"}), QString("orbitra-render: --transient goes with --orbit-diagram, --parameter-plane or --basins"));
    QCOMPARE(error({"--basins", "--tile", "3/3", "--export", "t"}),
             QString("orbitra-render: --tile takes i/N, tile i of N counted from 0, such as 0/3, not \"3/3\""));
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::RenderGrids)
#include "render_grids.moc"
