#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "model/CT1Doc.h"

namespace orva {

class RecentFileList;
class SettingsStore;

// Which windows the desktop opens on a project it has just opened.
enum class ProjectWindows {
  ProfileMaximised,     // fewer than 2 panels: the profile window alone, maximised
  ProfileAndWingTiled,  // a profile and a wing window, the wing one active, tiled
};

// What an open (or new) request came to.
enum class OpenOutcome {
  Opened,      // the project is open; the previous one (if any) is closed
  Cancelled,   // the user cancelled the save question: nothing changed
  SaveFailed,  // saving the previous project failed or was cancelled: nothing changed
  LoadFailed,  // the file could not be loaded: the previous project stays open as it was
};

struct OpenProjectResult {
  OpenOutcome outcome = OpenOutcome::Cancelled;
  ProjectWindows windows = ProjectWindows::ProfileMaximised;  // when Opened
  bool previousClosed = false;  // a previous project was closed: close its windows

  bool opened() const { return outcome == OpenOutcome::Opened; }
};

// The windows for a project of `panelCount` panels.
ProjectWindows windowsFor(std::size_t panelCount);

// The opening rule: one project at a time. The opener works on the owner's
// current-project slot (empty while no project is open) and on the
// recent-file list, which it writes to the store after every change.
// The name a project is shown by: its file name, or for a project never saved
// the document name (the second of the document strings, "Cutting").
std::string ProjectTitle(const CT1Doc& doc);

class ProjectOpener {
 public:
  ProjectOpener(std::unique_ptr<CT1Doc>& document, ProjectContext& context,
                RecentFileList& recentFiles, const SettingsStore& store);

  // Opens the project file `path`, or a new project when there is none.
  //   1. An open project that is modified is offered for saving: "Save changes
  //      to %1?" (its file name; without one, the document name "Cutting" of
  //      the document strings) with Yes, No and
  //      Cancel. Cancel, or a save that fails or is cancelled, stops here with
  //      nothing changed. No discards its changes — but only once the new
  //      project is there.
  //   2. The file is loaded into a project of its own. When that fails the
  //      reader has told the user why, the file leaves the recent-file list,
  //      and the previous project stays open untouched: a file that will not
  //      load never costs the user the project they had.
  //   3. The new project replaces the previous one; a loaded file goes to the
  //      front of the recent-file list.
  OpenProjectResult OpenProject(const std::optional<std::filesystem::path>& path);

  // Closes the open project after the same save question; false (and the
  // project stays) when the user cancels or the save fails. True when no
  // project is open.
  bool CloseProject();

  // Puts a saved or opened file at the front of the recent-file list.
  void rememberFile(const std::filesystem::path& path);

  // A new project object wired to the opener (its saves go to the list).
  std::unique_ptr<CT1Doc> makeDocument();

 private:
  // The save question of step 1: true when the caller may go on.
  bool offerToSave(OpenOutcome& refusal);

  std::unique_ptr<CT1Doc>& document_;
  ProjectContext& context_;
  RecentFileList& recentFiles_;
  const SettingsStore& store_;
};

}  // namespace orva
