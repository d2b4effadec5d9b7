#include "ui/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QMdiArea>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>
#include <algorithm>

#include "common/Messages.h"
#include "model/PanelOperations.h"
#include "ui/AboutBox.h"
#include "ui/CAileView.h"
#include "ui/CT1View.h"
#include "ui/CompanionProgram.h"
#include "ui/MachinePanel.h"
#include "ui/ManualControl.h"
#include "ui/PageSetupDialog.h"
#include "ui/CutCommands.h"
#include "ui/CutProgressPanel.h"
#include "ui/HelpWindow.h"
#include "ui/MachineDialogs.h"
#include "ui/ProjectDialogs.h"
#include "ui/JobRunner.h"
#include "ui/CutSimulationView.h"
#include "ui/StatusPanes.h"

// The icons and the manual are compiled into the library; a static library
// needs its resources registered by hand.
static void initResources() { Q_INIT_RESOURCE(orva); }

namespace orva {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Commands with ids of their own in the frame, the application and the views.
enum : int {
  kNew = 57600,
  kOpen = 57601,
  kPrint = 57607,
  kPrintPreview = 57609,
  kPrintSetup = 57606,
  kRecentFile = 57616,
  kQuit = 57665,
  kProfiles = 1005,
  kWing = 1006,
  kToolBar = 59392,
  kProfileBar = 32858,
  kWingBar = 32877,
  kStatusBar = 59393,
  kCascade = 57650,
  kTile = 57651,
  kArrangeIcons = 57649,
  kOnlineHelp = 57667,
  kHelpKey = 57670,
  kWhatsThis = 57669,
  kNextPane = 57680,
  kPreviousPane = 57681,
  kAbout = 57664,
  kFerolo = 32840,
  kProfileView = 32896,
  kWingView = 32895,
  kProfileZoom = 32793,
  kWingZoom = 32891,
};

constexpr int kFrameCommands[] = {kProfiles, kWing,         kProfileView, kWingView,  kToolBar,  kProfileBar,
                                  kWingBar,  kStatusBar,    kCascade,     kTile,      kArrangeIcons,
                                  kOnlineHelp, kHelpKey,    kWhatsThis,   kNextPane,  kPreviousPane,
                                  kProfileZoom, kWingZoom,  kCmdCutSimulationView};
constexpr int kApplicationCommands[] = {kNew, kOpen, kPrintSetup, kRecentFile, kQuit, kFerolo, kAbout};
constexpr int kViewCommands[] = {kPrint, kPrintPreview};
constexpr int kToggleCommands[] = {CT1Doc::kCmdSplines,        CT1Doc::kCmdSuperposed,
                                   CT1Doc::kCmdLegends,        CT1Doc::kCmdProfilesWithoutSweep,
                                   CT1Doc::kCmdLeOnTop,        CT1Doc::kCmdFullWing,
                                   CT1Doc::kCmdCutCoordinates, CT1Doc::kCmdProfileCoordinates};
constexpr int kEdgeCommands[] = {CT1Doc::kCmdTeHorizontal, CT1Doc::kCmdTeMeanChord, CT1Doc::kCmdTeUpperAndLower,
                                 CT1Doc::kCmdTeUpperSurface, CT1Doc::kCmdLeNone, CT1Doc::kCmdLeHorizontal,
                                 CT1Doc::kCmdLeXCut};
constexpr int kPanelCommands[] = {kCmdNewPanelAtEnd,          kCmdNewPanelBeforeCurrent, kCmdInsertPanelBeforeCurrent,
                                  kCmdNewPanelAfterCurrent,   kCmdInsertPanelAfterCurrent, kCmdDeleteCurrentPanel,
                                  kCmdDeletePanel,            kCmdAlignUpperSide,        kCmdAlignLowerSide,
                                  kCmdAlignMiddle,            kCmdAlignPanelsAndMargins};
constexpr int kSaveCommands[] = {CT1Doc::kCmdSave, CT1Doc::kCmdSaveAs};
template <std::size_t N>
bool contains(const int (&ids)[N], int id) {
  return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

QString withoutMnemonic(std::string_view text) {
  QString plain = qs(text);
  plain.remove(QLatin1Char('&'));
  if (plain.endsWith(QStringLiteral("..."))) plain.chop(3);
  return plain.trimmed();
}

}  // namespace

CMainFrame::CMainFrame(ProgramContext& context, StatusPanes& status, QWidget* parent)
    : QMainWindow(parent), context_(context), status_(status) {
  initResources();
  // 1. The frame.
  setObjectName(QStringLiteral("mainFrame"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/orva.svg")));
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("mdiArea"));
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
  jobRunner_ = new JobRunner(context_.job, this);
  connect(jobRunner_, &JobRunner::finished, this, &CMainFrame::updateCommandStates);
  connect(jobRunner_, &JobRunner::started, this, &CMainFrame::updateCommandStates);
  // Pane 2 shows the progress only while the cut runs.
  connect(jobRunner_, &JobRunner::finished, this, [this] { status_.ShowCutProgress(QString()); });
  createActions();
  // 2.–5. The three bars with the zoom lists in the main bar.
  createToolBars();
  // 6. The status bar and its panes.
  status_.attach(statusBar());
  statusBar()->setObjectName(QStringLiteral("statusBar"));
  // 7. Docking on every side.
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
  // The progress of a running cut, below the windows.
  cutProgress_ = new CutProgressPanel(*jobRunner_, context_, this);
  addDockWidget(Qt::BottomDockWidgetArea, cutProgress_);
  cutProgress_->setVisible(false);
  // Windows tiled one above the other stay tiled when the panel takes its
  // room or gives it back (once the area has its new size).
  connect(cutProgress_, &QDockWidget::visibilityChanged, this, [this] {
    if (!windowsStacked()) return;
    // The area's scroll bars go once the windows fit: tile again after that.
    QMetaObject::invokeMethod(this, [this] {
      tileHorizontally();
      QMetaObject::invokeMethod(this, &CMainFrame::tileHorizontally, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
  });
  // The table's controller by hand, beside the windows (hidden until asked for).
  machinePanel_ = new MachinePanel(context_, this);
  addDockWidget(Qt::RightDockWidgetArea, machinePanel_);
  machinePanel_->setVisible(false);
  // 8. The bars as they were left.
  restoreBarState();
  cutProgress_->setVisible(context_.job.running());
  buildMenus(MainMenu::NoProject);
  updateTitles();
  updateCommandStates();
}

CMainFrame::~CMainFrame() {
  // The children going away below must not call back into this window.
  mdi_->disconnect(this);
  for (QToolBar* bar : {mainBar_, profileBar_, wingBar_}) bar->disconnect(this);
  // A panel left open is hidden as the window goes: its signal must not
  // come back here.
  cutProgress_->disconnect(this);
  machinePanel_->disconnect(this);
  for (QMenu* menu : findChildren<QMenu*>()) menu->disconnect(this);
  // The views may outlive the project slot's content during destruction.
  if (observed_ && context_.document.get() == observed_) observed_->unsubscribe(token_);
  for (CProfileFrame* frame : frames()) {
    frame->mayClose = nullptr;
    if (context_.document.get() != frame->document()) frame->view()->detach();
  }
}

// --- Actions, bars and menus ---------------------------------------------

QString CMainFrame::helpText(int id) const {
  switch (id) {
    case kNew:
      return qs(messageText(Msg::NewProjectTip));
    case kOpen:
      return qs(messageText(Msg::OpenProjectTip));
    case CT1Doc::kCmdSave:
      return qs(messageText(Msg::SaveProjectTip));
    case kAbout:
      return qs(messageText(Msg::AboutTip));
    case kWhatsThis:
      return qs(messageText(Msg::HelpOnButtonsAndMenus));
    case kCmdNewPanelAtEnd:
      return qs(messageText(Msg::NewPanelTip));
    case kCmdDeleteCurrentPanel:
      return qs(messageText(Msg::DeletePanelTip));
    default:
      break;
  }
  const Command* command = catalogue_.find(id);
  if (!command) return {};
  if (!command->description.empty()) return qs(command->description);
  if (!command->menu129Text.empty()) return withoutMnemonic(command->menu129Text);
  if (!command->menu128Text.empty()) return withoutMnemonic(command->menu128Text);
  return withoutMnemonic(command->popupText);
}

void CMainFrame::createActions() {
  for (const Command& command : catalogue_.commands()) {
    if (command.id == kProfileZoom || command.id == kWingZoom) continue;
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("command%1").arg(command.id));
    action->setData(command.id);
    const QString text = qs(!command.menu129Text.empty() ? command.menu129Text : command.menu128Text);
    action->setText(text.isEmpty() ? helpText(command.id) : text);
    const QString help = helpText(command.id);
    action->setToolTip(help);
    action->setStatusTip(help);
    action->setWhatsThis(help);
    QList<QKeySequence> keys;
    for (std::string_view key : command.keys) keys << QKeySequence(qs(key), QKeySequence::PortableText);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    const QString icon = QStringLiteral(":/icons/%1.svg").arg(command.id);
    if (QFile::exists(icon)) action->setIcon(QIcon(icon));
    const int id = command.id;
    if (contains(kToggleCommands, id) || contains(kEdgeCommands, id) || id == kToolBar || id == kProfileBar ||
        id == kWingBar || id == kStatusBar) {
      action->setCheckable(true);
    }
    connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
    addAction(action);  // the keys work wherever the focus is in the window
    actions_[id] = action;
  }
}

void CMainFrame::createToolBars() {
  const auto makeBar = [this](ToolBar which, const QString& name, const QString& title) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(name);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setMovable(true);
    bar->setIconSize(which == ToolBar::Main ? QSize(17, 16) : QSize(16, 15));
    bar->setContentsMargins(1, 5, 1, 5);
    for (int id : catalogue_.toolBar(which)) {
      if (id == 0) {
        bar->addSeparator();
      } else if (id == kProfileZoom || id == kWingZoom) {
        auto* list = new ZoomList(id == kProfileZoom ? ZoomList::Kind::Profile : ZoomList::Kind::Wing, id, bar);
        list->setFixedWidth(70);
        const QString tip = qs(messageText(id == kProfileZoom ? Msg::ProfileZoomTip : Msg::WingZoomTip));
        list->setToolTip(tip);
        list->setStatusTip(tip);
        list->setWhatsThis(tip);
        connect(list, &QComboBox::activated, this, [this, id](int) { onCommand(id); });
        bar->addWidget(list);
        (id == kProfileZoom ? profileZoom_ : wingZoom_) = list;
      } else if (QAction* a = action(id)) {
        bar->addAction(a);
      }
    }
    connect(bar, &QToolBar::visibilityChanged, this, [this] { updateCommandStates(); });
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
  };
  mainBar_ = makeBar(ToolBar::Main, QStringLiteral("mainToolBar"), qs(messageText(Msg::MainToolBarTitle)));
  profileBar_ = makeBar(ToolBar::Profile, QStringLiteral("profileToolBar"), qs(messageText(Msg::ProfilToolBarTitle)));
  wingBar_ = makeBar(ToolBar::Wing, QStringLiteral("wingToolBar"), qs(messageText(Msg::AileToolBarTitle)));
}

QAction* CMainFrame::action(int commandId) const {
  const auto found = actions_.find(commandId);
  return found == actions_.end() ? nullptr : found->second;
}

QToolBar* CMainFrame::toolBar(ToolBar bar) const {
  switch (bar) {
    case ToolBar::Main:
      return mainBar_;
    case ToolBar::Profile:
      return profileBar_;
    case ToolBar::Wing:
      return wingBar_;
  }
  return nullptr;
}

ZoomList* CMainFrame::zoomList(ZoomList::Kind kind) const {
  return kind == ZoomList::Kind::Profile ? profileZoom_ : wingZoom_;
}

QMenu* CMainFrame::topMenu(std::string_view title) const {
  for (QAction* entry : menuBar()->actions()) {
    if (entry->menu() && entry->text() == qs(title)) return entry->menu();
  }
  return nullptr;
}

void CMainFrame::buildMenus(MainMenu which) {
  if (menusBuilt_ && which == shownMenu_) return;
  menusBuilt_ = true;
  shownMenu_ = which;
  panelActions_.clear();
  projectMenu_ = nullptr;
  // The old menus go with their entries; the command actions belong to the
  // window and stay.
  QMenuBar* bar = menuBar();
  for (QAction* entry : bar->actions()) {
    if (QMenu* menu = entry->menu()) menu->deleteLater();
  }
  bar->clear();

  std::map<QString, QMenu*> menus;  // by path, "A\nB"
  const auto menuFor = [&](const std::vector<std::string_view>& path) -> QMenu* {
    QMenu* parent = nullptr;
    QString key;
    for (std::string_view part : path) {
      key += (key.isEmpty() ? QString() : QStringLiteral("\n")) + qs(part);
      auto found = menus.find(key);
      if (found == menus.end()) {
        QMenu* menu = parent ? parent->addMenu(qs(part)) : bar->addMenu(qs(part));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
        found = menus.emplace(key, menu).first;
      }
      parent = found->second;
    }
    return parent;
  };
  for (std::string_view title : catalogue_.menuTitles(which)) menuFor({title});

  for (const MenuItem& item : catalogue_.menu(which)) {
    QMenu* menu = menuFor(item.path);
    if (!menu) continue;
    if (item.isSeparator()) {
      menu->addSeparator();
      continue;
    }
    QAction* a = action(item.commandId);
    if (!a) continue;
    a->setText(qs(item.text));
    if (item.commandId == kRecentFile) {
      addRecentFiles(menu, a);
      continue;
    }
    menu->addAction(a);
  }
  if (const auto view = menus.find(qs(messageText(Msg::MenuView))); view != menus.end()) {
    view->second->addSeparator();
    view->second->addAction(cutProgress_->toggleViewAction());
    view->second->addAction(machinePanel_->toggleViewAction());
  }
  if (which == MainMenu::Project) {
    projectMenu_ = menus[qs(messageText(Msg::MenuProject))];
    rebuildPanelMenu();
  }
}

void CMainFrame::addRecentFiles(QMenu* menu, QAction* placeholder) {
  const auto& files = context_.recentFiles.files();
  if (files.empty()) {
    menu->addAction(placeholder);
    return;
  }
  int number = 1;
  for (const std::string& file : files) {
    QAction* entry = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(QString::fromStdString(file)));
    entry->setObjectName(QStringLiteral("recentFile%1").arg(number - 1));
    const std::filesystem::path path = std::filesystem::u8path(file);
    connect(entry, &QAction::triggered, this, [this, path] {
      openProject(path);
      updateCommandStates();
    });
  }
}

void CMainFrame::rebuildPanelMenu() {
  if (!projectMenu_) return;
  for (QAction* entry : panelActions_) {
    projectMenu_->removeAction(entry);
    entry->deleteLater();
  }
  panelActions_.clear();
  const CT1Doc* doc = activeDocument();
  if (!doc) return;
  panelActions_ << projectMenu_->addSeparator();
  for (const MenuEntry& entry : PanelMenuEntries(*doc)) {
    QAction* a = projectMenu_->addAction(QString::fromStdString(entry.text));
    a->setCheckable(true);
    a->setChecked(entry.checked);
    a->setEnabled(entry.enabled);
    a->setObjectName(QStringLiteral("command%1").arg(entry.commandId));
    const int id = entry.commandId;
    connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
    panelActions_ << a;
  }
}

// --- Command states --------------------------------------------------------

bool CMainFrame::isCommandHandled(int id) const {
  if (isManualControlCommand(id)) return true;
  return contains(kFrameCommands, id) || contains(kApplicationCommands, id) || contains(kViewCommands, id) ||
         contains(kToggleCommands, id) || contains(kEdgeCommands, id) || contains(kPanelCommands, id) ||
         contains(kSaveCommands, id) || isProjectDialogCommand(id) || isCutCommand(id) ||
         isMachineDialogCommand(id);
}

void CMainFrame::updateCommandStates() {
  if (isMinimized()) return;
  CT1Doc* doc = activeDocument();
  // While a cut runs only what looks stays available (Cancel is the panel's).
  const bool cutting = context_.job.running();
  for (const auto& [id, a] : actions_) {
    const Command* command = catalogue_.find(id);
    bool enabled = isCommandHandled(id) && (!command || !command->needsProject || doc);
    bool checked = false;
    if (doc && enabled) {
      if (const auto state = doc->commandState(id)) {
        enabled = state->enabled;
        checked = state->checked;
      }
    }
    switch (id) {
      case kToolBar:
        checked = mainBar_->isVisibleTo(this);
        break;
      case kProfileBar:
        checked = profileBar_->isVisibleTo(this);
        break;
      case kWingBar:
        checked = wingBar_->isVisibleTo(this);
        break;
      case kStatusBar:
        checked = statusBar()->isVisibleTo(this);
        break;
      default:
        break;
    }
    if (isCutCommand(id)) enabled = enabled && cutCommandEnabled(id, *this, context_);
    if (cutting && !commandAvailableDuringCut(id)) enabled = false;
    a->setEnabled(enabled);
    if (a->isCheckable()) a->setChecked(checked);
  }
  static const QRegularExpression recentEntry(QStringLiteral("^recentFile\\d+$"));
  for (QAction* entry : findChildren<QAction*>(recentEntry)) entry->setEnabled(!cutting);
  profileZoom_->setEnabled(doc != nullptr);
  wingZoom_->setEnabled(doc != nullptr);
  if (doc) {
    for (int i = 0; i < panelActions_.size(); ++i) {
      if (panelActions_[i]->isSeparator()) continue;
      panelActions_[i]->setChecked(i - 1 == doc->currentPanel);
      panelActions_[i]->setEnabled(!cutting);
    }
  }
}

void CMainFrame::updateTitles() {
  const QString application = qs(messageText(Msg::ApplicationTitle));
  const CT1Doc* doc = activeDocument();
  setWindowTitle(doc ? application + QStringLiteral(" - ") + CProfileFrame::projectTitle(*doc) : application);
  for (CProfileFrame* frame : frames()) frame->updateTitle();
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !isMinimized()) updateCommandStates();
}

// --- Frames ----------------------------------------------------------------

QList<CProfileFrame*> CMainFrame::frames() const {
  QList<CProfileFrame*> list;
  for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (auto* frame = qobject_cast<CProfileFrame*>(window)) list << frame;
  }
  return list;
}

