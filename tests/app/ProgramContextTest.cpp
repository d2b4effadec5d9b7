#include <gtest/gtest.h>

#include <QSettings>
#include <thread>

#include "app/DirectoriesForm.h"
#include "app/ProgramContext.h"
#include "app/RecentFileList.h"
#include "common/ScriptedPrompt.h"
#include "cutting/PanelCutPlanner.h"
#include "driver/SimulatedMachine.h"
#include "model/PanelOperations.h"
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

const std::set<std::string> kDefaultTableFiles = {"TableNames.bd", "Default_table.bd",
                                                  "Default_foam.bd"};

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

TEST(ProgramContext, FirstRunWithEmptySettingsUsesDefaultsAndCreatesTheDataFilesAtExit) {
  TempDir dir;
  const fs::path data = dir / "userdata";
  Session run(dir);
  ProgramContext& context = run.context;

  const AppSettings& s = context.settings;
  // The data directory is not "/": the per-user one.
  EXPECT_EQ(std::tie(s.SonFinDec, s.RepProfil, s.RepProjet, s.RepIns, s.Port),
            std::tuple("Bravo.wav", "", "", data.string(), 0));
  EXPECT_EQ(std::tuple(context.machine.dataDirectory, context.machine.currentTable,
                       context.machine.foams.CurrentFoamName(), context.machine.table.Entraxe),
            std::tuple(data, "Default", "Poly expansé", 1500));  // built-in table
  EXPECT_EQ(context.machine.tables.listedNames(), std::vector<std::string>{"Default"});
  EXPECT_EQ(run.status.texts, std::vector<std::string>{"Default"});
  EXPECT_TRUE(context.driver.isOpen());
  EXPECT_TRUE(run.prompt.messages().empty());
  ASSERT_NE(context.document, nullptr);
  EXPECT_EQ(context.document->panels.size(), 1U);
  // The directory is there for every save point, but nothing is written before exit.
  EXPECT_TRUE(fs::is_directory(data));
  EXPECT_TRUE(fileNames(data).empty());
  EXPECT_FALSE(fs::exists(dir / "settings.ini"));

  EXPECT_TRUE(context.shutdown().ok());
  EXPECT_FALSE(context.driver.isOpen());
  // Their contents (built-in table, foams, list) are checked where they are written.
  EXPECT_EQ(fileNames(data), kDefaultTableFiles);

  const std::map<std::string, std::string> expected = {{"SonFinDec", "Bravo.wav"},
                                                       {"RepProfil", ""},
                                                       {"RepProjet", ""},
                                                       {"RepIns", data.string()},
                                                       {"TypeBloc", "Poly expansé"},
                                                       {"CurrentTable", "Default"},
                                                       {"Backend", "simulated"}};
  EXPECT_EQ(storedValues(dir / "settings.ini"), expected);  // every value but Port
}

