// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions with sweep windows: "Open Session" closes the windows of before and reopens the
// session's, each with the picture it had, drawn at once; the periodic orbits panel shows
// the session's orbits and the markers' box as saved.

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <cstring>
#include <vector>

#include "analysis/periodic_orbits.h"
#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/orbitra_app.h"
#include "app/periodic_orbits_panel.h"
#include "app/sweep_command_handlers.h"
#include "app/sweep_window.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "explorer/selection_dialog_logic.h"
#include "sessions/session_commands.h"
#include "sweep_test_support.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/structure_commands.h"

namespace orbitra {
namespace {

using namespace apptest;
using namespace sweeptest;

std::vector<SweepWindow*> OpenSweepWindows() {
  std::vector<SweepWindow*> windows;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<SweepWindow*>(w); window != nullptr && window->isVisible()) windows.push_back(window);
  }
  return windows;
}

std::vector<Canvas::Pixel> Pixels(const Canvas& c) {
  return std::vector<Canvas::Pixel>(c.Bits(), c.Bits() + static_cast<std::size_t>(c.Width()) * c.Height());
}

class AppSessionViews : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void OpeningASessionReopensItsWindowsWithTheirPictures() {
    QTemporaryDir dir;
    OrbitraApp app(PathOf(dir));
    app.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    CMainFrame& frame = app.Frame();
    OrbitraState& state = frame.State();
    SelectionDialogValues henon = PrepareSelectionDialog(state);
    PickSystemInList(henon, 1);
    henon.k1 = 1.4;
    henon.k2 = 0.3;
    henon.k3 = 1.0;
    frame.View().Invalidate(ApplySelectionDialog(state, frame.Prompts(), henon));

    OrbitDiagramValues dv = PrepareOrbitDiagramDialog(state);
    dv.view = OrbitDiagramView{0, 1.0, 1.4, 0, -1.5, 1.5, 300, 400};
    dv.threads = 2;
    OpenSweepWindow(frame, std::make_unique<OrbitDiagramWindowLogic>(state, frame.Prompts(), dv));
    GridWindowValues pv = PrepareParameterPlaneDialog(state);
    pv.settings.range = {0.9, 1.5, 0.1, 0.4};
    pv.settings.transient = 300;
    pv.threads = 2;
    OpenSweepWindow(frame, std::make_unique<GridWindowLogic>(state, frame.Prompts(), pv));
    std::vector<SweepWindow*> before = OpenSweepWindows();
    QCOMPARE(before.size(), std::size_t{2});
    const QSize sizes[] = {QSize(351, 243), QSize(283, 207)};
    for (std::size_t i = 0; i < 2; ++i) {
      before[i]->SetPictureSize(sizes[i]);
      Finish(*before[i]);
    }
    std::vector<std::vector<Canvas::Pixel>> pictures;
    std::vector<QString> titles;
    for (const SweepView* view : frame.OpenSweepViews()) {
      pictures.push_back(Pixels(view->Shown()));
      titles.push_back(QString::fromStdString(view->WindowTitle()));
    }
    QCOMPARE(pictures.size(), std::size_t{2});

    WorkerPool pool(2);
    state.Structure.Orbits = FindPeriodicOrbits(AnalysisMapOf(state), SearchOf(state, 2), pool);
    QVERIFY(state.Structure.Orbits.size() >= 2);
    state.Structure.MarkersShown = true;
    const std::size_t orbits = state.Structure.Orbits.size();
    const std::filesystem::path file = PathOf(dir) / "views.orbitra.h5";
    QVERIFY(SaveSession(state, frame.Prompts(), file, frame.OpenSweepViews()));
    // orbitra-render draws each saved window as the window showed it.
    for (int n = 0; n < 2; ++n) {
      const QString png = QStringLiteral("view%1.png").arg(n);
      QCOMPARE(RunRender(dir.path(), {"--session", QString::fromStdString(file.string()), "--view",
                                      QString::number(n), "--png", png}), 0);
      const Comparison same = ComparePixels(frame.OpenSweepViews()[static_cast<std::size_t>(n)]->Shown(),
                                            QImage(dir.filePath(png)));
      QVERIFY2(!same.difference, qPrintable(same.difference.value_or(QString())));
      QVERIFY(same.dark > 1000);
    }

    // Before opening: no orbits in the panel, its box unticked.
    state.Structure = StructureOverlay{};
    frame.ShowPeriodicOrbits();
    PeriodicOrbitsPanel* panel = frame.PeriodicOrbits();
    QCOMPARE(panel->Table()->rowCount(), 0);
    QVERIFY(!panel->MarkBox()->isChecked());

    frame.OpenSessionNow(file);
    QTest::qWait(50);  // the windows of before are deleted from the event loop
    const std::vector<SweepWindow*> after = OpenSweepWindows();
    QCOMPARE(after.size(), std::size_t{2});
    for (SweepWindow* old : before) QVERIFY(!after.empty() && after[0] != old && after[1] != old);
    const std::vector<const SweepView*> views = frame.OpenSweepViews();
    QCOMPARE(views.size(), std::size_t{2});
    for (std::size_t i = 0; i < 2; ++i) {
      QCOMPARE(QString::fromStdString(views[i]->WindowTitle()), titles[i]);
      QVERIFY(!views[i]->Working());  // drawn from the session, nothing computed
      QVERIFY(views[i]->Runner().Complete());
      QVERIFY(Pixels(views[i]->Shown()) == pictures[i]);
    }
    // The window shows the picture at its size; the status line says it is done.
    for (SweepWindow* window : after) {
      QCOMPARE(window->PictureWidget().size(), QSize(window->View().Shown().Width(), window->View().Shown().Height()));
      QVERIFY2(window->StatusLine()->text().endsWith(", done"), qPrintable(window->StatusLine()->text()));
    }
    QCOMPARE(panel->Table()->rowCount(), static_cast<int>(orbits));
    QVERIFY(panel->MarkBox()->isChecked());
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppSessionViews)
#include "app_session_views.moc"