CProfileFrame* CMainFrame::activeFrame() const {
  auto* frame = qobject_cast<CProfileFrame*>(mdi_->currentSubWindow());
  if (frame && frame->document()) return frame;
  return nullptr;
}

CT1Doc* CMainFrame::activeDocument() const {
  CProfileFrame* frame = activeFrame();
  return frame ? frame->document() : nullptr;
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow*) {
  const bool projectWindow = activeFrame() != nullptr;
  buildMenus(projectWindow ? MainMenu::Project : MainMenu::NoProject);
  rebuildPanelMenu();
  updateTitles();
  updateCommandStates();
}

CProfileFrame* CMainFrame::createFrame(ViewKind kind, CT1Doc& doc) {
  SceneView* view = kind == ViewKind::Profile ? static_cast<SceneView*>(new CT1View(doc, catalogue_))
                    : kind == ViewKind::Wing  ? static_cast<SceneView*>(new CAileView(doc, catalogue_))
                                              : new CutSimulationView(doc, catalogue_, context_.cut, jobRunner_);
  connect(view, &SceneView::commandRequested, this, &CMainFrame::onCommand);
  auto* frame = new CProfileFrame(view, kind);
  frame->mayClose = [this](CProfileFrame& closing) { return mayCloseFrame(closing); };
  mdi_->addSubWindow(frame);
  frame->resize(mdi_->viewport()->size().expandedTo(QSize(800, 500)) * 0.8);
  return frame;
}

