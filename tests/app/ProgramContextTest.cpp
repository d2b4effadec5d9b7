#include <gtest/gtest.h>

#include <QSettings>

#include "app/DirectoriesForm.h"
#include "app/ProgramContext.h"
#include "app/RecentFileList.h"
#include "common/ScriptedPrompt.h"
#include "driver/SimulatedMachine.h"
#include "model/PanelOperations.h"
#include "support/Golden.h"
#include "support/PortFakes.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using test::fileNames;
using test::lines;
using test::readFile;
using test::RecordingSound;
using test::RecordingStatus;
using test::TempDir;
using test::writeFile;

// One run of the program against a settings file and a per-user data
// directory inside a temporary directory, started unless told.
struct Session {
  explicit Session(const TempDir& dir, ProgramOptions options = {}, bool start = true)
      : context(prompt, sound, status, withTestPaths(dir, std::move(options))) {
    sound.onlyExistingFiles = true;
    if (start) context.start();
  }

  static ProgramOptions withTestPaths(const TempDir& dir, ProgramOptions options) {
    options.settingsFile = dir / "settings.ini";
    if (!options.defaultDataDirectory) options.defaultDataDirectory = dir / "userdata";
    options.soundDirectories = std::vector<fs::path>{dir / "shipped"};
    return options;
  }

  ScriptedPrompt prompt;
  RecordingSound sound;
  RecordingStatus status;
  ProgramContext context;
};

// The values of the settings group as stored, key by key.
std::map<std::string, std::string> storedValues(const fs::path& ini) {
  QSettings store(QString::fromStdString(ini.string()), QSettings::IniFormat);
  store.beginGroup("CncConfig");
  std::map<std::string, std::string> values;
  for (const QString& key : store.childKeys()) {
    values[key.toStdString()] = store.value(key).toString().toStdString();
  }
  return values;
}

void firstRun(const TempDir& dir) {
  Session run(dir);
  ASSERT_TRUE(run.context.shutdown().ok());
}

std::string joined(const auto& items, const char* separator = " ") {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : separator) + std::string(item);
  return text;
}

// A run as the user sees it: the settings in use and the parts that copy
// them, the machine's data, pane 1's texts, the messages and the driver.
std::string runState(const std::string& step, Session& run) {
  const ProgramContext& c = run.context;
  const AppSettings& s = c.settings;
  const MachineConfig& m = c.machine;
  return "> " + step + "\n  settings sound " + s.SonFinDec + " | profiles " + s.RepProfil +
         " | projects " + s.RepProjet + " | data " + s.RepIns + " | port " +
         std::to_string(s.Port) + " | foam " + s.TypeBloc + " | table " + s.CurrentTable +
         "\n  copies sound " + c.cut.endOfCutSound + " | profiles " + c.project.profileDirectory +
         " | projects " + c.project.projectDirectory + " | scripts " + c.cut.projectDirectory +
         "\n  machine data " + m.dataDirectory.string() + " | table " + m.currentTable +
         " | foam " + m.foams.CurrentFoamName() + " | entraxe " + std::to_string(m.table.Entraxe) +
         (m.table.tableModified ? " modified" : "") + " | tables " +
         joined(m.tables.listedNames()) + "\n  status " + joined(run.status.texts) +
         "\n  messages " + joined(run.prompt.messages(), " / ") + "\n  driver " +
         (c.driver.isOpen() ? "open" : "closed") + ", panels " +
         std::to_string(c.document ? c.document->panels.size() : 0) + "\n";
}

// What is on disk: the files of each directory, the tables' distance and
// list, and the stored settings.
std::string diskState(const TempDir& dir, std::initializer_list<const char*> directories) {
  std::string text;
  for (const char* name : directories) {
    const fs::path d = dir / name;
    if (!fs::is_directory(d)) {
      text += "  " + std::string(name) + " missing\n";
      continue;
    }
    text += "  " + std::string(name) + ": " + joined(fileNames(d)) + "\n";
    for (const std::string& file : fileNames(d)) {
      if (file == "TableNames.bd")
        text += "    " + file + " " + joined(lines(readFile(d / file)), "|") + "\n";
      if (!file.ends_with("_table.bd")) continue;
      for (const std::string& line : lines(readFile(d / file))) {
        if (line.rfind("Entraxe ", 0) == 0) text += "    " + file + " " + line + "\n";
      }
    }
  }
  if (!fs::exists(dir / "settings.ini")) return text + "  no settings file\n";
  text += "  stored";
  for (const auto& [key, value] : storedValues(dir / "settings.ini"))
    text += " " + key + "=" + value;
  return text + "\n";
}

