#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CommandCatalogue.h"
#include "support/Golden.h"

namespace orva {
namespace {

std::string joined(const std::vector<std::string_view>& parts, std::string_view separator) {
  std::string text;
  for (std::string_view part : parts) text += (text.empty() ? "" : std::string(separator)) + std::string(part);
  return text;
}

std::string dumpItems(const std::vector<MenuItem>& items) {
  std::string text;
  for (const MenuItem& item : items) {
    if (item.isSeparator()) {
      text += "  " + joined(item.path, ">") + " ----\n";
      continue;
    }
    text += "  " + std::to_string(item.commandId) + " " + joined(item.path, ">") + " | " +
            std::string(item.text) + (item.shortcut.empty() ? "" : " [" + std::string(item.shortcut) + "]") + "\n";
  }
  return text;
}

const char* ownerName(CommandOwner owner) {
  switch (owner) {
    case CommandOwner::Application: return "application";
    case CommandOwner::MainFrame: return "main frame";
    case CommandOwner::Document: return "document";
    case CommandOwner::View: return "view";
  }
  return "?";
}

// The menus, context menus, tool bars, keys and owners as the program shows
// them, compared with the reviewed file.
TEST(CommandCatalogue, MenusKeysBarsAndOwnersAreAsReviewed) {
  const CommandCatalogue catalogue;
  std::string text;
  for (MainMenu which : {MainMenu::NoProject, MainMenu::Project}) {
    text += "menu " + std::to_string(static_cast<int>(which)) + ": " +
            joined(catalogue.menuTitles(which), " ") + "\n" + dumpItems(catalogue.menu(which));
  }
  text += "popup wing\n" + dumpItems(catalogue.popup(PopupMenu::Wing));
  text += "popup profile\n" + dumpItems(catalogue.popup(PopupMenu::Profile));
  for (const auto& [name, bar] : {std::pair{"main", ToolBar::Main}, {"profile", ToolBar::Profile},
                                  {"wing", ToolBar::Wing}}) {
    text += std::string("tool bar ") + name + ":";
    for (int id : catalogue.toolBar(bar)) text += " " + std::to_string(id);
    text += "\n";
  }
  text += "commands\n";
  for (const Command& c : catalogue.commands()) {
    text += "  " + std::to_string(c.id) + " " + ownerName(c.owner) +
            (c.needsProject ? ", needs a project" : "") +
            (c.keys.empty() ? "" : ", keys " + joined(c.keys, " ")) + "\n";
  }
  test::expectGolden("app/commands.txt", text);
}

TEST(CommandCatalogue, EveryIdIsKnownOnceAndEveryKeyFindsItsCommand) {
  const CommandCatalogue catalogue;
  std::vector<int> ids;
  for (const Command& command : catalogue.commands()) {
    ids.push_back(command.id);
    for (std::string_view key : command.keys) EXPECT_EQ(catalogue.commandForKey(key), &command) << key;
    EXPECT_EQ(catalogue.find(command.id), &command);
  }
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "an id is listed twice";
  for (ToolBar bar : {ToolBar::Main, ToolBar::Profile, ToolBar::Wing}) {
    for (int id : catalogue.toolBar(bar)) {
      if (id != 0) { EXPECT_NE(catalogue.find(id), nullptr) << id; }
    }
  }
  for (MainMenu which : {MainMenu::NoProject, MainMenu::Project}) {
    for (const MenuItem& item : catalogue.menu(which)) {
      if (!item.isSeparator()) { EXPECT_NE(catalogue.find(item.commandId), nullptr) << item.commandId; }
    }
  }
  EXPECT_EQ(catalogue.find(12345), nullptr);
  EXPECT_EQ(catalogue.commandForKey("Ctrl+Q"), nullptr);

  // The panel entries follow the ninth entry (separators count) of the
  // project menu, "Comments...".
  std::vector<std::string_view> projectMenu;
  for (const MenuItem& item : catalogue.menu(MainMenu::Project)) {
    if (item.path.empty() || item.path.front() != "Project") continue;
    const std::string_view entry = item.path.size() == 1 ? item.text : item.path[1];
    if (projectMenu.empty() || projectMenu.back() != entry) projectMenu.push_back(entry);
  }
  ASSERT_EQ(projectMenu.size(), 9u);
  EXPECT_EQ(projectMenu[8], "Comments...");
}

}  // namespace
}  // namespace orva
