// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/about_dialog.h"
#include "app/inspector_panel.h"
#include "app/lock_keys.h"
#include "app/mapping_window.h"
#include "app/periodic_orbits_panel.h"
#include "app/qt_string.h"
#include "app/session_command_handlers.h"
#include "app/sweep_window.h"
#include "app/user_guide_window.h"
#include "explorer/idle_hint.h"
#include "explorer/orbitra_state.h"
#include "explorer/segment_pick.h"
#include "sessions/session_commands.h"

// The images live in the shell's static library, which the linker would drop unless
// something refers to them.
static void InitResources() { Q_INIT_RESOURCE(orbitra); }

namespace orbitra {

namespace {

// The toolbar buttons show their prompt in the status bar and no tooltip.
class ToolTipBlocker : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    return event->type() == QEvent::ToolTip || QObject::eventFilter(watched, event);
  }
};

// A pane that shows its text only while its lock is on; blank, it keeps its width.
QLabel* MakeLockPane(const QString& objectName, QWidget* parent) {
  auto* pane = new QLabel(parent);
  pane->setObjectName(objectName);
  pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pane->setAlignment(Qt::AlignCenter);
  pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
  return pane;
}

void ShowLock(QLabel* pane, const QString& text, std::optional<bool> on) {
  pane->setText(on.value_or(false) ? text : QString());
}

constexpr const char* kIdleText = "Ready";

constexpr int kLockPollMs = 250;
constexpr int kCompilerMessageMs = 15000;
constexpr int kDockSettleMs = 500;

}  // namespace