// The dump with the test's directory written $DIR.
void expectRuns(const char* reference, const TempDir& dir, std::string dump) {
  const std::string root = dir.path().string();
  for (std::size_t at = dump.find(root); at != std::string::npos; at = dump.find(root, at)) {
    dump.replace(at, root.size(), "$DIR");
  }
  test::expectGolden(std::string("app/runs/") + reference, dump);
}

// The first run uses the built-in table and the per-user data directory
// (not "/"), which is there for every save point but stays empty until the
// exit writes the default table's files (their contents are checked where
// they are written) and every setting but the port.
TEST(ProgramContext, FirstRunWithEmptySettingsUsesDefaultsAndCreatesTheDataFilesAtExit) {
  TempDir dir;
  Session run(dir);
  std::string dump = runState("started", run) + diskState(dir, {"userdata"});
  EXPECT_TRUE(run.context.shutdown().ok());
  expectRuns("first-run.txt", dir, dump + runState("exit", run) + diskState(dir, {"userdata"}));
}

// Choosing another foam changes the setting, not the foam file (no rewrite,
// so no .bak); a changed table is rewritten with a backup.
TEST(ProgramContext, SecondRunReadsTheFilesAndRewritesOnlyWhatChanged) {
  TempDir dir;
  firstRun(dir);
  std::string dump;
  {
    Session run(dir);
    ASSERT_TRUE(run.context.machine.foams.SelectFoam("Dépron"));
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  dump += "> foam chosen\n" + diskState(dir, {"userdata"});
  {
    Session run(dir);
    dump += runState("third run", run);
    run.context.machine.table.Entraxe = 800;
    run.context.machine.table.tableModified = true;
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  expectRuns("second-run.txt", dir, dump + "> table changed\n" + diskState(dir, {"userdata"}));
}

TEST(ProgramContext, ExplicitRootDataDirectoryIsKept) {
  TempDir dir;
  writeFile(dir / "settings.ini", "[CncConfig]\nRepIns=/\n");
  Session run(dir, {}, false);
  run.context.LoadSettings();  // reading only: nothing is written to "/"
  EXPECT_EQ(run.context.settings.RepIns, "/");
  EXPECT_EQ(run.context.machine.dataDirectory, fs::path("/"));
  EXPECT_FALSE(fs::exists(dir / "userdata"));
}

SaveReport editFiles(ProgramContext& context, const std::function<void(DirectoriesForm&)>& edit) {
  return context.EditFileSettings([&](DirectoriesForm& form) {
    edit(form);
    form.done();
  });
}

// Pending table changes stay pending; the parts that copy settings follow at once.
TEST(ProgramContext, ChangingOnlyTheSoundOrADialogDirectoryTouchesNoDataFile) {
  TempDir dir;
  firstRun(dir);
  const std::string tableBefore = readFile(dir / "userdata" / "Default_table.bd");
  writeFile(dir / "shipped" / "Gong.wav", "RIFF");

  Session run(dir);
  ProgramContext& context = run.context;
  context.machine.table.Entraxe = 900;
  context.machine.table.tableModified = true;
  context.machine.foams.foamModified = true;
  context.machine.tables.namesModified = true;

  const SaveReport report = editFiles(context, [](DirectoriesForm& form) {
    form.setText(DirectoriesField::FinishedCuttingSound, "Gong.wav");
    form.setText(DirectoriesField::ProfileDirectory, "/data/profils/");
    form.setText(DirectoriesField::ProjectDirectory, "/data/projets/");
  });
  EXPECT_TRUE(report.ok());
  EXPECT_EQ(readFile(dir / "userdata" / "Default_table.bd"), tableBefore);
  expectRuns("sound-and-directories.txt", dir,
             runState("sound and directories changed", run) + diskState(dir, {"userdata"}));
}

// Pending changes go to the old directory; the new one is used with
// built-in values (other table slots kept) and stays empty until exit; back
// in the old directory its files are read.
TEST(ProgramContext, ChangingTheDataDirectoryToAnEmptyOneSavesToTheOldAndUsesBuiltIns) {
  TempDir dir;
  firstRun(dir);
  const fs::path oldData = dir / "userdata";
  const fs::path newData = dir / "atelier";
  fs::create_directories(newData);

  Session run(dir);
  ProgramContext& context = run.context;
  context.machine.table.Entraxe = 800;
  context.machine.table.tableModified = true;
  context.machine.tables.tableNames[1] = "Petite";
  context.machine.tables.namesModified = true;

  ASSERT_TRUE(editFiles(context, [&](DirectoriesForm& form) {
                form.setText(DirectoriesField::InstallationDirectory, newData.string() + "/");
              }).ok());
  std::string dump =
      runState("data directory atelier", run) + diskState(dir, {"userdata", "atelier"});
  ASSERT_TRUE(context.shutdown().ok());
  dump += "> exit\n" + diskState(dir, {"userdata", "atelier"});

  Session next(dir);
  ASSERT_TRUE(editFiles(next.context, [&](DirectoriesForm& form) {
                form.setText(DirectoriesField::InstallationDirectory, oldData.string());
              }).ok());
  expectRuns("data-directory.txt", dir, dump + runState("back to userdata", next));
}

// The data go to the directory in use, the settings keep their values; a
// table made current during a run with only the table given is kept.
TEST(ProgramContext, RunOnlyDataDirectoryAndTableAreNotWrittenBack) {
  TempDir dir;
  fs::create_directories(dir / "scratch");
  writeFile(dir / "settings.ini", "[CncConfig]\nRepIns=" + (dir / "userdata").string() +
                                      "\nCurrentTable=Default\nTypeBloc=Dépron\n");
  std::string dump;
  {
    ProgramOptions options;
    options.dataDirectory = dir / "scratch";
    options.tableName = "Essai";
    Session run(dir, options);
    dump += runState("run on scratch, table Essai", run);
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  dump += "> exit\n" + diskState(dir, {"scratch"});
  {
    ProgramOptions options;
    options.tableName = "Essai";
    Session run(dir, options);
    EXPECT_TRUE(run.context.makeTableCurrent("Atelier"));
    dump += runState("run on table Essai, Atelier made current", run);
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  expectRuns("run-only.txt", dir, dump + "> exit\n" + diskState(dir, {}));
}

TEST(ProgramContext, SimulatedMachineFollowsTheCurrentTable) {
  TempDir dir;
  const fs::path data = dir / "userdata";
  // 96 steps per revolution on a 0.5 mm screw: 192 steps per mm.
  writeFile(data / "Rapide_table.bd",
            "Tempo 0.25\nXNtour 96\nXPas 0.5\nXPasInvSens 4\nYNtour 200\nYPas 2.0\n");
  // A hand-edited table the machine cannot run with.
  writeFile(data / "Cassee_table.bd", "Tempo 0\nXNtour 0\nXPas 1.0\nYPasInvSens -3\n");

  Session run(dir);
  ProgramContext& context = run.context;
  auto* machine = dynamic_cast<SimulatedMachine*>(&context.driver.device());
  ASSERT_NE(machine, nullptr);
  EXPECT_DOUBLE_EQ(machine->params().xStepsPerMm, 48.0);  // built-in table: 48 / 1.0

  const auto params = [&] {
    const SimulatedMachineParams p = machine->params();
    return std::tuple(p.tempoMs, p.xStepsPerMm, p.yStepsPerMm, p.xBacklashSteps, p.yBacklashSteps);
  };
  ASSERT_TRUE(context.makeTableCurrent("Rapide"));
  EXPECT_EQ(params(), std::tuple(0.25, 192.0, 100.0, 4, 0));
  // Unusable timer and X steps are kept, Y is untouched by the file, a
  // negative backlash counts as none.
  ASSERT_TRUE(context.makeTableCurrent("Cassee"));
  EXPECT_EQ(params(), std::tuple(0.25, 192.0, 100.0, 4, 0));
}

TEST(ProgramContext, BackendComesFromTheSettingsAndAnUnknownOneCannotBeOpened) {
  TempDir dir;
  writeFile(dir / "settings.ini", "[CncConfig]\nBackend=parport\n");
  {
    Session run(dir);
    EXPECT_FALSE(run.context.driver.isOpen());
    EXPECT_EQ(dynamic_cast<SimulatedMachine*>(&run.context.driver.device()), nullptr);
    EXPECT_EQ(run.prompt.messages(), std::vector<std::string>{"Error in loading driver"});
    EXPECT_TRUE(run.context.shutdown().ok());  // start-up and exit go on
  }
  EXPECT_EQ(storedValues(dir / "settings.ini")["Backend"], "parport");
}

// The data directory is a file: no data file can be written in it, and a
// per-user one inside it cannot be created at start-up.
TEST(ProgramContext, UnwritableDataDirectoriesAreReported) {
  TempDir dir;
  writeFile(dir / "blocked", "");
  {
    ProgramOptions options;
    options.defaultDataDirectory = dir / "blocked" / "data";
    Session run(dir, options);
    const std::vector<std::string> messages = run.prompt.messages();
    ASSERT_FALSE(messages.empty());
    const std::string lead =
        "Could not create the directory " + (dir / "blocked" / "data").string() + ": ";
    EXPECT_EQ(messages[0].rfind(lead, 0), 0u) << messages[0];
  }
  writeFile(dir / "settings.ini", "[CncConfig]\nRepIns=" + (dir / "blocked").string() + "\n");
  Session run(dir);
  const SaveReport report = run.context.shutdown();
  EXPECT_TRUE(report.settingsWritten);
  EXPECT_FALSE(report.ok());
  const std::vector<fs::path> expected = {dir / "blocked" / "Default_foam.bd",
                                          dir / "blocked" / "Default_table.bd",
                                          dir / "blocked" / "TableNames.bd"};
  EXPECT_EQ(report.unsavedFiles, expected);
}

TEST(ProgramContext, OpeningAProjectAsksToSaveTheOpenOneAndNeverLosesIt) {
  TempDir dir;
  Session run(dir);
  ProgramContext& context = run.context;
  // A two-panel project on disk.
  NewPanelAtEnd(*context.document);
  const fs::path two = dir / "two.cnc";
  run.prompt.queueFile(two.string());
  ASSERT_TRUE(context.document->SaveAs());

  // New: one panel, its profile window alone.
  OpenProjectResult result = context.OpenProject(std::nullopt);
  ASSERT_TRUE(result.opened());
  EXPECT_EQ(result.windows, ProjectWindows::ProfileMaximised);
  EXPECT_EQ(context.document->panels.size(), 1u);

  context.document->SetModifiedFlag(true);
  const CT1Doc* open = context.document.get();
  run.prompt.queueAnswer(Answer::Cancel);
  EXPECT_EQ(context.OpenProject(two).outcome, OpenOutcome::Cancelled);
  EXPECT_EQ(context.document.get(), open);

  // "No", then a file that will not load: the modified project stays.
  run.prompt.queueAnswer(Answer::No);
  EXPECT_EQ(context.OpenProject(dir / "missing.cnc").outcome, OpenOutcome::LoadFailed);
  EXPECT_EQ(context.document.get(), open);
  EXPECT_TRUE(open->modified);

  // "No" discards it; two panels open with a wing window, tiled.
  run.prompt.queueAnswer(Answer::No);
  result = context.OpenProject(two);
  ASSERT_TRUE(result.opened());
  EXPECT_TRUE(result.previousClosed);
  EXPECT_EQ(result.windows, ProjectWindows::ProfileAndWingTiled);
  EXPECT_EQ(context.document->panels.size(), 2u);
  ASSERT_FALSE(context.recentFiles.files().empty());
  EXPECT_EQ(context.recentFiles.files().front(), two.string());

  // "Yes" saves the open project before the new one replaces it.
  NewPanelAtEnd(*context.document);
  run.prompt.queueAnswer(Answer::Yes);
  ASSERT_TRUE(context.OpenProject(std::nullopt).opened());
  EXPECT_EQ(run.prompt.pendingAnswers(), 0u);
  run.prompt.queueAnswer(Answer::No);
  ASSERT_TRUE(context.OpenProject(two).opened());
  EXPECT_EQ(context.document->panels.size(), 3u);
}

TEST(RecentFileList, KeepsTheFourMostRecentOnceEachThroughTheStore) {
  TempDir dir;
  const SettingsStore store(dir / "settings.ini");
  RecentFileList list;
  for (const char* name : {"a.cnc", "b.cnc", "c.cnc", "d.cnc", "e.cnc"}) list.add(dir / name);
  list.add(dir / "." / "c.cnc");
  const std::vector<std::string> expected = {(dir / "c.cnc").string(), (dir / "e.cnc").string(),
                                             (dir / "d.cnc").string(), (dir / "b.cnc").string()};
  EXPECT_EQ(list.files(), expected);
  ASSERT_TRUE(list.save(store));
  RecentFileList again;
  again.load(store);
  EXPECT_EQ(again.files(), expected);
}

}  // namespace
}  // namespace orva
