// SPDX-License-Identifier: GPL-3.0-or-later
// The command table and the menus and toolbar the main frame builds from it.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QTimer>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolTip>

#include <set>

#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/mapping_window.h"
#include "app/user_guide_window.h"
#include "app_test_support.h"
#include "explorer/orbitra_state.h"
#include "explorer/startup.h"

namespace orbitra {
namespace {

using apptest::PathOf;
using apptest::ReadFile;

// What the program's menus must hold: "id|text|prompt" per item, "---" per separator,
// ">title" opening a submenu whose items are indented by two blanks.
const std::vector<std::pair<QString, std::vector<QString>>> kExpectedMenus = {
    {"&File",
     {"32771|Select Mapping|Select particular mapping ", "32815|Define Map...|Define, edit or delete your own maps",
      "32780|Work/Display ...|", "---", "32824|Open Session...|Open a session saved before",
      "32823|Save Session...|Save the map, the settings and every point in a file",
      ">Recent Sessions", "---",
      "32810|Export Data|Export point data (ASCII)", "32813|Save Picture...|Save the picture as an image file",
      "32814|Copy Picture|Copy the picture to the clipboard", "---",
      "57665|E&xit|Quit the application; prompts to save documents"}},
    {"&View",
     {"32792|Refresh|Refresh screen", "---", "32787|Zoom in|Set rectangle as graphics box", "32788|Zoom out|",
      "32789|Zoom 1:1|", "---", "59392|&Toolbar|Show or hide the toolbar",
      "59393|&Status Bar|Show or hide the status bar", "32816|Orbit Inspector|Show or hide the orbit inspector",
      "32819|Orbit Diagram...|Show how the orbits change with a parameter",
      "32820|Parameter Plane...|Show how the orbits change with two parameters",
      "32821|Basins...|Show where the orbits from each point of the plane go",
      "32826|Phase Space...|Show chaos indicators over the plane of initial points",
      "32827|Rotation Profile...|Show the rotation number of the orbits along a segment drawn in the X-Y box"}},
    {"Trajectory",
     {"32772|Initial Conditions|Set Initial conditions and options", "---",
      "32778|Start run|Start new run / repeat run starting from the 1st iteration",
      "32779|Continue |Continue run starting from the last iteration",
      "32801|Run Trajectory Group|Run all trajectories include in the group", "---", ">Trajectory Group",
      "  32799|Add trajectory|", "  32800|Edit Group|", "  32802|Clear Group|Clear group file", ">Notebook",
      "  32797|Edit|Open notebook for editing", "  32798|Add and Edit|Add information in notebook and open for editing",
      "32812|Stop run|Stop the running trajectory",
      "32822|Find Periodic Orbits...|Find the periodic orbits, their stability and the manifolds of saddles"}},
    {"Graphics",
     {"32773|Mapping X-Y box|X-Y mapping plane", "32774|X-Box|X-evolution box window",
      "32775|Y-Box|Y-evolution box window", "32776|G-Box|Box of General use", "---", "32785|Show/Hide axis|",
      "32790|Set current as default|Use current graphics configuration as default plot range"}},
    {"Data",
     {"32781|Controls|Setup run control parameters and options", "---",
      "32791|Delete last trajectory|Delete data of last run", "32782|Delete Buffer|delete data in buffer",
      "32783|Delete Stream|delete data stored in disk-stream", "32784|Delete All|delete all data", "---",
      "32786|Store Buffer in Stream|"}},
    {"&Help",
     {"32818|&User Guide|Read how to use Orbitra", "---", "57664|&About Orbitra...|Display program information, version number and copyright"}},
};

const std::vector<QString> kExpectedToolbar = {
    "32807|Run new trajectory",         "32808|Continue iterations", "---",
    "32809|Delete Trajectory / points", "---",                       "32805|Zoom in",
    "32806|Zoom out",                   "32811|Mapping graphic window",
    "---",                              "32817|Stop the running trajectory"};

// The commands that open a dialog of their own, with the dialog's title.
const std::vector<std::pair<CommandId, QString>> kDialogCommands = {
    {CommandId::SelectMapping, "Mapping System Selection"},
    {CommandId::DefineMap, "Define Map"},
    {CommandId::WorkDisplay, "DisplayMode"},
    {CommandId::ExportData, "Export data"},
    {CommandId::SavePicture, "Save picture"},
    {CommandId::SaveSession, "Save Session"},
    {CommandId::OpenSession, "Open Session"},
    {CommandId::InitialConditions, "Initial conditions"},
    {CommandId::ToolbarRunNewTrajectory, "Initial conditions"},
    {CommandId::Controls, "Controls"},
    {CommandId::EditXYBox, "GBox settings"},
    {CommandId::EditXBox, "GBox settings"},
    {CommandId::EditYBox, "GBox settings"},
    {CommandId::EditGBox, "GBox settings"},
    {CommandId::ToolbarEditXYBox, "GBox settings"},
    {CommandId::OrbitDiagram, "Orbit Diagram"},
    {CommandId::ParameterPlane, "Parameter Plane"},
    {CommandId::Basins, "Basins"},
    {CommandId::PhaseSpace, "Phase Space"},
};

void ListMenu(const QMenu& menu, const QString& indent, std::vector<QString>& out) {
  for (QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      out.push_back(indent + "---");
    } else if (QMenu* sub = action->menu()) {
      out.push_back(indent + ">" + sub->title());
      ListMenu(*sub, indent + "  ", out);
    } else {
      out.push_back(indent + QString::number(action->data().toInt()) + "|" + action->text() + "|" +
                    action->statusTip());
    }
  }
}

// A host that records what the handlers ask of the frame.
class SpyHost : public CommandHost {
 public:
  explicit SpyHost(const std::filesystem::path& dir) : state(dir) {}

