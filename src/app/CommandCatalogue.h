#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "common/Messages.h"

namespace orva {

// Who handles a command. A command goes to the active view, its document,
// the main frame and last the application; the owner is the one that acts.
enum class CommandOwner { Application, MainFrame, Document, View };

// The two main menus: resource 128 while no project is open, 129 while a
// project window is active.
enum class MainMenu { NoProject = 128, Project = 129 };
// The views' context menus: the wing view's (232) and the profile view's (235).
enum class PopupMenu { None = 0, Wing = 232, Profile = 235 };
// The three tool bars.
enum class ToolBar { Main = 128, Profile = 225, Wing = 229 };

// A command as the desktop program builds its menus, bars and keys from it.
struct Command {
  int id = 0;
  CommandOwner owner = CommandOwner::Application;
  bool needsProject = false;  // not available while no project is open
  // The entry's text in each main menu as stored (with its '&' mnemonic),
  // and the path of menus that hold it ({"&File"}, {"Project", "Panel
  // management"}); both empty when the menu does not hold the command.
  std::string_view menu128Text;
  std::vector<std::string_view> menu128Path;
  std::string_view menu129Text;
  std::vector<std::string_view> menu129Path;
  // The context menu holding the command, and its text there.
  PopupMenu popup = PopupMenu::None;
  std::string_view popupText;
  // The keys, in Qt's portable key-sequence text ("Ctrl+N", "Shift+Ins").
  // The first is the one shown beside the menu entries.
  std::vector<std::string_view> keys;
  // What the command does, for tool tips and the status bar; empty when the
  // catalogue has no such text.
  std::string_view description;
};

// The View menu's "Cut" window: the simulation of the current panel's cut.
inline constexpr int kCmdCutSimulationView = 33200;

// One entry of a menu as it is shown: a command, or a separator (commandId 0).
struct MenuItem {
  int commandId = 0;
  std::vector<std::string_view> path;  // the menus holding the entry
  std::string_view text;
  std::string_view shortcut;  // the key shown beside it, empty for none

  bool isSeparator() const { return commandId == 0; }
};

// Every command of the program as data: ids, texts, menus, tool bars, keys,
// owners. The panel entries of the project menu (32950 + index) are made per
// project (PanelMenuEntries) and are not listed here.
class CommandCatalogue {
 public:
  CommandCatalogue();

  // Every command, in the order of the menus (File, View, Project, Cut,
  // ORVA, Window, Help), then the commands reached only from a tool bar, a
  // context menu or a key.
  const std::vector<Command>& commands() const { return commands_; }
  // The command `id`; nothing for an id not in the catalogue.
  const Command* find(int id) const;
  // The command a key sequence runs (Qt's portable text); nothing when none.
  const Command* commandForKey(std::string_view key) const;

  // The entries of a main menu (all its submenus flattened, each with its
  // path), of a context menu, and the buttons of a tool bar (0 for a
  // separator), in their order.
  std::vector<MenuItem> menu(MainMenu menu) const;
  std::vector<MenuItem> popup(PopupMenu menu) const;
  std::vector<int> toolBar(ToolBar bar) const;

  // The top-level menus of a main menu, in order.
  std::vector<std::string_view> menuTitles(MainMenu menu) const;

 private:
  std::vector<Command> commands_;
};

}  // namespace orva
