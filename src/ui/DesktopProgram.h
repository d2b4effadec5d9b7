#pragma once

#include <QStringList>
#include <memory>

#include "app/ProgramContext.h"
#include "ui/QtUserPrompt.h"
#include "ui/StatusPanes.h"
#include "ui/QtSound.h"

namespace orva {

class CMainFrame;

// The desktop program as a whole: its ports (dialogs, sound, status bar),
// the program context and the main window, started and ended in the
// program's order.
class DesktopProgram {
 public:
  explicit DesktopProgram(ProgramOptions options = {});
  ~DesktopProgram();
  DesktopProgram(const DesktopProgram&) = delete;
  DesktopProgram& operator=(const DesktopProgram&) = delete;

  // Start-up: the main window; the settings, table list, foams, table and
  // driver; the command line (a project file opens that project, otherwise
  // a new project is opened); the window shown maximised (when `show`); the
  // planner's positions reset. `arguments` are the program's arguments
  // after its name. False when the program must end (the run-only options
  // cannot be used; the reason has been shown).
  bool start(const QStringList& arguments, bool show = true);
  // The exit sequence after the main window has closed: settings and the
  // data files that changed are written, the driver closed. A file that
  // could not be written is named to the user.
  SaveReport finish();

  ProgramContext& context() { return context_; }
  CMainFrame& mainFrame() { return *frame_; }

 private:
  QtUserPrompt prompt_;
  QtSound sound_;
  StatusPanes status_;
  ProgramContext context_;
  std::unique_ptr<CMainFrame> frame_;
  bool finished_ = false;
};

}  // namespace orva