CMainFrame::CMainFrame(OrbitraState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), prompter_(this), editor_(prompter_, this) {
  InitResources();
  setWindowTitle(QStringLiteral("Orbitra"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/orbitra.png")));

  // The mapping window sits in a sunken edge; its own client area, where the picture and
  // the mouse coordinates live, is inside the edge.
  auto* edge = new QFrame(this);
  edge->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* edgeLayout = new QVBoxLayout(edge);
  edgeLayout->setContentsMargins(0, 0, 0, 0);
  mappingWindow_ = new MappingWindow(state_, prompter_, edge);
  // No repaint sequence starts while one of the program's message boxes is open.
  prompter_.SetHold(&mappingWindow_->Hold());
  edgeLayout->addWidget(mappingWindow_);
  setCentralWidget(edge);
  // Whenever the frame gets the focus, the mapping window takes it.
  setFocusProxy(mappingWindow_);

  toolbar_ = new QToolBar(QStringLiteral("Toolbar"), this);
  toolbar_->setObjectName(QStringLiteral("Toolbar"));
  toolbar_->setIconSize(QSize(16, 15));
  toolbar_->setMovable(true);
  toolbar_->setFloatable(true);
  toolbar_->setAllowedAreas(Qt::AllToolBarAreas);
  addToolBar(Qt::TopToolBarArea, toolbar_);

  BuildStatusBar();
  BuildInspectorPanel();
  BuildCommands();

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    resize(screen->availableSize() * 3 / 4);
  }
  mappingWindow_->setFocus();
}

QAction* CMainFrame::Action(CommandId id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::BuildCommands() {
  std::map<std::string_view, QMenu*> menus;
  std::map<std::pair<std::string_view, std::string_view>, QMenu*> submenus;
  auto* blocker = new ToolTipBlocker(this);

  for (const CommandEntry& entry : CommandTable()) {
    auto* action = new QAction(this);
    action->setData(static_cast<int>(entry.id));
    action->setStatusTip(ToQString(entry.prompt));
    action->setEnabled(entry.handler != nullptr);
    action->setCheckable(entry.check != CheckFollows::Nothing);
    connect(action, &QAction::triggered, this, [this, &entry] { RunCommand(entry); });
    actions_[entry.id] = action;

    if (IsToolbarButton(entry)) {
      action->setText(ToQString(entry.prompt));
      action->setIcon(QIcon(ToQString(entry.icon)));
      toolbar_->addAction(action);
      if (QWidget* button = toolbar_->widgetForAction(action)) button->installEventFilter(blocker);
      if (entry.separatorAfter) toolbar_->addSeparator();
      continue;
    }

    action->setText(ToQString(entry.text));
    if (entry.id == CommandId::RecentSessions) BuildRecentSessionsMenu(action);
    QMenu*& menu = menus[entry.menu];
    if (menu == nullptr) {
      menu = menuBar()->addMenu(ToQString(entry.menu));
      // However the menu closes, the idle text comes back.
      connect(menu, &QMenu::aboutToHide, this, [this] { readyText_->setText(IdleText()); });
    }
    QMenu* container = menu;
    if (!entry.submenu.empty()) {
      QMenu*& submenu = submenus[{entry.menu, entry.submenu}];
      if (submenu == nullptr) submenu = menu->addMenu(ToQString(entry.submenu));
      container = submenu;
    }
    container->addAction(action);
    if (entry.separatorAfter) container->addSeparator();
    if (entry.check != CheckFollows::Nothing) {
      connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCheckMarks, Qt::UniqueConnection);
    }
  }
  connect(toolbar_, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCheckMarks);
  UpdateCheckMarks();
  EnableCommands(false);
  // Escape stops the work in whichever of the program's windows has the focus (a floating
  // inspector, the editor); a modal dialog blocks it, as it blocks every other command.
  if (QAction* stop = Action(CommandId::StopRun)) {
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    stop->setShortcutContext(Qt::ApplicationShortcut);
  }
  if (QAction* guide = Action(CommandId::UserGuide)) guide->setShortcut(QKeySequence(Qt::Key_F1));
  connect(mappingWindow_, &MappingWindow::WorkStarted, this, &CMainFrame::OnWorkStarted);
  connect(mappingWindow_, &MappingWindow::WorkProgressed, this, &CMainFrame::OnWorkProgressed);
  connect(mappingWindow_, &MappingWindow::WorkEnded, this, &CMainFrame::OnWorkEnded);
  connect(mappingWindow_, &MappingWindow::RepaintEnded, this, [this] {
    afterWork_.clear();
    readyText_->setText(IdleText());
  });
}

void CMainFrame::BuildRecentSessionsMenu(QAction* item) {
  auto* menu = new QMenu(item->text(), this);
  item->setMenu(menu);
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillRecentSessions(menu); });
}

void CMainFrame::FillRecentSessions(QMenu* menu) {
  menu->clear();
  const std::vector<std::filesystem::path> files = RecentSessions(state_);
  if (files.empty()) {
    menu->addAction(QStringLiteral("No sessions yet"))->setEnabled(false);
    return;
  }
  int id = kFirstRecentSession;
  for (const std::filesystem::path& file : files) {
    QString name = QString::fromStdString(file.filename().string());
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(id - kFirstRecentSession + 1).arg(name));
    action->setData(id++);
    action->setStatusTip(QString::fromStdString(file.string()));
    connect(action, &QAction::triggered, this, [this, file] { OpenSessionNow(file); });
  }
}

void CMainFrame::OpenSessionNow(const std::filesystem::path& file) {
  const RepaintHold::Scope opening = mappingWindow_->Hold().Hold();
  mappingWindow_->Invalidate(OpenSessionFile(*this, file));
}

void CMainFrame::EnableCommands(bool working) {
  for (const CommandEntry& entry : CommandTable()) {
    const bool available = working ? AvailableDuringWork(entry.id) : !OnlyDuringWork(entry.id);
    Action(entry.id)->setEnabled(entry.handler != nullptr && available);
  }
}

QString CMainFrame::IdleText() const {
  if (mappingWindow_->Working()) return mappingWindow_->ProgressText();
  if (!afterWork_.isEmpty()) return afterWork_;
  const std::string hint = IdleHint(state_);
  return hint.empty() ? QString::fromLatin1(kIdleText) : QString::fromStdString(hint);
}

