#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppSettings.h"
#include "app/ProjectOpener.h"
#include "app/RecentFileList.h"
#include "config/MachineConfig.h"
#include "driver/ControllerSession.h"
#include "cutting/AuxiliaryCuts.h"
#include "driver/DriverDevice.h"
#include "driver/InterfaceDriver.h"
#include "model/CT1Doc.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

class DirectoriesForm;
class SoundPort;
class StatusPort;
class UserPrompt;

// How a program context is set up beyond the settings store's values.
struct ProgramOptions {
  // An INI file to use instead of the per-user settings store.
  std::optional<std::filesystem::path> settingsFile;
  // Data directory and current table for this run only: used instead of the
  // settings' values and never written back (see SaveSettings).
  std::optional<std::filesystem::path> dataDirectory;
  std::optional<std::string> tableName;
  // Driver backend for this run only, instead of the settings' `Backend`.
  std::optional<std::string> backend;
  // The data directory used when the settings name none; by default the
  // per-user application data directory (defaultDataDirectory()).
  std::optional<std::filesystem::path> defaultDataDirectory;
  // Where relative sound names are looked up after the data directory; by
  // default installedSoundDirectories().
  std::optional<std::vector<std::filesystem::path>> soundDirectories;
  // Makes the driver's device for a backend name; by default makeDriverDevice.
  std::function<std::unique_ptr<DriverDevice>(std::string_view backend)> deviceFactory;
  // Opens a G-code controller's port (the programs install their serial
  // port; tests a scripted peer or a pseudo-terminal). None: the controller
  // session cannot connect.
  ControllerSession::TransportFactory transportFactory;
};

// Files whose due write failed at a save point, and whether the settings
// store could be written. Writing goes on after a failure; nothing is shown,
// so that the caller can tell the user in its own way.
struct SaveReport {
  bool settingsWritten = true;
  std::vector<std::filesystem::path> unsavedFiles;
  bool ok() const { return settingsWritten && unsavedFiles.empty(); }
};

// The program's single pieces in one object: the settings, the interface
// driver, the machine configuration (table list, table, foams), the move
// planner, the project context, the cut environment and its job, and the
// current project. Owned by the application and passed by reference; two
// contexts can live side by side (nothing here is global).
//
// The user-facing ports are the caller's: the desktop program passes its
// dialogs, the command-line tool its terminal ports, tests fakes.
//
// Life cycle: construct, start() (the start-up steps that need no window),
// use, shutdown() (the exit sequence). Destroying a context without
// shutdown() writes nothing (the driver is still closed).
class ProgramContext {
 public:
  // Runs `dialog` modally on the form; returns when the dialog has closed.
  using DirectoriesDialogRunner = std::function<void(DirectoriesForm&)>;

  ProgramContext(UserPrompt& prompt, SoundPort& sound, StatusPort& status,
                 ProgramOptions options = {});
  ~ProgramContext();
  ProgramContext(const ProgramContext&) = delete;
  ProgramContext& operator=(const ProgramContext&) = delete;

  // Start-up: LoadSettings, open the driver (with the simulated machine set
  // to the current table), reset the move planner to the table's zero
  // positions, and create the new project.
  void start();
  // Exit: SaveSettings, then the driver is closed.
  SaveReport shutdown();

  // After start(): why the run-only options cannot be used, or nothing. A
  // settings file or data directory that does not exist, or a table that the
  // table list does not hold, is refused rather than replaced by defaults
  // (the message names it; for a table it lists the tables there are). Nothing
  // has been written when it fails, so the caller can stop cleanly.
  std::optional<std::string> checkOptions() const;

  // Reads the settings and the data of the current table:
  //   1. run-time values: "Cut to File" and "Step Details" off, "Block
  //      centered" on, cutSpeed 0 and no current foam;
  //   2. every settings value with its default; an absent or empty data
  //      directory is the per-user data directory, created when missing;
  //      the recent-file list;
  //   3. the current table's name to the status bar;
  //   4. ReadTableNames, LoadFoams (the table's foam file, looking for
  //      TypeBloc), OpenTableConfig with the built-in defaults.
  // Missing files leave their data marked modified, so they are created at
  // exit. Nothing is written here.
  void LoadSettings();