  class Spy : public Prompter, public EditorPort {
   public:
    void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
    void ShowInformation(std::string_view text) override { shown.emplace_back(text); }
    Answer AskYesNo(std::string_view text) override {
      shown.emplace_back(text);
      return Answer::No;
    }
    Answer AskYesNoCancel(std::string_view text) override {
      shown.emplace_back(text);
      return Answer::Cancel;
    }
    void OpenInEditor(const std::filesystem::path& file) override { edited.push_back(file.filename().string()); }
    std::vector<std::string> shown;
    std::vector<std::string> edited;
  };

  OrbitraState& State() override { return state; }
  Prompter& Prompts() override { return spy; }
  EditorPort& Editor() override { return spy; }
  QWidget* DialogParent() override { return nullptr; }
  const Canvas& ShownPicture() override { return picture; }
  void ToggleToolbar() override { ++toolbarToggles; }
  void ToggleStatusBar() override { ++statusBarToggles; }
  void ToggleOrbitInspector() override { ++inspectorToggles; }
  void CloseMainWindow() override { ++closes; }
  void ShowAboutBox() override { ++abouts; }
  void StopWork() override { ++stops; }

  Invalidation Run(CommandId id) {
    spy.shown.clear();
    spy.edited.clear();
    return FindCommand(id)->handler(*this);
  }

  OrbitraState state;
  Canvas picture{40, 30};
  Spy spy;
  int toolbarToggles = 0, statusBarToggles = 0, inspectorToggles = 0, closes = 0, abouts = 0, stops = 0;
};

class AppCommandTable : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void TableHasUniqueIdsAndAHandlerForEveryCommand() {
    std::set<int> ids;
    for (const CommandEntry& entry : CommandTable()) {
      const int id = static_cast<int>(entry.id);
      QVERIFY2(ids.insert(id).second, qPrintable(QString("duplicate id %1").arg(id)));
      QCOMPARE(FindCommand(entry.id), &entry);
      QVERIFY2(entry.handler != nullptr, qPrintable(QString::number(id)));
      QCOMPARE(IsToolbarButton(entry), entry.icon.size() > 0);
    }
    QCOMPARE(ids.size(), std::size_t{54});
  }