void CMainFrame::OnWorkStarted() {
  EnableCommands(true);
  progressBar_->setValue(0);
  progressBar_->show();
  OnWorkProgressed();
}

void CMainFrame::OnWorkProgressed() {
  progressBar_->setValue(mappingWindow_->ProgressPermille());
  // The prompt of a highlighted menu item keeps the prompt area while it is shown.
  const auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  if (menu == nullptr || menu->activeAction() == nullptr) readyText_->setText(IdleText());
  if (!inspectorPanel_->isHidden()) inspectorPanel_->Refresh();
}

void CMainFrame::OnWorkEnded(bool pictureIncomplete) {
  EnableCommands(false);
  progressBar_->hide();
  afterWork_ = pictureIncomplete ? QStringLiteral("Stopped: the picture is incomplete; Refresh draws it whole")
                                 : QString();
  readyText_->setText(IdleText());
}

void CMainFrame::StopWork() { mappingWindow_->StopWork(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
  mappingWindow_->StopWork();
  QMainWindow::closeEvent(event);
}

void CMainFrame::BuildStatusBar() {
  statusBar_ = new QStatusBar(this);
  setStatusBar(statusBar_);
  // A normal status-bar widget: the prompt of the item under the pointer covers it.
  readyText_ = new QLabel(QString::fromLatin1(kIdleText), statusBar_);
  statusBar_->addWidget(readyText_, 1);
  // A permanent widget: the prompt of a highlighted item or toolbar button leaves it shown.
  progressBar_ = new QProgressBar(statusBar_);
  progressBar_->setObjectName(QStringLiteral("workProgress"));
  progressBar_->setRange(0, 1000);
  progressBar_->setTextVisible(false);
  progressBar_->setMaximumWidth(160);
  progressBar_->hide();
  statusBar_->addPermanentWidget(progressBar_);
  capsPane_ = MakeLockPane(QStringLiteral("capsPane"), statusBar_);
  numPane_ = MakeLockPane(QStringLiteral("numPane"), statusBar_);
  scrollPane_ = MakeLockPane(QStringLiteral("scrollPane"), statusBar_);
  statusBar_->addPermanentWidget(capsPane_);
  statusBar_->addPermanentWidget(numPane_);
  statusBar_->addPermanentWidget(scrollPane_);

  UpdateLockPanes();
  auto* poll = new QTimer(this);
  connect(poll, &QTimer::timeout, this, &CMainFrame::UpdateLockPanes);
  connect(poll, &QTimer::timeout, this, &CMainFrame::ShowCompilerMessages);
  poll->start(kLockPollMs);
}

void CMainFrame::BuildInspectorPanel() {
  // Beside the picture, hidden until asked for; runs feed the inspector only while shown.
  inspectorPanel_ = new InspectorPanel(state_, prompter_, this);
  addDockWidget(Qt::RightDockWidgetArea, inspectorPanel_);
  inspectorPanel_->hide();
  state_.Inspector.SetShown(false);
  connect(inspectorPanel_, &QDockWidget::visibilityChanged, this, &CMainFrame::InspectorVisibilityChanged);
  connect(mappingWindow_, &MappingWindow::RepaintEnded, inspectorPanel_, &InspectorPanel::Refresh);
}

void CMainFrame::InspectorVisibilityChanged() {
  // Closed by its own button, or shown again: the flag and the check mark follow.
  const bool shown = !inspectorPanel_->isHidden();
  if (shown != state_.Inspector.Shown()) KeepPictureSize(shown);
  state_.Inspector.SetShown(shown);
  UpdateCheckMarks();
  inspectorPanel_->Refresh();
}

void CMainFrame::KeepPictureSize(bool dockShown) {
  // Showing or hiding the docked inspector would take its width from the picture or give
  // it back, and a picture of a new size is drawn anew: a run that was not stored would be
  // lost and the counters reset. So the frame grows or shrinks by the dock's width instead;
  // where it cannot (maximized, full screen, no room on the screen) the dock floats.
  // Repaints wait until the frame has its new size.
  if (inspectorPanel_->isFloating()) return;
  const int separator = style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
  const int dockWidth = (dockShown ? inspectorPanel_->sizeHint().width() : inspectorPanel_->width()) + separator;
  // Room on the screen for the wider frame, moving it left if need be.
  const QRect screen = this->screen() != nullptr ? this->screen()->availableGeometry() : QRect();
  const bool fits = screen.isEmpty() || frameGeometry().width() + dockWidth <= screen.width();
  if (dockShown && (isMaximized() || isFullScreen() || !fits)) {
    inspectorPanel_->setFloating(true);
    const QRect picture = centralWidget()->geometry();
    inspectorPanel_->move(mapToGlobal(QPoint(picture.right() - inspectorPanel_->sizeHint().width(), picture.top())));
    return;
  }
  if (dockShown && !screen.isEmpty() && frameGeometry().right() + dockWidth > screen.right()) {
    move(pos() - QPoint(frameGeometry().right() + dockWidth - screen.right(), 0));
  }
  if (isMaximized() || isFullScreen()) return;
  dockHold_.emplace(mappingWindow_->Hold().Hold());
  resize(width() + (dockShown ? dockWidth : -dockWidth), height());
  if (dockShown) resizeDocks({inspectorPanel_}, {dockWidth - separator}, Qt::Horizontal);
  // The window system may apply the new size later; the repaint waits for it, or a while.
  QTimer::singleShot(kDockSettleMs, this, [this] { dockHold_.reset(); });
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Released after the layout that follows the new size has placed the picture.
  if (dockHold_) QMetaObject::invokeMethod(this, [this] { dockHold_.reset(); }, Qt::QueuedConnection);
}

void CMainFrame::ShowCompilerMessages() {
  // A typed map that could not be compiled runs interpreted; that is said once, for a while.
  if (const std::optional<std::string> message = state_.CompiledMaps.NextMessage()) {
    statusBar_->showMessage(QString::fromStdString(*message), kCompilerMessageMs);
  }
}

void CMainFrame::UpdateLockPanes() {
  if (statusBar_->isHidden()) return;
  // Where the system cannot tell, a pane stays blank.
  const LockKeyStates locks = ReadLockKeyStates(ledsDir_);
  ShowLock(capsPane_, QStringLiteral("CAP"), locks.caps);
  ShowLock(numPane_, QStringLiteral("NUM"), locks.num);
  ShowLock(scrollPane_, QStringLiteral("SCRL"), locks.scroll);
}

void CMainFrame::ReadLocksFrom(std::filesystem::path ledsDir) {
  ledsDir_ = std::move(ledsDir);
  UpdateLockPanes();
}

bool CMainFrame::event(QEvent* event) {
  // The prompt of a highlighted item replaces "Ready"; an item without a prompt leaves the
  // prompt area empty. "Ready" comes back once no menu item is highlighted.
  if (event->type() == QEvent::StatusTip) {
    const auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const bool onItem = menu != nullptr && menu->activeAction() != nullptr;
    readyText_->setText(onItem ? QString() : IdleText());
  }
  return QMainWindow::event(event);
}

void CMainFrame::UpdateCheckMarks() {
  for (const CommandEntry& entry : CommandTable()) {
    if (entry.check == CheckFollows::Toolbar) Action(entry.id)->setChecked(!toolbar_->isHidden());
    if (entry.check == CheckFollows::StatusBar) Action(entry.id)->setChecked(!statusBar_->isHidden());
    if (entry.check == CheckFollows::OrbitInspector) Action(entry.id)->setChecked(!inspectorPanel_->isHidden());
  }
}

void CMainFrame::RunCommand(const CommandEntry& entry) {
  if (entry.handler == nullptr) return;
  // The repaint the command asks for runs only after it has returned.
  {
    const RepaintHold::Scope commandInProgress = mappingWindow_->Hold().Hold();
    mappingWindow_->Invalidate(entry.handler(*this));
  }
  // A command that repaints nothing may still change what the idle text says.
  if (!mappingWindow_->Working() && QApplication::activePopupWidget() == nullptr) readyText_->setText(IdleText());
}

void CMainFrame::ToggleToolbar() {
  toolbar_->setVisible(toolbar_->isHidden());
  UpdateCheckMarks();
}

void CMainFrame::ToggleStatusBar() {
  statusBar_->setVisible(statusBar_->isHidden());
  UpdateCheckMarks();
  UpdateLockPanes();
}

void CMainFrame::ToggleOrbitInspector() {
  inspectorPanel_->setVisible(inspectorPanel_->isHidden());
  InspectorVisibilityChanged();
}

void CMainFrame::ShowPeriodicOrbits() {
  if (!periodicOrbitsPanel_) {
    periodicOrbitsPanel_ = new PeriodicOrbitsPanel(state_, *mappingWindow_, prompter_, this);
    addDockWidget(Qt::RightDockWidgetArea, periodicOrbitsPanel_);
    periodicOrbitsPanel_->StructureReplaced();  // a session may have brought orbits
  }
  periodicOrbitsPanel_->Open();
}

void CMainFrame::PickSegment(std::function<void(WorldPoint a, WorldPoint b)> drawn) {
  mappingWindow_->BeginSegment(
      [this, drawn = std::move(drawn)](QPoint press, QPoint release) {
        statusBar_->clearMessage();
        const std::optional<WorldSegment> segment =
            SegmentBetweenPixels(state_, PixelPoint{press.x(), press.y()}, PixelPoint{release.x(), release.y()});
        if (!segment) {
          prompter_.ShowMessage(kSegmentOutsideBox);
          return;
        }
        drawn(segment->a, segment->b);
      },
      [this] { statusBar_->clearMessage(); });
  // After BeginSegment, which cancels a segment asked for before (clearing its hint).
  statusBar_->showMessage(QString::fromLatin1(kDrawSegmentHint));
}

const Canvas& CMainFrame::ShownPicture() { return mappingWindow_->Picture(); }

void CMainFrame::CloseMainWindow() { close(); }

void CMainFrame::AdoptSweepWindow(SweepWindow& window) {
  // A click reaches the explorer only while it does not run; the mapping window repaints
  // as the change asks, and the sweep's overlay follows every repaint of the explorer.
  window.SetClickGate([this] { return !mappingWindow_->Working(); });
  window.SetPictureFolder(State().WorkDir);
  window.SetExplorerChanged([this](Invalidation how) { mappingWindow_->Invalidate(how); });
  connect(mappingWindow_, &MappingWindow::RepaintEnded, &window, &SweepWindow::RefreshOverlay);
  std::erase_if(sweepWindows_, [](const QPointer<SweepWindow>& w) { return w.isNull(); });
  sweepWindows_.emplace_back(&window);
}

std::vector<const SweepView*> CMainFrame::OpenSweepViews() {
  std::vector<const SweepView*> views;
  for (const QPointer<SweepWindow>& w : sweepWindows_) {
    if (w && w->isVisible()) views.push_back(&w->View());
  }
  return views;
}

void CMainFrame::CloseSweepWindows() {
  for (const QPointer<SweepWindow>& w : sweepWindows_) {
    if (w) w->close();
  }
  sweepWindows_.clear();
}

void CMainFrame::StructureReplaced() {
  if (periodicOrbitsPanel_) periodicOrbitsPanel_->StructureReplaced();
}

void CMainFrame::ShowUserGuide() {
  // One guide window, kept open beside the work; the command brings it forward.
  if (guide_ == nullptr) guide_ = new UserGuideWindow(this);
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
}

void CMainFrame::ShowAboutBox() {
  AboutDialog about(this);
  about.exec();
}

}  // namespace orbitra