  // Writes the settings: TypeBloc from the current foam, CurrentTable from
  // the current table, and every other value but Port; then the current
  // table's foam file, table file and the table list "TableNames.bd" in the
  // data directory in use, each only when its data is marked modified.
  //
  // Run-only overrides are not written: RepIns keeps the settings' value
  // (unless the user chose another directory in this run), and CurrentTable
  // and TypeBloc keep the values read at start while the overridden data
  // directory is in use, or while the overridden table is still current.
  SaveReport SaveSettings();

  // The "Files..." command: runs the directories and sound dialog. After
  // "Done", when the data directory changed (exact comparison), the table
  // list, foams and table configuration marked modified are written to the
  // old directory, then the list, the foams (looking for the current foam)
  // and the configuration (built-in defaults for what is missing) are read
  // from the new one. Returns what could not be written to the old
  // directory; a dialog closed without "Done" changes nothing.
  SaveReport EditFileSettings(const DirectoriesDialogRunner& runDialog);

  // Brings the parts that copy settings values up to date: the project
  // context's and the cut environment's directories, and the end-of-cut
  // sound resolved against the data directory and the shipped sounds.
  // Called by LoadSettings and EditFileSettings; call it after changing
  // `settings` directly.
  void applySettings();

  // Gives the simulated machine the current table's timer period, steps per
  // mm and backlash. Call after anything that changes the table
  // configuration or the current table (the table dialogs); does nothing for
  // another backend.
  void syncMachineToTable();

  // The table dialogs' hooks: make a table current (its files loaded, the
  // list marked for saving, the status bar told, the simulated machine set)
  // and reset the planner after a configuration change.
  bool makeTableCurrent(const std::string& name);
  void resetPlanner();

  // The simulated machine's pacing: machine time runs `speedup` times faster
  // than the clock (1, 10, 100, ...), 0 runs every request at once. Kept with
  // the table's other machine values and remembered in the settings store
  // (key "SimulationSpeedup" of the program's group) for the next run of the
  // desktop program. False (nothing changes) for another backend or a value
  // that is negative or not finite.
  bool setSimulationSpeedup(double speedup);
  // The desktop program's start-up: the pacing remembered by
  // setSimulationSpeedup, when there is one (the command-line tool keeps
  // its own choice and does not call it).
  void restoreSimulationSpeedup();
  // The simulated machine's pacing now; nothing for another backend.
  std::optional<double> simulationSpeedup() const;

  // A fresh new project replaces the current one, without a question.
  CT1Doc& newProject();

  // The opening rule (New, Open, the recent-file list, the command line):
  // see ProjectOpener::OpenProject. The previous project is offered for
  // saving, and kept when the new one cannot be had.
  OpenProjectResult OpenProject(const std::optional<std::filesystem::path>& path);
  // Closes the current project after offering to save it; false when it
  // stays open.
  bool CloseProject();

  // The directories where relative sound names are looked up after the data
  // directory.
  const std::vector<std::filesystem::path>& soundDirectories() const { return soundDirectories_; }
  // The store behind `settings`; the desktop program keeps its recent-file
  // list and tool-bar state there too.
  const SettingsStore& settingsStore() const { return store_; }

  // The one connection to the table's G-code controller, shared by the
  // machine panel, the manual dialogs and the cut job.
  ControllerSession& controllerSession() { return controllerSession_; }
  const ControllerSession& controllerSession() const { return controllerSession_; }

  UserPrompt& prompt;
  SoundPort& sound;
  StatusPort& status;

 private:
  ProgramOptions options_;
  SettingsStore store_;
  std::filesystem::path fallbackDataDirectory_;
  std::vector<std::filesystem::path> soundDirectories_;
  // Values read at start-up that a run-only override must not change.
  AppSettings readAtStart_;
  ControllerSession controllerSession_;

 public:
  // Declared in construction order: the settings are read before the driver
  // is made for their backend, the driver before the parts that use it.
  AppSettings settings;
  InterfaceDriver driver;
  MachineConfig machine;
  MovePlanner planner;
  ProjectContext project;
  CutEnvironment cut;
  CutJob job;  // the one cut of the program: every cut path starts it here
  AuxiliaryCutSession auxiliaryCuts;  // choices remembered while the program runs
  std::unique_ptr<CT1Doc> document;   // the current project; none while no project is open
  RecentFileList recentFiles;         // kept in the settings store, written on every change

 private:
  ProjectOpener opener_{document, project, recentFiles, store_};

  void useDataDirectorySetting();
  void ensureDefaultDataDirectory() const;
};

}  // namespace orva
