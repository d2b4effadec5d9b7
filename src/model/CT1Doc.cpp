#include "model/CT1Doc.h"

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
}

void CT1Doc::notifyViews() {
  if (updateAllViews) updateAllViews();
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
  SetModifiedFlag();
  notifyViews();
  return true;
}

bool CT1Doc::ToggleOption(int commandId) {
  if (commandId == kCmdSplines) {
    if (!current().wingPanel) return false;
    splines = !splines;
    // Only the current panel is rebuilt now; the others take the new setting
    // at their next rebuild (edit or load).
    current().Rebuild(splines, false);
    SetModifiedFlag();
    notifyViews();
    return true;
  }
  bool* field = displayToggle(*this, commandId);
  if (field == nullptr) return false;
  *field = !*field;
  notifyViews();
  return true;
}

bool CT1Doc::SetEdgeTreatment(int commandId) {
  const EdgeCommand* command = findEdgeCommand(commandId);
  if (command == nullptr) return false;
  Panel& panel = current();
  if (!panel.wingPanel) return false;
  (command->leadingEdge ? panel.leMode : panel.teMode) = command->mode;
  SetModifiedFlag();
  notifyViews();
  return true;
}

std::unique_ptr<XleConfigForm> CT1Doc::XLeadingEdge() {
  if (!SetEdgeTreatment(kCmdLeXCut)) return nullptr;
  return std::make_unique<XleConfigForm>(*this);
}

void CT1Doc::EditComments(const std::optional<std::string>& doneText) {
  if (doneText) comments = *doneText;
  SetModifiedFlag();
}

bool CT1Doc::SelectPanel(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= panels.size()) return false;
  currentPanel = index;
  notifyViews();
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
  notifyViews();
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
