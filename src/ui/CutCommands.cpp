#include "ui/CutCommands.h"

#include <algorithm>
#include <iterator>

#include "app/CommandCatalogue.h"
#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "cutting/PanelCutForm.h"
#include "scene/LiveCutOverlay.h"
#include "ui/CMainFrame.h"
#include "ui/CT1View.h"
#include "ui/JobRunner.h"
#include "ui/PanelCutDialog.h"

namespace orva {

namespace {
constexpr int kPanelCut = 32807;       // menu, Ctrl+D
constexpr int kWingViewCut = 32899;    // the wing view's context menu
constexpr int kProfileViewCut = 32900;  // the profile view's context menu

// What stays available while a cut runs; see commandAvailableDuringCut.
constexpr int kAvailableDuringCut[] = {
    57603,                                    // Save
    32813,                                    // Export
    57607, 57609, 57606,                      // Print, Printing preview, Printing configuration
    57665,                                    // Quit (asks to cancel the cut first)
    1005,  1006,  kCmdCutSimulationView,      // View: Profiles, Wing, Cut
    59392, 32858, 32877, 59393,               // the tool bars and the status bar
    32804, 32806, 32843, 32905, 32904, 32897, 32898,  // display options
    32896, 32895,                             // the profile view and the wing view buttons
    32793, 32891,                             // the zoom lists
    57650, 57651, 57649,                      // Window
    57667, 57664, 57669, 57670,               // Help, About, What's this, F1
    57634,                                    // Copy
    32768,                                    // Esc: the end of an in-place edit
    57680, 57681,                             // the next and the previous pane
};

// The profile views of `doc` in the window.
QList<CT1View*> profileViews(const CMainFrame& frame, const CT1Doc* doc) {
  QList<CT1View*> views;
  for (CProfileFrame* child : frame.frames()) {
    auto* view = qobject_cast<CT1View*>(child->view());
    if (view != nullptr && view->document() == doc) views << view;
  }
  return views;
}

// Draws the running panel cut in the project's profile views after every
// service of the job, and takes it away when the job is over.
void followInProfileViews(CMainFrame& frame, ProgramContext& context, const CT1Doc* doc, PanelCutResult cut) {
  JobRunner& runner = frame.jobRunner();
  auto* feed = new QObject(&frame);
  const auto show = [&frame, &context, doc, cut = std::move(cut)] {
    const CutJob& job = context.job;
    const CutJobProgress progress = job.progress();
    // During the retreat the progress counts the retreat's moves; the cut
    // got as far as the moves it output before it stopped.
    const std::size_t completed = progress.retreating ? job.lastCutMovesSent() : progress.moveIndex;
    for (CT1View* view : profileViews(frame, doc)) {
      const TableConfig& table = context.machine.table;
      const LiveCutOverlay::Placement placement =
          LiveCutOverlay::placementFor(*view->document(), cut, table.ZeroX, table.ZeroY);
      view->setLiveCut(LiveCutOverlay::build(placement, job.moves(), completed, progress.position));
    }
  };
  QObject::connect(&runner, &JobRunner::progressed, feed, show);
  QObject::connect(&runner, &JobRunner::finished, feed, [&frame, doc, feed] {
    for (CT1View* view : profileViews(frame, doc)) view->setLiveCut(std::nullopt);
    feed->deleteLater();
  });
  show();
}

}  // namespace

bool isCutCommand(int commandId) {
  return commandId == kPanelCut || commandId == kWingViewCut || commandId == kProfileViewCut;
}

bool cutCommandEnabled(int commandId, const CMainFrame& frame, const ProgramContext& context) {
  return isCutCommand(commandId) && frame.activeDocument() != nullptr && !context.job.running();
}

bool commandAvailableDuringCut(int commandId) {
  return std::find(std::begin(kAvailableDuringCut), std::end(kAvailableDuringCut), commandId) !=
         std::end(kAvailableDuringCut);
}

bool refuseDuringCut(int commandId, const ProgramContext& context) {
  if (!context.job.running() || commandAvailableDuringCut(commandId)) return false;
  context.prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Information);
  return true;
}

bool runCutCommand(int commandId, CMainFrame& frame, ProgramContext& context) {
  if (!isCutCommand(commandId)) return false;
  CT1Doc* doc = frame.activeDocument();
  if (doc == nullptr) return true;
  if (context.job.running()) {
    // The keys reach here even while the menu entry is greyed out.
    context.prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Information);
    return true;
  }
  PanelCutForm form(*doc, context.cut);
  PanelCutDialog dialog(form, &frame);
  if (dialog.exec() != QDialog::Accepted) return true;
  if (!form.startCut(context.job)) return true;
  if (frame.jobRunner().follow() && form.lastCut()) followInProfileViews(frame, context, doc, *form.lastCut());
  return true;
}

}  // namespace orva