void CMainFrame::observe(CT1Doc* doc) {
  if (observed_ == doc) return;
  // A previous project is gone by now: its observers went with it.
  observed_ = doc;
  token_ = 0;
  if (!doc) return;
  token_ = doc->subscribe([this](DocChanges changes) {
    if (changes.has(DocChange::PanelList) || changes.has(DocChange::CurrentPanel)) rebuildPanelMenu();
    if (changes.has(DocChange::Path) || changes.has(DocChange::ModifiedFlag)) updateTitles();
    updateCommandStates();
  });
}

void CMainFrame::dropAllFrames() {
  closingProject_ = true;
  for (CProfileFrame* frame : frames()) {
    frame->view()->detach();
    frame->mayClose = nullptr;
    frame->close();
    delete frame;
  }
  closingProject_ = false;
  observe(nullptr);
}

bool CMainFrame::mayCloseFrame(CProfileFrame& frame) {
  if (closingProject_) return true;
  int others = 0;
  for (CProfileFrame* other : frames()) {
    if (other != &frame && other->document() == frame.document()) ++others;
  }
  if (others > 0) return true;
  // The project's last window: closing it closes the project, not while a
  // cut runs.
  if (context_.job.running()) {
    context_.prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Information);
    return false;
  }
  if (!context_.CloseProject()) return false;
  frame.view()->detach();
  observe(nullptr);
  QMetaObject::invokeMethod(this, [this] { onSubWindowActivated(nullptr); }, Qt::QueuedConnection);
  return true;
}

