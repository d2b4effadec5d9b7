#pragma once

#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/CommandCatalogue.h"
#include "app/ProgramContext.h"
#include "ui/CProfileFrame.h"
#include "ui/ZoomList.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QToolBar;

namespace orva {

class CutProgressPanel;
class HelpWindow;
class JobRunner;
class MachinePanel;
class StatusPanes;

// The main window: the menu (128 without a project window, 129 with one),
// the main, profile and wing tool bars with the two zoom lists, the status
// bar's three panes and the multi-document area holding the project's
// profile and wing windows. Every command of menus, bars, keys and views
// arrives at onCommand.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  using ViewKind = CProfileFrame::ViewKind;

  // The settings group the tool-bar state is kept in.
  static constexpr const char* kBarStateGroup = "General";

  CMainFrame(ProgramContext& context, StatusPanes& status, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The one entry of every command.
  void onCommand(int commandId);
  bool isCommandHandled(int commandId) const;

  const CommandCatalogue& catalogue() const { return catalogue_; }
  QAction* action(int commandId) const;
  QToolBar* toolBar(ToolBar bar) const;
  ZoomList* zoomList(ZoomList::Kind kind) const;
  QMdiArea* mdiArea() const { return mdi_; }
  MainMenu shownMenu() const { return shownMenu_; }
  QMenu* topMenu(std::string_view title) const;

  double ProfileZoomFactor() const { return profileZoom_->factor(); }
  double WingZoomFactor() const { return wingZoom_->factor(); }
  void ResetZoomLists();
  void ShowTableName(const QString& text);
  void ShowCutProgress(const QString& text);

  // Activates the project's window of that kind, or opens one and tiles the
  // windows; needs an active project window.
  void SwitchToView(ViewKind kind);

  // The opening rule with its windows: New (no path), Open, the recent
  // files and the command line.
  OpenProjectResult openProject(const std::optional<std::filesystem::path>& path);
  // Opens the windows of the context's project after it was opened.
  void showProjectWindows(ProjectWindows windows);
  // Closes the project (after the save question) and its windows; false
  // when the user kept it.
  bool closeProject();

  // Follows every cut the desktop program starts on the program's job.
  JobRunner& jobRunner() const { return *jobRunner_; }
  // The progress panel of the running job (dock "cutProgress").
  CutProgressPanel& cutProgress() const { return *cutProgress_; }
  // The machine panel (dock "machinePanel", toggled in the View menu).
  MachinePanel& machinePanel() const { return *machinePanel_; }

  QList<CProfileFrame*> frames() const;
  CProfileFrame* activeFrame() const;
  CT1Doc* activeDocument() const;

  // Checked and enabled states of every command, as the menus and bars show
  // them; nothing is done while the window is minimised.
  void updateCommandStates();
  void updateTitles();

  void saveBarState() const;
  void restoreBarState();

  // Tiles the child windows one above the other, each the whole width.
  void tileHorizontally();
  // Whether the shown windows lie one above the other over the whole width,
  // as tileHorizontally leaves them.
  bool windowsStacked() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void createActions();
  void createToolBars();
  void buildMenus(MainMenu menu);
  void rebuildPanelMenu();
  void addRecentFiles(QMenu* menu, QAction* placeholder);
  CProfileFrame* createFrame(ViewKind kind, CT1Doc& doc);
  void dropAllFrames();
  bool mayCloseFrame(CProfileFrame& frame);
  void observe(CT1Doc* doc);
  void onSubWindowActivated(QMdiSubWindow* window);

  bool runFrameCommand(int id);
  bool runApplicationCommand(int id);
  bool runDocumentCommand(CT1Doc& doc, int id);
  bool runViewCommand(int id);
  bool runDialog(CT1Doc& doc, int id);

  void openFromDialog();
  void printActiveView(bool preview);
  QPrinter& printer();
  QString helpText(int id) const;

  ProgramContext& context_;
  StatusPanes& status_;
  CommandCatalogue catalogue_;
  QMdiArea* mdi_ = nullptr;
  std::map<int, QAction*> actions_;
  QToolBar* mainBar_ = nullptr;
  QToolBar* profileBar_ = nullptr;
  QToolBar* wingBar_ = nullptr;
  ZoomList* profileZoom_ = nullptr;
  ZoomList* wingZoom_ = nullptr;
  MainMenu shownMenu_ = MainMenu::NoProject;
  bool menusBuilt_ = false;
  QMenu* projectMenu_ = nullptr;
  QList<QAction*> panelActions_;
  std::unique_ptr<QPrinter> printer_;
  QPointer<HelpWindow> help_;
  JobRunner* jobRunner_ = nullptr;
  CutProgressPanel* cutProgress_ = nullptr;
  MachinePanel* machinePanel_ = nullptr;
  CT1Doc* observed_ = nullptr;
  CT1Doc::ObserverToken token_ = 0;
  bool closingProject_ = false;
};

}  // namespace orva
