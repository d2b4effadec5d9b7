#include "model/CT1Doc.h"

#include <algorithm>
#include <utility>

#include "common/Messages.h"
#include "config/MachineConfig.h"
#include "geometry/Profile.h"
#include "model/ProjectFile.h"
#include "model/XleConfigForm.h"

namespace orva {

namespace {

// The display toggles of the document and the field each one flips.
template <class Doc>
auto displayToggle(Doc& doc, int commandId) -> decltype(&doc.superposed) {
  switch (commandId) {
    case CT1Doc::kCmdSuperposed:
      return &doc.superposed;
    case CT1Doc::kCmdLegends:
      return &doc.display.legends;
    case CT1Doc::kCmdProfilesWithoutSweep:
      return &doc.display.profilesWithoutSweep;
    case CT1Doc::kCmdLeOnTop:
      return &doc.display.leOnTop;
    case CT1Doc::kCmdFullWing:
      return &doc.display.fullWing;
    case CT1Doc::kCmdCutCoordinates:
      return &doc.display.cutCoordinates;
    case CT1Doc::kCmdProfileCoordinates:
      return &doc.display.profileCoordinates;
    default:
      return nullptr;
  }
}

// The edge treatment commands: which field they set and to what.
struct EdgeCommand {
  int commandId;
  bool leadingEdge;
  int mode;
};
constexpr EdgeCommand kEdgeCommands[] = {
    {CT1Doc::kCmdTeHorizontal, false, TeHorizontal},
    {CT1Doc::kCmdTeMeanChord, false, TeMeanChord},
    {CT1Doc::kCmdTeUpperAndLower, false, TeUpperAndLower},
    {CT1Doc::kCmdTeUpperSurface, false, TeUpperSurface},
    {CT1Doc::kCmdLeNone, true, LeNone},
    {CT1Doc::kCmdLeHorizontal, true, LeHorizontal},
    {CT1Doc::kCmdLeXCut, true, LeXCut},
    {CT1Doc::kCmdXLeadingEdge, true, LeXCut},
};

const EdgeCommand* findEdgeCommand(int commandId) {
  for (const EdgeCommand& c : kEdgeCommands) {
    if (c.commandId == commandId) return &c;
  }
  return nullptr;
}

}  // namespace

CT1Doc::CT1Doc(ProjectContext& context) : context_(context) { NewProject(); }

CT1Doc::~CT1Doc() = default;

void CT1Doc::NewProject() {
  panels.clear();
  splines = true;
  panels.push_back(Panel::makeDefault(context_.machine.table.Entraxe, splines));
  Panel& panel = panels.front();
  panel.sectionCutZ = 0;
  panel.sectionCutEnabled = false;
  currentPanel = 0;
  superposed = false;
  comments.clear();
  foamName.clear();
  cutChoices = PanelCutChoices{};
  display = DisplayOptions{};
  path.clear();
  modified = false;
  notifyChanged(DocChanges::all());
}

CT1Doc::ObserverToken CT1Doc::subscribe(Observer observer) {
  const ObserverToken token = nextToken_++;
  observers_.push_back({token, std::make_shared<Observer>(std::move(observer))});
  return token;
}

bool CT1Doc::unsubscribe(ObserverToken token) {
  const auto found = std::find_if(observers_.begin(), observers_.end(),
                                  [token](const Subscription& s) { return s.token == token; });
  if (found == observers_.end()) return false;
  observers_.erase(found);
  return true;
}

CT1Doc::ChangeBatch::~ChangeBatch() {
  if (--doc_.batchDepth_ > 0) return;
  const DocChanges changes = doc_.pending_;
  doc_.pending_ = {};
  doc_.notifyChanged(changes);
}

void CT1Doc::notifyChanged(DocChanges changes) {
  if (changes.empty()) return;
  if (batchDepth_ > 0) {
    pending_ |= changes;
    return;
  }
  // The list as it is now: observers may change it while they are told. The
  // shared pointers keep a function alive while it runs, even when it
  // unsubscribes itself.
  const std::vector<Subscription> snapshot = observers_;
  for (const Subscription& subscription : snapshot) {
    const bool stillSubscribed =
        std::any_of(observers_.begin(), observers_.end(),
                    [&](const Subscription& s) { return s.token == subscription.token; });
    if (stillSubscribed && *subscription.observer) (*subscription.observer)(changes);
  }
}

void CT1Doc::SetModifiedFlag(bool value) {
  if (modified == value) return;
  modified = value;
  notifyChanged(DocChange::ModifiedFlag);
}

void CT1Doc::markModified(DocChanges changes) {
  if (!modified) {
    modified = true;
    changes |= DocChange::ModifiedFlag;
  }
  notifyChanged(changes);
}

bool CT1Doc::SelectRootProfile() { return SelectProfile(false); }
bool CT1Doc::SelectTipProfile() { return SelectProfile(true); }

bool CT1Doc::SelectProfile(bool tip) {
  Panel& panel = current();
  Section& section = tip ? panel.tip : panel.root;
  const Msg title = tip ? Msg::TipProfileSelection : Msg::RootProfileSelection;
  if (!section.profile.LoadCoordinateFile(context_.prompt, messageText(title),
                                          context_.profileDirectory)) {
    context_.prompt.showMessage(messageText(Msg::InvalidDatFile), MessageIcon::Warning);
    return false;
  }
  panel.RebuildAfterNewProfile(splines, tip);
  markModified(DocChange::PanelGeometry);
  return true;
}

bool CT1Doc::ToggleOption(int commandId) {
  if (commandId == kCmdSplines) {
    if (!current().wingPanel) return false;
    splines = !splines;
    // Only the current panel is rebuilt now; the others take the new setting
    // at their next rebuild (edit or load).
    current().Rebuild(splines, false);
    markModified(DocChange::PanelGeometry);
    return true;
  }
  bool* field = displayToggle(*this, commandId);
  if (field == nullptr) return false;
  *field = !*field;
  notifyChanged(DocChange::DisplayOptions);
  return true;
}

bool CT1Doc::SetEdgeTreatment(int commandId) {
  const EdgeCommand* command = findEdgeCommand(commandId);
  if (command == nullptr) return false;
  Panel& panel = current();
  if (!panel.wingPanel) return false;
  (command->leadingEdge ? panel.leMode : panel.teMode) = command->mode;
  markModified(DocChange::PanelGeometry);
  return true;
}

std::unique_ptr<XleConfigForm> CT1Doc::XLeadingEdge() {
  if (!SetEdgeTreatment(kCmdLeXCut)) return nullptr;
  return std::make_unique<XleConfigForm>(*this);
}

void CT1Doc::EditComments(const std::optional<std::string>& doneText) {
  // The comment is shown nowhere: only the modified flag can be news.
  if (doneText) comments = *doneText;
  SetModifiedFlag();
}

bool CT1Doc::SelectPanel(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= panels.size()) return false;
  if (index == currentPanel) return true;
  currentPanel = index;
  notifyChanged(DocChange::CurrentPanel);
  return true;
}