void CMainFrame::showProjectWindows(ProjectWindows windows) {
  CT1Doc* doc = context_.document.get();
  if (!doc) return;
  observe(doc);
  ResetZoomLists();
  CProfileFrame* profile = createFrame(ViewKind::Profile, *doc);
  if (windows == ProjectWindows::ProfileMaximised) {
    profile->showMaximized();
    mdi_->setActiveSubWindow(profile);
  } else {
    profile->show();
    CProfileFrame* wing = createFrame(ViewKind::Wing, *doc);
    wing->show();
    mdi_->setActiveSubWindow(profile);
    mdi_->activateNextSubWindow();
    tileHorizontally();
    // Before the window is shown the area has no size yet: tile again once
    // it has its size.
    if (!isVisible()) QMetaObject::invokeMethod(this, &CMainFrame::tileHorizontally, Qt::QueuedConnection);
  }
  onSubWindowActivated(mdi_->currentSubWindow());
}

OpenProjectResult CMainFrame::openProject(const std::optional<std::filesystem::path>& path) {
  CT1Doc* before = context_.document.get();
  const OpenProjectResult result = context_.OpenProject(path);
  if (!result.opened()) {
    buildMenus(shownMenu_);
    return result;
  }
  // The previous project is gone: its windows let go of it before they close.
  if (before || !frames().isEmpty()) dropAllFrames();
  observed_ = nullptr;
  menusBuilt_ = false;
  showProjectWindows(result.windows);
  return result;
}

