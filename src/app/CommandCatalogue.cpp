#include "app/CommandCatalogue.h"

#include <algorithm>
#include <initializer_list>

namespace orva {

namespace {

// The menus that hold an entry.
enum class Where { None, File, View, Project, PanelManagement, Cut, Orva, Window, Help };

std::vector<std::string_view> pathOf(Where where) {
  switch (where) {
    case Where::None:
      return {};
    case Where::File:
      return {messageText(Msg::MenuFile)};
    case Where::View:
      return {messageText(Msg::MenuView)};
    case Where::Project:
      return {messageText(Msg::MenuProject)};
    case Where::PanelManagement:
      return {messageText(Msg::MenuProject), messageText(Msg::MenuPanelManagement)};
    case Where::Cut:
      return {messageText(Msg::Cut)};
    case Where::Orva:
      return {messageText(Msg::MenuOrva)};
    case Where::Window:
      return {messageText(Msg::MenuWindow)};
    case Where::Help:
      return {messageText(Msg::MenuHelp)};
  }
  return {};
}

// No text: messageText gives an empty view for a value that names none.
constexpr Msg kNoText = static_cast<Msg>(-1);

using O = CommandOwner;
using W = Where;
using P = PopupMenu;

struct Row {
  int id;
  O owner;
  bool needsProject;
  Msg text128;
  W in128;
  Msg text129;
  W in129;
  std::initializer_list<const char*> keys;
  Msg description = kNoText;
  P popup = P::None;
  Msg popupText = kNoText;
};

// Every command, in the order of commands(). The accelerator table assigns
// Ctrl+T to the current panel's configuration; Ctrl+P prints.
const Row kRows[] = {
    // &File
    {57600, O::Application, false, Msg::MenuNew, W::File, Msg::MenuNew, W::File, {"Ctrl+N"}},
    {57601, O::Application, false, Msg::MenuOpen, W::File, Msg::MenuOpen, W::File, {"Ctrl+O"}},
    {57603, O::Document, true, Msg::MenuSave, W::File, Msg::MenuSave, W::File, {"Ctrl+S"}},
    {57604, O::Document, true, Msg::MenuSaveAs, W::File, Msg::MenuSaveAs, W::File, {}},
    {32813, O::Document, true, Msg::MenuExport, W::File, Msg::MenuExport, W::File, {"Ctrl+E"},
     Msg::ExportDocumentToText},
    {57607, O::View, true, Msg::MenuPrint, W::File, Msg::MenuPrint, W::File, {"Ctrl+P"},
     Msg::PrintProject},
    {57609, O::View, true, Msg::MenuPrintingPreview, W::File, Msg::MenuPrintingPreview, W::File,
     {}},
    {57606, O::Application, false, Msg::MenuPrintingConfiguration, W::File,
     Msg::MenuPrintingConfiguration, W::File, {}},
    {57616, O::Application, false, Msg::MenuRecentFile, W::File, Msg::MenuRecentFile, W::File, {}},
    {57665, O::Application, false, Msg::MenuQuit, W::File, Msg::MenuQuit, W::File, {}},
    // &View
    {1005, O::MainFrame, true, kNoText, W::None, Msg::MenuProfiles, W::View, {}},
    {1006, O::MainFrame, true, kNoText, W::None, Msg::MenuWing, W::View, {}},
    {kCmdCutSimulationView, O::MainFrame, true, kNoText, W::None, Msg::MenuCutSimulation, W::View,
     {}, Msg::CutSimulationTip},
    {59392, O::MainFrame, false, Msg::MenuToolBar, W::View, Msg::MenuToolBar, W::View, {}},
    {32858, O::MainFrame, false, Msg::MenuProfilBar, W::View, Msg::MenuProfileBar, W::View, {}},
    {32877, O::MainFrame, false, Msg::MenuWingBar, W::View, Msg::MenuPanelBar, W::View, {}},
    {59393, O::MainFrame, false, Msg::MenuStatusBar, W::View, Msg::MenuStatusBar, W::View, {}},
    // Project, Panel management
    {32869, O::Document, true, kNoText, W::None, Msg::MenuNewAtEnd, W::PanelManagement, {}},
    {32892, O::Document, true, kNoText, W::None, Msg::MenuNewBeforeCurrent, W::PanelManagement,
     {}},
    {32893, O::Document, true, kNoText, W::None, Msg::MenuNewAfterCurrent, W::PanelManagement, {}},
    {32870, O::Document, true, kNoText, W::None, Msg::MenuDeleteCurrent, W::PanelManagement, {}},
    {32910, O::Document, true, kNoText, W::None, Msg::MenuSplitCurrent, W::PanelManagement, {}},
    {32909, O::Document, true, kNoText, W::None, Msg::MenuEllipticalWing, W::PanelManagement, {}},
    // Project
    {32782, O::Document, true, kNoText, W::None, Msg::MenuCurrentPanelConfiguration, W::Project,
     {"Ctrl+T"}},
    {32781, O::Document, true, kNoText, W::None, Msg::MenuRootProfile, W::Project, {}},
    {32780, O::Document, true, kNoText, W::None, Msg::MenuTipProfile, W::Project, {}},
    {32836, O::Document, true, kNoText, W::None, Msg::MenuSpars, W::Project, {"Ctrl+L"},
     Msg::SparConfiguration},
    {32835, O::Document, true, kNoText, W::None, Msg::MenuXLeadingEdge, W::Project, {},
     Msg::XLeadingEdgeProlongation},
    {32814, O::Document, true, kNoText, W::None, Msg::MenuComments, W::Project, {}},
    // Cut
    {32807, O::Document, true, kNoText, W::None, Msg::MenuPanelCut, W::Cut, {"Ctrl+D"},
     Msg::StartOfWingCut},
    {32811, O::Document, true, kNoText, W::None, Msg::MenuFoamCut, W::Cut, {"Ctrl+G"},
     Msg::VerticalCut},
    {32798, O::Document, true, kNoText, W::None, Msg::MenuBlockShaping, W::Cut, {"Ctrl+B"},
     Msg::StartOfBlockShaping},
    {32799, O::Document, true, kNoText, W::None, Msg::MenuTestCut, W::Cut, {},
     Msg::TestCutForWireKerfCalibration},
    {32837, O::Application, false, Msg::MenuScriptExecution, W::File, Msg::MenuScriptExecution,
     W::Cut, {}, Msg::CuttingFromCutFile},
    // ORVA
    {32901, O::Application, false, Msg::MenuTableManagement, W::Orva, Msg::MenuTablesManagement,
     W::Orva, {}},
    {32779, O::Application, false, Msg::MenuTableConfiguration, W::Orva,
     Msg::MenuTableConfiguration, W::Orva, {}},
    {32805, O::Application, false, Msg::MenuFoamManagement, W::Orva, Msg::MenuFoamManagement,
     W::Orva, {"Ctrl+M"}},
    {32796, O::Application, false, Msg::MenuTimerTuningEllipsis, W::Orva, Msg::MenuTimerTuning,
     W::Orva, {}},
    {32803, O::Application, false, Msg::MenuZeroAxis, W::Orva, Msg::MenuZeroAxis, W::Orva,
     {"Ctrl+Z"}, Msg::ManualWireMoveToZero},
    {32812, O::Application, false, Msg::MenuFiles, W::Orva, Msg::MenuFiles, W::Orva, {}},
    // &Window
    {57650, O::MainFrame, true, kNoText, W::None, Msg::MenuCascade, W::Window, {}},
    {57651, O::MainFrame, true, kNoText, W::None, Msg::MenuTile, W::Window, {}},
    {57649, O::MainFrame, true, kNoText, W::None, Msg::MenuArrangeIcons, W::Window, {}},
    // &Help
    {57667, O::MainFrame, false, Msg::MenuOnlineHelp, W::Help, Msg::MenuOnlineHelp, W::Help, {}},
    {57664, O::Application, false, Msg::MenuAbout, W::Help, Msg::MenuAbout, W::Help, {}},

    // The main tool bar's own buttons.
    {57669, O::MainFrame, false, kNoText, W::None, kNoText, W::None, {}},
    {32840, O::Application, false, kNoText, W::None, kNoText, W::None, {}, Msg::StartFerolo},
    {32804, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::DisplayCutCoordinates},
    {32806, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::DisplayProfileCoordinates},
    {32843, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::SuperposedProfiles},
    {32905, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::DisplayProfilesWithoutSweepBack},
    {32904, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::DisplayLegends},
    {32896, O::MainFrame, true, kNoText, W::None, kNoText, W::None, {}, Msg::DisplayProfileView},
    {32895, O::MainFrame, true, kNoText, W::None, kNoText, W::None, {}, Msg::DisplayWingView},
    {32793, O::MainFrame, true, kNoText, W::None, kNoText, W::None, {}},  // profile zoom list
    {32891, O::MainFrame, true, kNoText, W::None, kNoText, W::None, {}},  // wing zoom list
    {32897, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::DisplayLeOnTop},
    {32898, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::DisplayFullWing},
    // The profile tool bar.
    {32831, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::NoCutAtLe},
    {32833, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::HorizontalCutAtLe},
    {32791, O::Document, true, kNoText, W::None, kNoText, W::None, {"Ctrl+X"}, Msg::XCutAtLe},
    {32829, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::TeProlongationUpperSurface},
    {32883, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::TeProlongationMeanCord},
    {32828, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::SymmetricTeProlongation},
    {32834, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::HorizontalTeProlongation},
    {32810, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::ComputeWithSplines},
    // The wing tool bar (new and delete panel are in the menu above).
    {32871, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::PanelAlignmentUpperSide},
    {32873, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::PanelAlignmentLowerSide},
    {32874, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::PanelAlignmentMiddle},
    {32880, O::Document, true, kNoText, W::None, kNoText, W::None, {},
     Msg::PanelAndMarginsAlignment},

    // The wing view's context menu. Its spars entry is 32903 and its panel
    // cut 32899; the profile view's are 32907 and 32900.
    {32887, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Wing,
     Msg::MenuDelete},
    {32888, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Wing,
     Msg::MenuInsertNewBeforeCurrent},
    {32889, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Wing,
     Msg::MenuInsertNewAfterCurrent},
    {32890, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Wing,
     Msg::MenuPanelConfiguration},
    {32903, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::SparConfiguration,
     P::Wing, Msg::MenuSpars},
    {32902, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Wing,
     Msg::MenuComments},
    {32899, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::StartOfWingCut,
     P::Wing, Msg::MenuPanelCutPopup},
    // The profile view's context menu.
    {32906, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Profile,
     Msg::MenuPanelConfiguration},
    {32907, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::SparConfiguration,
     P::Profile, Msg::MenuSpars},
    {32908, O::Document, true, kNoText, W::None, kNoText, W::None, {}, kNoText, P::Profile,
     Msg::MenuComments},
    {32900, O::Document, true, kNoText, W::None, kNoText, W::None, {}, Msg::StartOfWingCut,
     P::Profile, Msg::MenuPanelCutPopup},

    // Keys only: the clipboard and undo keys of the views, the end of
    // in-place editing, help and the pane keys.
    {57634, O::View, true, kNoText, W::None, kNoText, W::None, {"Ctrl+C", "Ctrl+Ins"}},
    {57637, O::View, true, kNoText, W::None, kNoText, W::None, {"Ctrl+V", "Shift+Ins"}},
    {57635, O::View, true, kNoText, W::None, kNoText, W::None, {"Shift+Del"}},
    {57643, O::View, true, kNoText, W::None, kNoText, W::None, {"Alt+Backspace"}},
    {32768, O::View, true, kNoText, W::None, kNoText, W::None, {"Esc"}},
    {57670, O::MainFrame, false, kNoText, W::None, kNoText, W::None, {"F1"}},
    {57680, O::MainFrame, true, kNoText, W::None, kNoText, W::None, {"F6"}},
    {57681, O::MainFrame, true, kNoText, W::None, kNoText, W::None, {"Shift+F6"}},
};

// A menu's layout: command ids, and separators with the menu they are in.
struct Slot {
  int id = 0;
  Where separatorIn = Where::None;
  Slot(int command) : id(command) {}  // NOLINT: the layouts read as id lists
  explicit Slot(Where where) : separatorIn(where) {}
};
Slot separator(Where where) { return Slot(where); }

std::vector<Slot> layout(MainMenu menu) {
  const Slot fileHead[] = {57600, 57601, 57603, 57604, separator(W::File), 32813};
  std::vector<Slot> slots(std::begin(fileHead), std::end(fileHead));
  if (menu == MainMenu::NoProject) slots.emplace_back(32837);
  for (Slot s : {separator(W::File), Slot(57607), Slot(57609), Slot(57606), separator(W::File),
                 Slot(57616), separator(W::File), Slot(57665)}) {
    slots.push_back(s);
  }
  if (menu == MainMenu::Project) {
    for (Slot s : {Slot(1005), Slot(1006), Slot(kCmdCutSimulationView), separator(W::View)}) {
      slots.push_back(s);
    }
  }
  for (int id : {59392, 32858, 32877, 59393}) slots.emplace_back(id);
  if (menu == MainMenu::Project) {
    // "Comments..." is the project menu's ninth entry: the panel menu
    // follows it.
    for (Slot s : {Slot(32869), Slot(32892), Slot(32893), Slot(32870), Slot(32910),
                   separator(W::PanelManagement), Slot(32909), separator(W::Project), Slot(32782),
                   Slot(32781), Slot(32780), separator(W::Project), Slot(32836), Slot(32835),
                   Slot(32814), Slot(32807), Slot(32811), Slot(32798), Slot(32799),
                   separator(W::Cut), Slot(32837)}) {
      slots.push_back(s);
    }
  }
  for (Slot s : {Slot(32901), Slot(32779), Slot(32805), Slot(32796), Slot(32803),
                 separator(W::Orva), Slot(32812)}) {
    slots.push_back(s);
  }
  if (menu == MainMenu::Project) {
    for (int id : {57650, 57651, 57649}) slots.emplace_back(id);
  }
  for (Slot s : {Slot(57667), separator(W::Help), Slot(57664)}) slots.push_back(s);
  return slots;
}

Command commandOf(const Row& row) {
  Command command;
  command.id = row.id;
  command.owner = row.owner;
  command.needsProject = row.needsProject;
  command.menu128Text = messageText(row.text128);
  command.menu128Path = pathOf(row.in128);
  command.menu129Text = messageText(row.text129);
  command.menu129Path = pathOf(row.in129);
  command.popup = row.popup;
  command.popupText = messageText(row.popupText);
  for (const char* key : row.keys) command.keys.emplace_back(key);
  command.description = messageText(row.description);
  return command;
}

}  // namespace

CommandCatalogue::CommandCatalogue() {
  for (const Row& row : kRows) commands_.push_back(commandOf(row));
}

const Command* CommandCatalogue::find(int id) const {
  const auto found = std::find_if(commands_.begin(), commands_.end(),
                                  [id](const Command& c) { return c.id == id; });
  return found == commands_.end() ? nullptr : &*found;
}

const Command* CommandCatalogue::commandForKey(std::string_view key) const {
  for (const Command& command : commands_) {
    if (std::find(command.keys.begin(), command.keys.end(), key) != command.keys.end()) {
      return &command;
    }
  }
  return nullptr;
}

std::vector<MenuItem> CommandCatalogue::menu(MainMenu menu) const {
  std::vector<MenuItem> items;
  for (const Slot& slot : layout(menu)) {
    MenuItem item;
    if (slot.id == 0) {
      item.path = pathOf(slot.separatorIn);
    } else if (const Command* command = find(slot.id)) {
      const bool noProject = menu == MainMenu::NoProject;
      item.commandId = command->id;
      item.path = noProject ? command->menu128Path : command->menu129Path;
      item.text = noProject ? command->menu128Text : command->menu129Text;
      if (!command->keys.empty()) item.shortcut = command->keys.front();
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<MenuItem> CommandCatalogue::popup(PopupMenu menu) const {
  std::vector<MenuItem> items;
  if (menu == PopupMenu::None) return items;
  for (const Command& command : commands_) {
    if (command.popup != menu) continue;
    // The panel operations of the wing view's menu stand apart from the rest.
    if (command.id == 32890) items.push_back(MenuItem{});
    MenuItem item;
    item.commandId = command.id;
    item.text = command.popupText;
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<int> CommandCatalogue::toolBar(ToolBar bar) const {
  switch (bar) {
    case ToolBar::Main:
      // The zoom lists take the places of 32793 and 32891 (positions 22, 23).
      return {57600, 57601, 57603, 0,     57607, 0,     57664, 57669, 0,     32840, 0,     32804, 32806,
              0,     32843, 32905, 32904, 0,     32896, 32895, 0,     32793, 32891, 0,     32897, 32898};
    case ToolBar::Profile:
      return {32831, 32833, 32791, 0, 32829, 32883, 32828, 32834, 0, 32810};
    case ToolBar::Wing:
      return {32871, 32873, 32874, 0, 32869, 32870, 0, 32880};
  }
  return {};
}

std::vector<std::string_view> CommandCatalogue::menuTitles(MainMenu menu) const {
  std::vector<std::string_view> titles;
  for (const MenuItem& item : this->menu(menu)) {
    if (item.path.empty()) continue;
    if (std::find(titles.begin(), titles.end(), item.path.front()) == titles.end()) {
      titles.push_back(item.path.front());
    }
  }
  return titles;
}

}  // namespace orva