FileDialogRequest CT1Doc::saveDialogRequest() const {
  FileDialogRequest request;
  request.filters = {{std::string(messageText(Msg::FilterProjectFiles)), "*.cnc"},
                     {std::string(messageText(Msg::FilterAllFiles)), "*.*"}};
  request.initialDirectory = context_.projectDirectory;
  // The file name is offered again when the project already has one.
  if (!path.empty()) {
    const std::u8string name = path.filename().u8string();
    request.defaultName.assign(name.begin(), name.end());
  }
  request.defaultExtension = "cnc";
  request.promptOverwrite = false;
  return request;
}

std::optional<std::filesystem::path> CT1Doc::askSavePath() {
  const std::optional<std::string> chosen = context_.prompt.chooseSaveFile(saveDialogRequest());
  if (!chosen || chosen->empty()) return std::nullopt;
  // Paths are UTF-8 in memory.
  return std::filesystem::path(std::u8string(chosen->begin(), chosen->end()));
}

bool CT1Doc::SaveTo(const std::filesystem::path& target) {
  // The writer reports its own failure to the user and leaves the project
  // untouched (still modified, same path); on success it sets the path,
  // clears the modified mark and resets the display as after loading.
  if (!SaveProjectFile(*this, target)) return false;
  if (addToRecentFiles) addToRecentFiles(path);
  return true;
}

bool CT1Doc::Save() {
  if (!path.empty()) return SaveTo(path);
  return SaveAs();
}

bool CT1Doc::SaveAs() {
  const std::optional<std::filesystem::path> target = askSavePath();
  if (!target) return false;
  return SaveTo(*target);
}

std::optional<CommandState> CT1Doc::commandState(int commandId) const {
  const Panel& panel = current();
  if (commandId == kCmdSplines) return CommandState{panel.wingPanel, splines};
  if (const bool* field = displayToggle(*this, commandId)) {
    return CommandState{true, *field};
  }
  if (const EdgeCommand* command = findEdgeCommand(commandId)) {
    const int mode = command->leadingEdge ? panel.leMode : panel.teMode;
    bool enabled = panel.wingPanel;
    if (commandId == kCmdXLeadingEdge) enabled = enabled && panel.leMode == LeXCut;
    return CommandState{enabled, enabled && mode == command->mode};
  }
  const int index = commandId - kCmdFirstPanel;
  if (index >= 0 && static_cast<std::size_t>(index) < panels.size()) {
    return CommandState{true, index == currentPanel};
  }
  return std::nullopt;
}

}  // namespace orva