bool CMainFrame::closeProject() {
  if (!context_.document) {
    dropAllFrames();
    return true;
  }
  if (!context_.CloseProject()) return false;
  dropAllFrames();
  onSubWindowActivated(nullptr);
  return true;
}

bool CMainFrame::windowsStacked() const {
  QList<QMdiSubWindow*> shown;
  for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (window->isMaximized() || window->isMinimized()) return false;
    if (window->isVisibleTo(mdi_)) shown << window;
  }
  if (shown.isEmpty()) return false;
  std::sort(shown.begin(), shown.end(), [](QMdiSubWindow* a, QMdiSubWindow* b) { return a->y() < b->y(); });
  int y = 0;
  for (QMdiSubWindow* window : shown) {
    if (window->x() != 0 || window->y() != y || window->width() != shown.front()->width()) return false;
    y += window->height();
  }
  return true;
}

void CMainFrame::tileHorizontally() {
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
  QList<QMdiSubWindow*> shown;
  for (QMdiSubWindow* window : windows) {
    if (!window->isMinimized() && window->isVisibleTo(mdi_)) shown << window;
  }
  if (shown.isEmpty()) return;
  const QRect area = mdi_->viewport()->rect();
  const int height = area.height() / static_cast<int>(shown.size());
  int y = 0;
  for (QMdiSubWindow* window : shown) {
    window->showNormal();
    window->setGeometry(0, y, area.width(), height);
    y += height;
  }
}