  void MenusListEveryItemInOrderWithItsPromptAndSeparators() {
    apptest::UnstartedFrame unstarted;
    CMainFrame& frame = unstarted.frame;
    const QList<QAction*> tops = frame.menuBar()->actions();
    QCOMPARE(tops.size(), qsizetype(kExpectedMenus.size()));
    for (qsizetype m = 0; m < tops.size(); ++m) {
      QCOMPARE(tops[m]->text(), kExpectedMenus[m].first);
      std::vector<QString> items;
      ListMenu(*tops[m]->menu(), "", items);
      QCOMPARE(items, kExpectedMenus[m].second);
    }
    for (const CommandEntry& entry : CommandTable()) {
      QAction* action = frame.Action(entry.id);
      QVERIFY(action != nullptr);
      // No shortcut but Escape, which stops a run, and F1 for the user guide.
      const QKeySequence shortcut = entry.id == CommandId::StopRun     ? QKeySequence(Qt::Key_Escape)
                                    : entry.id == CommandId::UserGuide ? QKeySequence(Qt::Key_F1)
                                                                       : QKeySequence();
      QCOMPARE(action->shortcut(), shortcut);
      // A command whose dialog is not there must not pretend to work; with no run going on
      // there is nothing to stop.
      const bool stopping = entry.id == CommandId::StopRun || entry.id == CommandId::ToolbarStopRun;
      QCOMPARE(action->isEnabled(), entry.handler != nullptr && !stopping);
    }
  }

  void ToolbarHasItsSevenButtonsWithImagesPromptsAndNoToolTips() {
    apptest::UnstartedFrame unstarted;
    CMainFrame& frame = unstarted.frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    std::vector<QString> buttons;
    for (QAction* action : frame.Toolbar()->actions()) {
      if (action->isSeparator()) {
        buttons.push_back("---");
        continue;
      }
      buttons.push_back(QString::number(action->data().toInt()) + "|" + action->statusTip());
      QVERIFY(action->icon().availableSizes().contains(QSize(16, 15)));
      QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(buttons, kExpectedToolbar);
    QCOMPARE(frame.Toolbar()->iconSize(), QSize(16, 15));

    // The pointer over a button shows its prompt in the status bar, and no tooltip.
    QWidget* button = frame.Toolbar()->widgetForAction(frame.Action(CommandId::ToolbarContinueIterations));
    QVERIFY(frame.ReadyText()->isVisible());
    QCOMPARE(frame.ReadyText()->text(), QString("Ready"));
    QTest::mouseMove(button, button->rect().center());
    QTRY_COMPARE(frame.StatusBar()->currentMessage(), QString("Continue iterations"));
    QVERIFY(!frame.ReadyText()->isVisible());
    QHelpEvent help(QEvent::ToolTip, button->rect().center(), button->mapToGlobal(button->rect().center()));
    QApplication::sendEvent(button, &help);
    QVERIFY(!QToolTip::isVisible());
  }

  void F1OpensTheUserGuideWithItsPagesAndPictures() {
    apptest::UnstartedFrame unstarted;
    CMainFrame& frame = unstarted.frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.activateWindow();
    QTRY_VERIFY(frame.isActiveWindow());
    QVERIFY(frame.findChild<UserGuideWindow*>() == nullptr);
    QTest::keyClick(&frame, Qt::Key_F1);
    auto* guide = frame.findChild<UserGuideWindow*>();
    QVERIFY(guide != nullptr);
    QTRY_VERIFY(guide->isVisible());

    // The six pages are listed, the first shown.
    QListWidget& pages = guide->Pages();
    QStringList titles;
    for (int i = 0; i < pages.count(); ++i) titles << pages.item(i)->text();
    QCOMPARE(titles, (QStringList{"The window", "Sweeps", "Structure", "Sessions", "The command line", "Clusters"}));
    QCOMPARE(pages.currentRow(), 0);
    const QString text = guide->Browser().toPlainText();
    QVERIFY2(text.startsWith("The window\nContents\n"), qPrintable(text.left(80)));
    for (const char* heading : {"Your own maps", "What the orbit inspector's numbers mean", "Pictures"}) {
      QVERIFY2(text.contains(heading), heading);
    }
    // Names in angle brackets are text, not HTML that would hide what follows.
    QVERIFY(text.contains("\"<map name>.png\""));
    QVERIFY(!text.contains("Benchmarks"));
    QVERIFY(!text.contains("cmake --install"));
    // Rendered, not shown as source.
    QVERIFY(!text.contains("## "));
    // The pictures come from the resources, offline.
    const QVariant picture =
        guide->Browser().document()->resource(QTextDocument::ImageResource, QUrl("screenshot.png"));
    const QImage image = picture.typeId() == QMetaType::QByteArray ? QImage::fromData(picture.toByteArray())
                                                                    : picture.value<QImage>();
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QImage(":/guide/screenshot.png").size());

    // It opens at its top left, a table of contents under the title; an entry leads to its
    // heading.
    QCOMPARE(guide->Browser().verticalScrollBar()->value(), 0);
    QCOMPARE(guide->Browser().horizontalScrollBar()->value(), 0);
    guide->FollowContents(QUrl("#h2"));
    QVERIFY(guide->Browser().verticalScrollBar()->value() > 0);
    QVERIFY(guide->Browser().textCursor().block().blockFormat().headingLevel() > 0);
    QCOMPARE(guide->Browser().textCursor().block().text(), QString("Pictures"));

    // Every page opens at its top, under its own title with its contents, whether chosen in
    // the list or reached by a link of another page.
    const char* const firstLines[] = {"The window", "Sweeps: orbit diagrams, parameter planes and basins",
                                      "Structure: periodic orbits, manifolds and area-preserving maps", "Sessions",
                                      "The command line: orbitra-render", "Clusters: a plane in tiles"};
    const char* const sample[] = {"Save Picture", "Parameter planes and basins", "Periodic orbits and manifolds",
                                  "Save Session", "--plot-only", "--tile i/N"};
    for (const int k : {1, 2, 3, 4, 5, 0}) {
      guide->Browser().verticalScrollBar()->setValue(guide->Browser().verticalScrollBar()->maximum());
      pages.setCurrentRow(k);
      QCOMPARE(guide->CurrentPage(), k);
      const QString page = guide->Browser().toPlainText();
      QVERIFY2(page.startsWith(QString(firstLines[k]) + "\n"), qPrintable(page.left(80)));
      QVERIFY2(page.contains(sample[k]), sample[k]);
      QCOMPARE(guide->Browser().verticalScrollBar()->value(), 0);
    }
    guide->Browser().verticalScrollBar()->setValue(guide->Browser().verticalScrollBar()->maximum());
    guide->FollowContents(QUrl("guide-sweeps.md"));
    QCOMPARE(guide->CurrentPage(), 1);
    QCOMPARE(pages.currentRow(), 1);
    QVERIFY(guide->Browser().toPlainText().startsWith("Sweeps: orbit diagrams"));
    QCOMPARE(guide->Browser().verticalScrollBar()->value(), 0);
    guide->FollowContents(QUrl("session-format.md"));  // not a page: nothing happens
    QCOMPARE(guide->CurrentPage(), 1);

    // The command again brings the same window back after it was closed.
    guide->close();
    frame.Action(CommandId::UserGuide)->trigger();
    QCOMPARE(frame.findChildren<UserGuideWindow*>().size(), qsizetype(1));
    QTRY_VERIFY(guide->isVisible());
  }

