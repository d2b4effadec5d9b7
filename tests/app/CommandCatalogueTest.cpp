#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CommandCatalogue.h"

namespace orva {
namespace {

// The menu entries as stored: id, text and path in menu 128 (no project) and
// menu 129 (a project window active); empty text: not in that menu.
struct Expected {
  int id;
  const char* text128;
  const char* path128;
  const char* text129;
  const char* path129;
};

const Expected kMenus[] = {
    {57600, "&New", "&File", "&New", "&File"},
    {57601, "&Open...", "&File", "&Open...", "&File"},
    {57603, "&Save", "&File", "&Save", "&File"},
    {57604, "Save as...", "&File", "Save as...", "&File"},
    {32813, "&Export", "&File", "&Export", "&File"},
    {32837, "Script Execution", "&File", "Script Execution", "Cut"},
    {57607, "&Print...", "&File", "&Print...", "&File"},
    {57609, "Printing Preview", "&File", "Printing Preview", "&File"},
    {57606, "Printing &Configuration", "&File", "Printing &Configuration", "&File"},
    {57616, "Recent file", "&File", "Recent file", "&File"},
    {57665, "&Quit", "&File", "&Quit", "&File"},
    {1005, "", "", "Profiles", "&View"},
    {1006, "", "", "Wing", "&View"},
    {59392, "&Tool bar", "&View", "&Tool bar", "&View"},
    {32858, "&Profil bar", "&View", "&Profile bar", "&View"},
    {32877, "&Wing bar", "&View", "&Panel bar", "&View"},
    {59393, "&Status bar", "&View", "&Status bar", "&View"},
    {57650, "", "", "&Cascade", "&Window"},
    {57651, "", "", "&Tile", "&Window"},
    {57649, "", "", "&Arrange Icons", "&Window"},
    {32901, "Table management...", "ORVA", "Tables management...", "ORVA"},
    {32779, "Table configuration...", "ORVA", "Table configuration...", "ORVA"},
    {32805, "Foam management...", "ORVA", "Foam management...", "ORVA"},
    {32796, "Timer tuning...", "ORVA", "Timer tuning", "ORVA"},
    {32803, "Zero Axis...", "ORVA", "Zero Axis...", "ORVA"},
    {32812, "Files...", "ORVA", "Files...", "ORVA"},
    {32869, "", "", "New at end", "Project>Panel management"},
    {32892, "", "", "New before current", "Project>Panel management"},
    {32893, "", "", "New after current", "Project>Panel management"},
    {32870, "", "", "Delete current", "Project>Panel management"},
    {32910, "", "", "Split current", "Project>Panel management"},
    {32909, "", "", "Elliptical wing", "Project>Panel management"},
    {32782, "", "", "Current &Panel Configuration...", "Project"},
    {32781, "", "", "Root profile...", "Project"},
    {32780, "", "", "Tip Profile...", "Project"},
    {32836, "", "", "Spars...", "Project"},
    {32835, "", "", "X leading edge...", "Project"},
    {32814, "", "", "Comments...", "Project"},
    {32807, "", "", "Panel cut...", "Cut"},
    {32811, "", "", "Foam Cut...", "Cut"},
    {32798, "", "", "Block shaping...", "Cut"},
    {32799, "", "", "Test cut...", "Cut"},
    {57667, "Online Help", "&Help", "Online Help", "&Help"},
    {57664, "&About...", "&Help", "&About...", "&Help"},
};

// The accelerator table.
const std::pair<const char*, int> kKeys[] = {
    {"Ctrl+N", 57600}, {"Ctrl+O", 57601},   {"Ctrl+S", 57603},    {"Ctrl+P", 57607},
    {"Ctrl+E", 32813}, {"Ctrl+T", 32782},   {"Ctrl+L", 32836},    {"Ctrl+D", 32807},
    {"Ctrl+G", 32811}, {"Ctrl+B", 32798},   {"Ctrl+M", 32805},    {"Ctrl+Z", 32803},
    {"Ctrl+X", 32791}, {"Ctrl+C", 57634},   {"Ctrl+Ins", 57634},  {"Ctrl+V", 57637},
    {"Shift+Ins", 57637}, {"Shift+Del", 57635}, {"Alt+Backspace", 57643}, {"Esc", 32768},
    {"F1", 57670},     {"F6", 57680},       {"Shift+F6", 57681},
};

std::string joined(const std::vector<std::string_view>& path) {
  std::string text;
  for (std::string_view part : path) text += (text.empty() ? "" : ">") + std::string(part);
  return text;
}

TEST(CommandCatalogue, MenusKeysAndBarsHoldEveryCommandAsStored) {
  const CommandCatalogue catalogue;

  std::vector<int> ids;
  for (const Command& command : catalogue.commands()) ids.push_back(command.id);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "an id is listed twice";

  for (MainMenu which : {MainMenu::NoProject, MainMenu::Project}) {
    const bool project = which == MainMenu::Project;
    const std::vector<MenuItem> items = catalogue.menu(which);
    std::size_t expectedEntries = 0;
    for (const Expected& e : kMenus) {
      const std::string text = project ? e.text129 : e.text128;
      const auto item = std::find_if(items.begin(), items.end(),
                                     [&](const MenuItem& i) { return i.commandId == e.id; });
      if (text.empty()) {
        EXPECT_EQ(item, items.end()) << e.id << " in menu " << static_cast<int>(which);
        continue;
      }
      ++expectedEntries;
      ASSERT_NE(item, items.end()) << e.id << " missing from menu " << static_cast<int>(which);
      EXPECT_EQ(item->text, text) << e.id;
      EXPECT_EQ(joined(item->path), project ? e.path129 : e.path128) << e.id;
      const Command* command = catalogue.find(e.id);
      ASSERT_NE(command, nullptr);
      EXPECT_EQ(project ? command->menu129Text : command->menu128Text, text);
    }
    const auto commandEntries = std::count_if(items.begin(), items.end(),
                                              [](const MenuItem& i) { return !i.isSeparator(); });
    EXPECT_EQ(static_cast<std::size_t>(commandEntries), expectedEntries);

    // Ctrl+P prints: it is shown beside Print and nowhere else.
    for (const MenuItem& item : items) {
      EXPECT_EQ(item.shortcut == "Ctrl+P", item.commandId == 57607) << item.commandId;
      if (item.commandId == 32782) EXPECT_EQ(item.shortcut, "Ctrl+T");
    }
  }
  EXPECT_EQ(catalogue.menuTitles(MainMenu::Project),
            (std::vector<std::string_view>{"&File", "&View", "Project", "Cut", "ORVA", "&Window",
                                           "&Help"}));

  // The project menu's ninth entry is "Comments...": the panel menu follows it.
  std::vector<std::string_view> projectMenu;
  for (const MenuItem& item : catalogue.menu(MainMenu::Project)) {
    if (item.path.empty() || item.path.front() != "Project") continue;
    if (item.path.size() == 1) {
      projectMenu.push_back(item.text);
    } else if (projectMenu.empty() || projectMenu.back() != item.path[1]) {
      projectMenu.push_back(item.path[1]);  // the submenu is one entry
    }
  }
  ASSERT_EQ(projectMenu.size(), 9u);
  EXPECT_EQ(projectMenu[8], "Comments...");

  for (const auto& [key, id] : kKeys) {
    const Command* command = catalogue.commandForKey(key);
    ASSERT_NE(command, nullptr) << key;
    EXPECT_EQ(command->id, id) << key;
  }
  std::size_t keyCount = 0;
  for (const Command& command : catalogue.commands()) keyCount += command.keys.size();
  EXPECT_EQ(keyCount, std::size(kKeys));

  const std::vector<int> mainBar = catalogue.toolBar(ToolBar::Main);
  ASSERT_EQ(mainBar.size(), 26u);
  EXPECT_EQ(mainBar[21], 32793);  // positions 22 and 23: the zoom lists
  EXPECT_EQ(mainBar[22], 32891);
  for (ToolBar bar : {ToolBar::Main, ToolBar::Profile, ToolBar::Wing}) {
    for (int id : catalogue.toolBar(bar)) {
      if (id != 0) EXPECT_NE(catalogue.find(id), nullptr) << id;
    }
  }

  std::vector<std::string_view> wingPopup;
  for (const MenuItem& item : catalogue.popup(PopupMenu::Wing)) {
    if (!item.isSeparator()) wingPopup.push_back(item.text);
  }
  EXPECT_EQ(wingPopup, (std::vector<std::string_view>{
                           "Delete", "Insert new before current", "Insert new after current",
                           "Panel Configuration...", "Spars...", "Comments...", "Panel Cut..."}));
  std::vector<std::string_view> profilePopup;
  for (const MenuItem& item : catalogue.popup(PopupMenu::Profile)) profilePopup.push_back(item.text);
  EXPECT_EQ(profilePopup, (std::vector<std::string_view>{"Panel Configuration...", "Spars...",
                                                         "Comments...", "Panel Cut..."}));

  // Owners and the open-project rule of a few commands of each kind.
  EXPECT_EQ(catalogue.find(57600)->owner, CommandOwner::Application);
  EXPECT_FALSE(catalogue.find(57600)->needsProject);
  EXPECT_EQ(catalogue.find(32869)->owner, CommandOwner::Document);
  EXPECT_TRUE(catalogue.find(32869)->needsProject);
  EXPECT_EQ(catalogue.find(57607)->owner, CommandOwner::View);
  EXPECT_EQ(catalogue.find(1006)->owner, CommandOwner::MainFrame);
  EXPECT_TRUE(catalogue.find(1006)->needsProject);
  EXPECT_EQ(catalogue.find(12345), nullptr);
}

}  // namespace
}  // namespace orva