void CMainFrame::SwitchToView(ViewKind kind) {
  CT1Doc* doc = activeDocument();
  if (!doc) return;
  for (CProfileFrame* frame : frames()) {
    if (frame->document() == doc && frame->kind() == kind) {
      mdi_->setActiveSubWindow(frame);
      return;
    }
  }
  CProfileFrame* frame = createFrame(kind, *doc);
  frame->show();
  mdi_->setActiveSubWindow(frame);
  tileHorizontally();
}

void CMainFrame::ResetZoomLists() {
  profileZoom_->reset();
  wingZoom_->reset();
}

void CMainFrame::ShowTableName(const QString& text) { status_.ShowTableName(text); }
void CMainFrame::ShowCutProgress(const QString& text) { status_.ShowCutProgress(text); }

// --- Bar state -------------------------------------------------------------

void CMainFrame::saveBarState() const {
  const auto settings = context_.settingsStore().open();
  settings->beginGroup(QString::fromLatin1(kBarStateGroup));
  settings->setValue(QStringLiteral("BarState"), saveState());
  settings->setValue(QStringLiteral("StatusBar"), statusBar()->isVisibleTo(this));
  settings->endGroup();
  settings->sync();
}

void CMainFrame::restoreBarState() {
  const auto settings = context_.settingsStore().open();
  settings->beginGroup(QString::fromLatin1(kBarStateGroup));
  const QByteArray state = settings->value(QStringLiteral("BarState")).toByteArray();
  if (!state.isEmpty()) restoreState(state);
  statusBar()->setVisible(settings->value(QStringLiteral("StatusBar"), true).toBool());
  settings->endGroup();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (context_.job.running()) {
    // The program cannot end while the wire is in the block and the worker
    // streams to the machine: the cut is cancelled first (after the user
    // agreed), and the window closes once the retreat is over.
    event->ignore();
    if (context_.prompt.askOkCancel(messageText(Msg::CancelCut), MessageIcon::Question) != Answer::Ok) return;
    connect(jobRunner_, &JobRunner::finished, this, &QWidget::close,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    jobRunner_->cancel();
    return;
  }
  saveBarState();
  if (!closeProject()) {
    event->ignore();
    return;
  }
  if (help_) help_->close();
  event->accept();
}

// --- Commands --------------------------------------------------------------

void CMainFrame::onCommand(int id) {
  if (refuseDuringCut(id, context_)) return;
  if (runManualControl(id, *this, context_)) return updateCommandStates();
  if (!runCutCommand(id, *this, context_) && !runFrameCommand(id) && !runApplicationCommand(id) &&
      !runViewCommand(id) && !runMachineDialog(id, *this, context_)) {
    if (CT1Doc* doc = activeDocument()) {
      if (!runDocumentCommand(*doc, id)) runDialog(*doc, id);
    }
  }
  if (id == CT1Doc::kCmdSave || id == CT1Doc::kCmdSaveAs) {
    menusBuilt_ = false;  // the recent-file list may have changed
    buildMenus(shownMenu_);
  }
  updateCommandStates();
}

bool CMainFrame::runFrameCommand(int id) {
  switch (id) {
    case kProfiles:
    case kProfileView:
      SwitchToView(ViewKind::Profile);
      return true;
    case kWing:
    case kWingView:
      SwitchToView(ViewKind::Wing);
      return true;
    case kCmdCutSimulationView:
      SwitchToView(ViewKind::Cut);
      return true;
    case kToolBar:
      mainBar_->setVisible(!mainBar_->isVisibleTo(this));
      return true;
    case kProfileBar:
      profileBar_->setVisible(!profileBar_->isVisibleTo(this));
      return true;
    case kWingBar:
      wingBar_->setVisible(!wingBar_->isVisibleTo(this));
      return true;
    case kStatusBar:
      statusBar()->setVisible(!statusBar()->isVisibleTo(this));
      return true;
    case kCascade:
      mdi_->cascadeSubWindows();
      return true;
    case kTile:
      tileHorizontally();
      return true;
    case kArrangeIcons:
      // Minimised windows line up along the bottom of the area.
      mdi_->tileSubWindows();
      return true;
    case kOnlineHelp:
    case kHelpKey:
      if (!help_) help_ = new HelpWindow(this);
      help_->show();
      help_->raise();
      help_->activateWindow();
      return true;
    case kWhatsThis:
      QWhatsThis::enterWhatsThisMode();
      return true;
    case kNextPane:
      mdi_->activateNextSubWindow();
      return true;
    case kPreviousPane:
      mdi_->activatePreviousSubWindow();
      return true;
    case kProfileZoom:
    case kWingZoom:
      if (CT1Doc* doc = activeDocument()) {
        (id == kProfileZoom ? doc->display.profileViewScale : doc->display.wingViewScale) =
            id == kProfileZoom ? ProfileZoomFactor() : WingZoomFactor();
        doc->notifyChanged(DocChange::DisplayOptions);
      }
      return true;
    default:
      return false;
  }
}

bool CMainFrame::runApplicationCommand(int id) {
  switch (id) {
    case kNew:
      openProject(std::nullopt);
      return true;
    case kOpen:
      openFromDialog();
      return true;
    case kPrintSetup:
      PageSetupDialog::edit(printer(), this);
      return true;
    case kQuit:
      close();
      return true;
    case kFerolo:
      CompanionProgram::start(context_.settingsStore());
      return true;
    case kAbout: {
      AboutBox about(this);
      about.exec();
      return true;
    }
    default:
      return false;
  }
}

bool CMainFrame::runViewCommand(int id) {
  if (id != kPrint && id != kPrintPreview) return false;
  printActiveView(id == kPrintPreview);
  return true;
}

bool CMainFrame::runDocumentCommand(CT1Doc& doc, int id) {
  if (contains(kToggleCommands, id)) {
    doc.ToggleOption(id);
    return true;
  }
  if (contains(kEdgeCommands, id) && id != CT1Doc::kCmdLeXCut) {
    doc.SetEdgeTreatment(id);
    return true;
  }
  if (id >= kFirstPanelCommand && id <= kLastPanelCommand) {
    doc.SelectPanelCommand(id);
    return true;
  }
  switch (id) {
    case CT1Doc::kCmdSave:
      doc.Save();
      return true;
    case CT1Doc::kCmdSaveAs:
      doc.SaveAs();
      return true;
    case kCmdNewPanelAtEnd:
      NewPanelAtEnd(doc);
      return true;
    case kCmdNewPanelBeforeCurrent:
    case kCmdInsertPanelBeforeCurrent:
      NewPanelBeforeCurrent(doc);
      return true;
    case kCmdNewPanelAfterCurrent:
    case kCmdInsertPanelAfterCurrent:
      NewPanelAfterCurrent(doc);
      return true;
    case kCmdDeleteCurrentPanel:
    case kCmdDeletePanel:
      DeleteCurrentPanel(doc);
      return true;
    case kCmdAlignUpperSide:
      AlignSections(doc, SectionAlignment::UpperSide);
      return true;
    case kCmdAlignLowerSide:
      AlignSections(doc, SectionAlignment::LowerSide);
      return true;
    case kCmdAlignMiddle:
      AlignSections(doc, SectionAlignment::Middle);
      return true;
    case kCmdAlignPanelsAndMargins:
      AlignPanelsAndMargins(doc);
      return true;
    default:
      return false;
  }
}

bool CMainFrame::runDialog(CT1Doc& doc, int id) {
  // The one place where project dialogs are run.
  return runProjectDialog(id, doc, context_, this);
}

void CMainFrame::openFromDialog() {
  FileDialogRequest request;
  request.filters = {{std::string(messageText(Msg::FilterProjectFiles)), "*.cnc"},
                     {std::string(messageText(Msg::FilterAllFiles)), "*.*"}};
  request.initialDirectory = context_.settings.RepProjet;
  request.maxPathLength = 127;
  request.mustExist = true;
  request.defaultExtension = "cnc";
  if (const auto chosen = context_.prompt.chooseOpenFile(request)) openProject(std::filesystem::u8path(*chosen));
}

QPrinter& CMainFrame::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void CMainFrame::printActiveView(bool preview) {
  CProfileFrame* frame = activeFrame();
  if (!frame) return;
  SceneView* view = frame->view();
  std::string error;
  if (preview) {
    QPrintPreviewDialog dialog(&printer(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [view, &error](QPrinter* target) { error = view->print(*target); });
    dialog.resize(size() * 0.8);
    dialog.exec();
  } else {
    QPrintDialog dialog(&printer(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    error = view->print(printer());
  }
  if (!error.empty()) context_.prompt.showMessage(formatMessage(Msg::PrintFailed, {error}), MessageIcon::Warning);
}

}  // namespace orva