  void MenuItemsShowTheirPromptOrAnEmptyPromptArea() {
    apptest::UnstartedFrame unstarted;
    CMainFrame& frame = unstarted.frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* view = qobject_cast<QMenu*>(frame.Action(CommandId::Refresh)->associatedObjects().value(0));
    QVERIFY(view != nullptr);
    view->popup(frame.mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(view->isVisible());
    const auto promptArea = [&] {
      return frame.StatusBar()->currentMessage().isEmpty() ? frame.ReadyText()->text()
                                                           : frame.StatusBar()->currentMessage();
    };
    view->setActiveAction(frame.Action(CommandId::Refresh));
    QCOMPARE(promptArea(), QString("Refresh screen"));
    view->setActiveAction(frame.Action(CommandId::ZoomOut));  // an item without a prompt
    QCOMPARE(promptArea(), QString());
    view->hide();
    QTRY_COMPARE(promptArea(), QString("Ready"));
  }

  void ToolbarAndStatusBarItemsCarryTheirCheckMarks() {
    apptest::UnstartedFrame unstarted;
    CMainFrame& frame = unstarted.frame;
    frame.show();
    QAction* toolbarItem = frame.Action(CommandId::ViewToolbar);
    QAction* statusItem = frame.Action(CommandId::ViewStatusBar);
    QVERIFY(toolbarItem->isChecked() && statusItem->isChecked());

    toolbarItem->trigger();
    QVERIFY(frame.Toolbar()->isHidden());
    QVERIFY(!toolbarItem->isChecked());
    statusItem->trigger();
    QVERIFY(frame.StatusBar()->isHidden());
    QVERIFY(!statusItem->isChecked());
    toolbarItem->trigger();
    statusItem->trigger();
    QVERIFY(!frame.Toolbar()->isHidden() && !frame.StatusBar()->isHidden());
    QVERIFY(toolbarItem->isChecked() && statusItem->isChecked());

    // Hidden some other way (the bars' own context menu), the mark follows when the menu opens.
    frame.Toolbar()->hide();
    QMenu* view = frame.menuBar()->actions()[1]->menu();
    Q_EMIT view->aboutToShow();
    QVERIFY(!toolbarItem->isChecked());
  }

  void EveryCommandReachesItsOperation() {
    QTemporaryDir dir;
    apptest::WriteFile(PathOf(dir) / "usercomments.txt", "");
    SpyHost host(PathOf(dir));
    StartUp(host.state, host.spy);
    const RunRequests& requests = host.state.Run.Requests;
    using enum CommandId;

    QCOMPARE(host.Run(AppExit), Invalidation::None);
    QCOMPARE(host.closes, 1);
    QCOMPARE(host.Run(ViewToolbar), Invalidation::None);
    QCOMPARE(host.toolbarToggles, 1);
    QCOMPARE(host.Run(ViewStatusBar), Invalidation::None);
    QCOMPARE(host.statusBarToggles, 1);
    QCOMPARE(host.Run(OrbitInspector), Invalidation::None);
    QCOMPARE(host.inspectorToggles, 1);
    QCOMPARE(host.Run(AppAbout), Invalidation::None);
    QCOMPARE(host.abouts, 1);

    // The picture as shown goes to the clipboard.
    host.picture.SetPixel(7, 5, Colour::FromRgb(1, 2, 3));
    QCOMPARE(host.Run(CopyPicture), Invalidation::None);
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(40, 30));
    QCOMPARE(copied.pixel(7, 5), qRgb(1, 2, 3));
    QCOMPARE(copied.pixel(8, 5), qRgb(255, 255, 255));

    QCOMPARE(host.Run(Refresh), Invalidation::WithErase);
    QCOMPARE(requests.RunPending, 0);
    QCOMPARE(host.Run(StartRun), Invalidation::WithErase);
    QCOMPARE(requests.RunPending, 1);
    QCOMPARE(requests.ContinueRun, 0);
    host.state.Run.Requests = {};
    QCOMPARE(host.Run(ContinueRun), Invalidation::WithErase);
    QCOMPARE(requests.ContinueRun, 1);
    host.state.Run.Requests = {};
    QCOMPARE(host.Run(ToolbarContinueIterations), Invalidation::WithErase);
    QCOMPARE(requests.RunPending, 1);
    QCOMPARE(requests.ContinueRun, 1);

    // Box commands.
    for (CommandId zoomIn : {ZoomIn, ToolbarZoomIn}) {
      QCOMPARE(host.Run(zoomIn), Invalidation::None);
      QCOMPARE(host.spy.shown,
               std::vector<std::string>{"Rectangle are should be defined using scrolling with RightMouseButton"});
    }
    QCOMPARE(host.Run(ShowHideAxis), Invalidation::WithErase);
    QCOMPARE(host.state.Boxes.ShowAxes, 1);
    host.state.Boxes.XYBox.SetRange(1, 2, 3, 4);
    QCOMPARE(host.Run(SetCurrentAsDefault), Invalidation::None);
    QCOMPARE(host.state.Model.DefaultRange, (WorldRange{1, 3, 2, 4}));
    host.state.Boxes.XYBox.SetRange(2, 3, 2.5, 3.5);
    QCOMPARE(host.Run(ZoomOneToOne), Invalidation::WithErase);
    QCOMPARE(host.state.Boxes.XYBox.GetRange(), (WorldRange{1, 3, 2, 4}));
    host.state.Boxes.XYBox.SetRange(1.5, 2.5, 2.5, 3.5);
    for (CommandId zoomOut : {ZoomOut, ToolbarZoomOut}) {
      QCOMPARE(host.Run(zoomOut), Invalidation::WithErase);
    }
    QCOMPARE(host.state.Boxes.XYBox.GetRange(), (WorldRange{1, 3, 2, 4}));

    // Store commands, on an empty store.
    QCOMPARE(host.Run(StoreBufferInStream), Invalidation::None);
    QCOMPARE(host.spy.shown, std::vector<std::string>{"Buffer is empty"});
    QCOMPARE(host.Run(DeleteAll), Invalidation::WithErase);
    QVERIFY(host.spy.shown.empty());
    QCOMPARE(host.Run(DeleteBuffer), Invalidation::WithErase);
    QCOMPARE(host.spy.shown, std::vector<std::string>{"Do you want to delete the data in Buffer?"});
    QCOMPARE(host.Run(DeleteStream), Invalidation::WithErase);
    QCOMPARE(host.spy.shown, std::vector<std::string>{"Do you want to delete the data in Disk-Stream?"});
    QCOMPARE(host.Run(DeleteLastTrajectory), Invalidation::WithErase);
    QCOMPARE(host.Run(ToolbarDeleteTrajectoryOrPoints), Invalidation::None);
    host.state.Store.Buf = 5;
    host.state.Store.RTN = 0;
    QCOMPARE(host.Run(ToolbarDeleteTrajectoryOrPoints), Invalidation::WithErase);
    QCOMPARE(host.state.Store.Buf, 0);

    // Group and notebook commands.
    QCOMPARE(host.Run(RunTrajectoryGroup), Invalidation::None);
    QVERIFY(host.spy.shown.empty());
    QCOMPARE(host.Run(AddTrajectory), Invalidation::None);
    QCOMPARE(host.spy.shown, std::vector<std::string>{"Group contains 1 trajectories"});
    QCOMPARE(ReadFile(PathOf(dir) / "icgroup.txt"), std::string("0.500000 0.000000 1000 0 0\n"));
    QCOMPARE(host.Run(EditGroup), Invalidation::None);
    QCOMPARE(host.spy.edited, std::vector<std::string>{"icgroup.txt"});
    QCOMPARE(host.Run(RunTrajectoryGroup), Invalidation::None);  // declined
    QCOMPARE(host.spy.shown, std::vector<std::string>{"Previous data will be deleted, proceed?"});
    QCOMPARE(host.Run(ClearGroup), Invalidation::None);
    QCOMPARE(ReadFile(PathOf(dir) / "icgroup.txt"), std::string());
    QCOMPARE(host.Run(NotebookEdit), Invalidation::None);
    QCOMPARE(host.spy.edited, std::vector<std::string>{"usercomments.txt"});
    QCOMPARE(host.Run(NotebookAddAndEdit), Invalidation::None);
    QCOMPARE(host.spy.edited, std::vector<std::string>{"usercomments.txt"});
    QVERIFY(ReadFile(PathOf(dir) / "usercomments.txt").starts_with("Standard Map  k1=0.700000 "));
  }

  // Each dialog command opens its own dialog; closing it with Escape applies nothing.
  void DialogCommandsOpenTheirDialogs() {
    QTemporaryDir dir;
    SpyHost host(PathOf(dir));
    StartUp(host.state, host.spy);
    for (const auto& [id, title] : kDialogCommands) {
      QString seen;
      bool runTicked = false;
      QTimer::singleShot(0, [&seen, &runTicked] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        seen = modal->windowTitle();
        for (QCheckBox* box : modal->findChildren<QCheckBox*>()) {
          if (box->text() == "Run trajectory by pressing Ok") runTicked = box->isChecked();
        }
        QTest::keyClick(modal, Qt::Key_Escape);
      });
      host.Run(id);
      QCOMPARE(seen, title);
      QCOMPARE(runTicked, id == CommandId::ToolbarRunNewTrajectory);
      QCOMPARE(host.state.RunOnOk, 0);
    }
  }
};

}  // namespace
}  // namespace orbitra

QTEST_MAIN(orbitra::AppCommandTable)
#include "app_command_table.moc"