TEST(ProgramContext, SecondRunReadsTheFilesAndRewritesOnlyWhatChanged) {
  TempDir dir;
  firstRun(dir);
  const fs::path data = dir / "userdata";

  {
    Session run(dir);
    // Choosing another foam changes the setting, not the foam file.
    ASSERT_TRUE(run.context.machine.foams.SelectFoam("Dépron"));
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  EXPECT_EQ(fileNames(data), kDefaultTableFiles);  // no rewrite, so no .bak
  EXPECT_EQ(storedValues(dir / "settings.ini")["TypeBloc"], "Dépron");

  {
    Session run(dir);
    EXPECT_EQ(run.context.machine.foams.CurrentFoamName(), "Dépron");
    run.context.machine.table.Entraxe = 800;
    run.context.machine.table.tableModified = true;
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  std::set<std::string> withBackup = kDefaultTableFiles;
  withBackup.insert("Default_table.bd.bak");
  EXPECT_EQ(fileNames(data), withBackup);
  EXPECT_TRUE(test::contains(readFile(data / "Default_table.bd"), "Entraxe 800\n"));
}

TEST(ProgramContext, TypeBlocNamingNoFoamLeavesNoCurrentFoam) {
  TempDir dir;
  firstRun(dir);
  writeFile(dir / "settings.ini", "[CncConfig]\nTypeBloc=Styrodur 3035\n");

  Session run(dir);
  const FoamDatabase& foams = run.context.machine.foams;
  EXPECT_EQ(foams.currentRecord(), nullptr);
  // The file's foams are there.
  EXPECT_EQ(std::tuple(foams.CurrentFoamName(), foams.records.size(), foams.cutSpeed),
            std::tuple("", 3U, 0.0));
}

TEST(ProgramContext, ChangedPortIsLostAtTheNextStart) {
  TempDir dir;
  writeFile(dir / "settings.ini", "[CncConfig]\nPort=2\n");
  {
    Session run(dir);
    EXPECT_EQ(run.context.settings.Port, 2);
    run.context.settings.Port = 3;  // chosen in the table configuration dialog
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  EXPECT_EQ(storedValues(dir / "settings.ini")["Port"], "2");
  Session next(dir);
  EXPECT_EQ(next.context.settings.Port, 2);
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

TEST(ProgramContext, ChangingOnlyTheSoundOrADialogDirectoryTouchesNoDataFile) {
  TempDir dir;
  firstRun(dir);
  const fs::path data = dir / "userdata";
  const std::string tableBefore = readFile(data / "Default_table.bd");
  writeFile(dir / "shipped" / "Gong.wav", "RIFF");

  Session run(dir);
  ProgramContext& context = run.context;
  context.machine.table.Entraxe = 900;  // pending changes stay pending
  context.machine.table.tableModified = true;
  context.machine.foams.foamModified = true;
  context.machine.tables.namesModified = true;

  const SaveReport report = editFiles(context, [](DirectoriesForm& form) {
    form.setText(DirectoriesField::FinishedCuttingSound, "Gong.wav");
    form.setText(DirectoriesField::ProfileDirectory, "/data/profils/");
    form.setText(DirectoriesField::ProjectDirectory, "/data/projets/");
  });
  EXPECT_TRUE(report.ok());
  EXPECT_EQ(fileNames(data), kDefaultTableFiles);
  EXPECT_EQ(readFile(data / "Default_table.bd"), tableBefore);
  EXPECT_EQ(std::tuple(context.machine.table.Entraxe, context.machine.table.tableModified),
            std::tuple(900, true));

  // The parts that copy settings follow at once.
  EXPECT_EQ(std::tie(context.settings.SonFinDec, context.cut.endOfCutSound,
                     context.project.profileDirectory, context.project.projectDirectory,
                     context.cut.projectDirectory),
            std::tuple("Gong.wav", (dir / "shipped" / "Gong.wav").string(), "/data/profils",
                       "/data/projets", "/data/projets"));
}

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

  // Pending changes went to the old directory.
  EXPECT_TRUE(test::contains(readFile(oldData / "Default_table.bd"), "Entraxe 800\n"));
  EXPECT_EQ(lines(readFile(oldData / "TableNames.bd"))[1], "Petite");
  // The new directory is used, with built-in values, and stays empty until exit.
  EXPECT_EQ(std::tuple(context.settings.RepIns, context.machine.dataDirectory,
                       context.machine.table.Entraxe, context.machine.foams.CurrentFoamName()),
            std::tuple(newData.string(), newData, 1500, "Poly expansé"));
  // Other slots are kept.
  EXPECT_EQ(std::tie(context.machine.tables.tableNames[0], context.machine.tables.tableNames[1]),
            std::tuple("Default", "Petite"));
  EXPECT_TRUE(fileNames(newData).empty());

  ASSERT_TRUE(context.shutdown().ok());
  EXPECT_EQ(fileNames(newData), kDefaultTableFiles);
  EXPECT_TRUE(test::contains(readFile(newData / "Default_table.bd"), "Entraxe 1500\n"));
  EXPECT_EQ(storedValues(dir / "settings.ini")["RepIns"], newData.string());

  // Back to the old directory: its files are read.
  Session next(dir);
  ASSERT_TRUE(editFiles(next.context, [&](DirectoriesForm& form) {
                form.setText(DirectoriesField::InstallationDirectory, oldData.string());
              }).ok());
  EXPECT_EQ(next.context.machine.table.Entraxe, 800);
  EXPECT_FALSE(next.context.machine.table.tableModified);
  EXPECT_EQ(next.context.machine.tables.listedNames(),
            (std::vector<std::string>{"Default", "Petite"}));
}

TEST(ProgramContext, RunOnlyDataDirectoryAndTableAreNotWrittenBack) {
  TempDir dir;
  const fs::path scratch = dir / "scratch";
  fs::create_directories(scratch);
  writeFile(dir / "settings.ini", "[CncConfig]\nRepIns=" + (dir / "userdata").string() +
                                      "\nCurrentTable=Default\nTypeBloc=Dépron\n");
  {
    ProgramOptions options;
    options.dataDirectory = scratch;
    options.tableName = "Essai";
    Session run(dir, options);
    EXPECT_EQ(std::tie(run.context.machine.dataDirectory, run.context.machine.currentTable),
              std::tuple(scratch, "Essai"));
    EXPECT_EQ(run.status.texts, std::vector<std::string>{"Essai"});
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  // The data went to the directory in use, the settings kept their values.
  EXPECT_TRUE(fs::exists(scratch / "Essai_table.bd"));
  EXPECT_TRUE(fs::exists(scratch / "Essai_foam.bd"));
  auto stored = storedValues(dir / "settings.ini");
  EXPECT_EQ(std::tie(stored["RepIns"], stored["CurrentTable"], stored["TypeBloc"]),
            std::tuple((dir / "userdata").string(), "Default", "Dépron"));

  // A table made current during a run with only the table given is kept.
  {
    ProgramOptions options;
    options.tableName = "Essai";
    Session run(dir, options);
    EXPECT_TRUE(run.context.makeTableCurrent("Atelier"));
    EXPECT_EQ(run.status.texts.back(), "Atelier");
    EXPECT_TRUE(run.context.shutdown().ok());
  }
  stored = storedValues(dir / "settings.ini");
  EXPECT_EQ(std::tie(stored["CurrentTable"], stored["RepIns"]),
            std::tuple("Atelier", (dir / "userdata").string()));
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

// The cut started from the program context is the context's job: its Cancel
// reaches it while it runs, and the wire comes home.
TEST(ProgramContext, CancelReachesAPanelCutStartedThroughTheContext) {
  TempDir dir;
  Session run(dir);
  auto* machine = dynamic_cast<SimulatedMachine*>(&run.context.driver.device());
  ASSERT_NE(machine, nullptr);
  SimulatedMachineParams params = machine->params();
  params.realTimeSpeedup = 100.0;  // long enough to be cancelled while it runs
  machine->setParams(params);
  run.context.job.setPollInterval(std::chrono::milliseconds(2));
  run.context.machine.foams.cutSpeed = 4.0;

  run.prompt.queueAnswer(Answer::Ok);
  PanelCutPlanner cut(*run.context.document, run.context.cut);
  ASSERT_TRUE(cut.Start(run.context.job)) << run.context.planner.lastError();
  EXPECT_TRUE(run.context.job.running());
  EXPECT_TRUE(run.context.planner.busy());
  // Into the cut (a cancel during the heat check would end it before any
  // move): the first move has run and the wire is on its way.
  while (run.context.job.running() && run.context.job.progress().moveIndex < 1) {
    run.context.job.service();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(run.context.job.running());
  run.context.job.cancel();
  EXPECT_FALSE(run.context.job.runToEnd());

  EXPECT_EQ(run.context.job.result(), CutJobResult::Cancelled);
  EXPECT_GE(run.context.job.lastCutMovesSent(), 1u);
  const MachineSnapshot home = machine->snapshot();
  EXPECT_EQ(std::tuple(home[Axis::XG].actualSteps, home[Axis::YG].actualSteps,
                       home[Axis::XD].actualSteps, home[Axis::YD].actualSteps),
            std::tuple(0, 0, 0, 0));
  EXPECT_FALSE(machine->isStarted());
  EXPECT_TRUE(run.prompt.messages().empty());
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
