// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit diagram's window opened by its command: the same pixels as orbitra-render for
// the same settings, Stop, and a click that sets the parameter in the mapping window.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
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
#include "sweeps/orbit_diagram_view.h"

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
    v.k1 = 0.95;
    v.k2 = 0.3;
    v.k3 = 1.0;
    app.Frame().View().Invalidate(ApplySelectionDialog(state, app.Frame().Prompts(), v));
  }

  // "Orbit Diagram..." with these fields typed into its dialog; the window it opens.
  SweepWindow* OpenDiagram(const std::vector<std::pair<QString, QString>>& fields, int threads) {
    answers.Then([fields, threads](QWidget& dialog) {
      for (const auto& [name, text] : fields) dialog.findChild<QLineEdit*>(name)->setText(text);
      dialog.findChild<QSpinBox*>("threads")->setValue(threads);
      qobject_cast<QDialog*>(&dialog)->accept();
    });
    app.Frame().Action(CommandId::OrbitDiagram)->trigger();
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<SweepWindow*>(w)) return window;
    }
    return nullptr;
  }


  QTemporaryDir dir;
  ModalAnswerer answers;
  OrbitraApp app;
};

class AppOrbitDiagram : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void TheWindowShowsTheRenderersPicturePixelForPixel() {
    Program program;
    SweepWindow* window = program.OpenDiagram({{"parameterMin", "0.3"},
                                               {"parameterMax", "1.2"},
                                               {"coordinateMin", "-1.4"},
                                               {"coordinateMax", "1.3"},
                                               {"transient", "500"},
                                               {"points", "700"}},
                                              3);
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QString("Orbit Diagram - Henon D-C Map"));
    window->SetPictureSize(QSize(613, 407));
    Finish(*window);
    QVERIFY(window->StatusLine()->text().startsWith("Orbit diagram: 100% of "));
    QCOMPARE(window->ProgressBar()->value(), 100);

    QTemporaryDir cwd;
    QCOMPARE(RunRender(cwd.path(), {"--map", "Henon D-C Map", "--k1", "0.95", "--k2", "0.3", "--k3", "1",
                                    "--orbit-diagram", "k1=0.3:1.2", "--coordinate-range", "-1.4,1.3", "--transient",
                                    "500", "--points", "700", "--from", "0.5,0", "--threads", "2", "--size",
                                    "613x407", "--png", "cli.png"}),
             0);
    const Comparison same = ComparePixels(window->View().Shown(), QImage(cwd.filePath("cli.png")));
    QVERIFY2(!same.difference, qPrintable("pixel " + same.difference.value_or("")));
    QVERIFY(same.dark > 2000);  // branches, axes and texts were drawn
    window->close();
  }

  // Escape in a sweep window stops what it computes (the main window's Stop run shortcut
  // reaches every window and used to make the key ambiguous there, stopping nothing).
  void EscapeStopsTheWorkOfTheFocusedSweepWindow() {
    Program program;
    SweepWindow* window = program.OpenDiagram({{"parameterMin", "0.5"},
                                               {"parameterMax", "1.0"},
                                               {"transient", "2000000"},
                                               {"points", "10"}},
                                              2);
    QVERIFY(window != nullptr);
    window->SetPictureSize(QSize(400, 300));
    window->show();
    window->activateWindow();
    window->PictureWidget().setFocus();
    QVERIFY(window->View().Working());
    QTest::keyClick(&window->PictureWidget(), Qt::Key_Escape);
    QVERIFY(!window->View().Working());
    QVERIFY(window->StatusLine()->text().contains(", stopped"));
    window->close();
  }

  // The dialog opens as it was accepted last for this map, its fields showing the start of
  // long numbers.
  void TheDialogRemembersWhatWasTypedForThisMap() {
    Program program;
    SweepWindow* window = program.OpenDiagram({{"parameterMin", "0.123456789012345678"},
                                               {"parameterMax", "0.2"},
                                               {"points", "10"},
                                               {"transient", "10"},
                                               {"x0", "0.98765432109876543"}},
                                              1);
    QVERIFY(window != nullptr);
    window->close();
    QString minText, x0Text;
    int x0Cursor = -1;
    program.answers.Then([&](QWidget& dialog) {
      minText = dialog.findChild<QLineEdit*>("parameterMin")->text();
      x0Text = dialog.findChild<QLineEdit*>("x0")->text();
      x0Cursor = dialog.findChild<QLineEdit*>("x0")->cursorPosition();
      qobject_cast<QDialog*>(&dialog)->reject();
    });
    program.app.Frame().Action(CommandId::OrbitDiagram)->trigger();
    QCOMPARE(minText, QString("0.12345678901234568"));
    QVERIFY2(x0Text.startsWith("0.987654321098765"), qPrintable(x0Text));
    QCOMPARE(x0Cursor, 0);
  }

  // Save Picture opens the main window's dialog: the view and the map as the name in the
  // working folder, and the sizes of this picture. A refused file is said and the dialog
  // comes back with it; the next answer is written at twice the size, drawn anew from the
  // finished columns (more ink than the picture on screen: every cell a block, texts twice
  // as large).
  void SavingProposesANameAndSizesAndAsksAgainAfterARefusal() {
    Program program;
    SweepWindow* window = program.OpenDiagram({{"points", "10"}, {"transient", "10"}}, 1);
    QVERIFY(window != nullptr);
    window->SetPictureSize(QSize(200, 150));
    Finish(*window);
    std::vector<QString> proposed;
    const QString good = program.dir.filePath("diagram.png");
    const QString refused = program.dir.filePath("diagram.unknown");  // no image format's
    window->SetPictureChooser([&](QWidget*, const QString& name) {
      proposed.push_back(name);
      return proposed.size() == 1 ? refused : good;
    });
    std::vector<QStringList> sizes;
    const auto answer = [&](int size) {
      return [&sizes, size](QWidget& dialog) {
        auto* list = dialog.findChild<QComboBox*>("size");
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        sizes.push_back(texts);
        QVERIFY(!dialog.findChild<QCheckBox*>("plotOnly")->isVisible());
        dialog.findChild<QPushButton*>("browse")->click();
        list->setCurrentIndex(size);
        qobject_cast<QDialog*>(&dialog)->accept();
      };
    };
    program.answers.Clear();
    program.answers.Then(answer(0));
    program.answers.Press(QMessageBox::Ok);  // the refusal's message
    program.answers.Then(answer(1));
    QAction* save = nullptr;
    for (QAction* a : window->findChildren<QAction*>()) {
      if (a->text() == "Save Picture...") save = a;
    }
    QVERIFY(save != nullptr);
    save->trigger();
    QCOMPARE(proposed.size(), 2u);
    const QString workDir = QString::fromStdString(program.app.Frame().State().WorkDir.string());
    QCOMPARE(QFileInfo(proposed[0]).fileName(), QString("Orbit Diagram - Henon D-C Map.png"));
    QCOMPARE(QFileInfo(proposed[0]).absolutePath(), QFileInfo(workDir).absoluteFilePath());
    QCOMPARE(proposed[1], refused);
    QVERIFY(!QFileInfo::exists(refused));
    QCOMPARE(program.answers.SeenWindows().size(), 3u);  // the dialog, the refusal, the dialog
    QCOMPARE(program.answers.SeenWindows()[0].title, QString("Save picture"));
    QCOMPARE(sizes.size(), 2u);
    QCOMPARE(sizes[0], (QStringList{"1x as shown (200 by 150)", "2x (400 by 300)", "3x (600 by 450)",
                                    "4x (800 by 600)", "Width by height"}));
    QVERIFY(QFileInfo::exists(good));
    const QImage saved(good);
    QCOMPARE(saved.size(), QSize(400, 300));
    const auto ink = [](const QImage& image) {
      int dark = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
      }
      return dark;
    };
    const Canvas& shown = window->View().Shown();
    const QImage onScreen(reinterpret_cast<const uchar*>(shown.Bits()), shown.Width(), shown.Height(),
                          static_cast<qsizetype>(shown.Width()) * 4, QImage::Format_RGB32);
    QVERIFY2(ink(saved) > 2 * ink(onScreen), qPrintable(QString("%1 %2").arg(ink(saved)).arg(ink(onScreen))));
    window->close();
  }

  void StopEndsTheWorkAndAClickSetsTheExplorersParameter() {
    Program program;
    SweepWindow* window = program.OpenDiagram({{"parameterMin", "0.5"},
                                               {"parameterMax", "1.0"},
                                               {"transient", "2000000"},
                                               {"points", "10"}},
                                              2);
    QVERIFY(window != nullptr);
    window->SetPictureSize(QSize(400, 300));
    QVERIFY(window->StopAction()->isEnabled());
    window->StopAction()->trigger();
    QVERIFY(!window->View().Working());
    QVERIFY(window->StatusLine()->text().contains(", stopped"));
    QVERIFY(window->ProgressBar()->value() < 100);

    const DiagramLayout layout = LayOutDiagram(400, 300, OrbitDiagramView{0, 0.5, 1.0, 0, -1, 1, 1, 1});
    program.answers.Press(QMessageBox::Yes);  // "Set k1 = ... in the explorer?"
    window->Clicked(QPoint(layout.gridLeft + 200, layout.gridBottom - 10));
    const double k1 = program.app.Frame().State().Model.k1;
    QCOMPARE(k1, 0.5 + (200 + 0.5) * (0.5 / layout.columns));
    QCOMPARE(program.app.Frame().State().Model.k2, 0.3);
    window->close();
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppOrbitDiagram)
#include "app_orbit_diagram.moc"
