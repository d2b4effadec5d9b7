#include "app/ProgramContext.h"

#include <QSettings>
#include <cmath>
#include <system_error>
#include <utility>

#include "app/AppPaths.h"
#include "app/DirectoriesForm.h"
#include "app/DriverBackend.h"
#include "common/Messages.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "common/UserPrompt.h"
#include "config/TableList.h"

namespace orva {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTableListFile = "TableNames.bd";

std::unique_ptr<DriverDevice> makeDevice(const ProgramOptions& options,
                                         const AppSettings& settings) {
  const std::string backend = options.backend.value_or(settings.Backend);
  if (options.deviceFactory) return options.deviceFactory(backend);
  return makeDriverDevice(backend);
}

SettingsStore storeFor(const ProgramOptions& options) {
  if (options.settingsFile) return SettingsStore(*options.settingsFile);
  return SettingsStore();
}

// Writes the table list, the foams and the table configuration of the
// current table to `directory`, each only when marked modified, in the
// order given; records the files whose write failed.
enum class DataFile { List, Foams, Table };

void saveData(MachineConfig& machine, const fs::path& directory,
              std::initializer_list<DataFile> order, SaveReport& report) {
  const std::string& table = machine.currentTable;
  // An unusable table name names no file: its data stays in memory only.
  const bool tableFiles = isSafeTableName(table);
  for (DataFile file : order) {
    switch (file) {
      case DataFile::List:
        if (!machine.tables.SaveTableNames(directory, kTableListFile)) {
          report.unsavedFiles.push_back(directory / std::string(kTableListFile));
        }
        break;
      case DataFile::Foams:
        if (tableFiles && !machine.foams.SaveFoams(directory, FoamFileName(table))) {
          report.unsavedFiles.push_back(directory / FoamFileName(table));
        }
        break;
      case DataFile::Table:
        if (tableFiles && !SaveTableConfig(machine.table, directory, TableFileName(table))) {
          report.unsavedFiles.push_back(directory / TableFileName(table));
        }
        break;
    }
  }
}

// Reads the table list, the foams (looking for `foamName`) and the table
// configuration (built-in values for a missing file) from `directory`.
void loadData(MachineConfig& machine, const fs::path& directory, std::string foamName) {
  machine.tables.ReadTableNames(directory);
  const std::string& table = machine.currentTable;
  if (isSafeTableName(table)) {
    machine.foams.LoadFoams(directory, FoamFileName(table), foamName);
    OpenTableConfig(machine.table, directory, TableFileName(table), true);
  } else {
    // No file can be named after the table: the built-in data, kept in memory.
    machine.foams.LoadFoamsFromText("", foamName);
    machine.table.setBuiltIn();
    machine.table.tableModified = true;
  }
}

}  // namespace

ProgramContext::ProgramContext(UserPrompt& prompt, SoundPort& sound, StatusPort& status,
                               ProgramOptions options)
    : prompt(prompt),
      sound(sound),
      status(status),
      options_(std::move(options)),
      store_(storeFor(options_)),
      fallbackDataDirectory_(options_.defaultDataDirectory ? *options_.defaultDataDirectory
                                                           : defaultDataDirectory()),
      soundDirectories_(options_.soundDirectories ? *options_.soundDirectories
                                                  : installedSoundDirectories()),
      controllerSession_(options_.transportFactory),
      settings(store_.read()),
      driver(makeDevice(options_, settings), prompt),
      machine(driver, prompt),
      planner(machine.table, machine.foams, prompt),
      project{prompt, machine, {}, {}},
      cut{planner,
          driver,
          machine,
          prompt,
          sound,
          status,
          CutOutputOptions{},
          std::string(kDefaultEndOfCutSound),
          std::string(),
          std::nullopt},
      job(cut) {
  cut.controller = &controllerSession_;
}

ProgramContext::~ProgramContext() = default;

namespace {

constexpr const char* kSimulationSpeedupKey = "SimulationSpeedup";

QString settingsGroup() {
  return QString::fromUtf8(kSettingsGroup.data(), static_cast<qsizetype>(kSettingsGroup.size()));
}

// Paces the simulated machine behind `driver`; false for another backend or
// a speed-up that is negative or not finite.
bool paceSimulatedMachine(InterfaceDriver& driver, double speedup) {
  auto* simulated = dynamic_cast<SimulatedMachine*>(&driver.device());
  if (simulated == nullptr || !(speedup >= 0.0) || !std::isfinite(speedup)) return false;
  SimulatedMachineParams params = simulated->params();
  params.realTimeSpeedup = speedup;
  simulated->setParams(params);
  return true;
}

}  // namespace

void ProgramContext::start() {
  LoadSettings();
  driver.OpenDriver();
  planner.ResetPlanner();
  newProject();
}

SaveReport ProgramContext::shutdown() {
  SaveReport report = SaveSettings();
  driver.CloseDriver();
  return report;
}

std::optional<std::string> ProgramContext::checkOptions() const {
  std::error_code error;
  if (options_.settingsFile && !fs::is_regular_file(*options_.settingsFile, error)) {
    return formatMessage(Msg::SettingsFileNotFound, {options_.settingsFile->string()});
  }
  if (options_.dataDirectory && !fs::is_directory(*options_.dataDirectory, error)) {
    return formatMessage(Msg::DataDirectoryNotFound, {options_.dataDirectory->string()});
  }
  if (options_.tableName && !machine.tables.contains(*options_.tableName)) {
    std::string names;
    for (const std::string& name : machine.tables.listedNames()) {
      names += (names.empty() ? "" : ", ") + name;
    }
    return formatMessage(Msg::TableDoesNotExist, {*options_.tableName}) + "\n" +
           formatMessage(Msg::KnownTables, {names});
  }
  return std::nullopt;
}

void ProgramContext::LoadSettings() {
  // Values that live only while the program runs.
  cut.output = CutOutputOptions{};
  auxiliaryCuts = AuxiliaryCutSession{};
  machine.foams.cutSpeed = 0.0;
  machine.foams.currentFoam.clear();

  settings = store_.read();
  recentFiles.load(store_);
  useDataDirectorySetting();
  readAtStart_ = settings;
  machine.dataDirectory =
      options_.dataDirectory ? *options_.dataDirectory : fs::path(settings.RepIns);
  machine.currentTable = options_.tableName ? *options_.tableName : settings.CurrentTable;
  machine.savedFoamName = settings.TypeBloc;
  ensureDefaultDataDirectory();

  status.setStatusText(machine.currentTable);

  loadData(machine, machine.dataDirectory, settings.TypeBloc);
  applySettings();
  syncMachineToTable();
}

SaveReport ProgramContext::SaveSettings() {
  SaveReport report;
  const bool overridden = options_.dataDirectory.has_value() ||
                          (options_.tableName && machine.currentTable == *options_.tableName);
  if (overridden) {
    settings.TypeBloc = readAtStart_.TypeBloc;
    settings.CurrentTable = readAtStart_.CurrentTable;
  } else {
    settings.TypeBloc = machine.foams.CurrentFoamName();
    // A name that cannot name table files would not be read back.
    if (isSafeTableName(machine.currentTable)) settings.CurrentTable = machine.currentTable;
  }
  machine.savedFoamName = settings.TypeBloc;
  report.settingsWritten = store_.write(settings);

  ensureDefaultDataDirectory();
  saveData(machine, machine.dataDirectory, {DataFile::Foams, DataFile::Table, DataFile::List},
           report);
  return report;
}

SaveReport ProgramContext::EditFileSettings(const DirectoriesDialogRunner& runDialog) {
  SaveReport report;
  const std::string previous = settings.RepIns;
  DirectoriesForm form(settings, prompt, sound, soundDirectories_);
  runDialog(form);
  if (!form.isDone()) return report;

  useDataDirectorySetting();
  if (settings.RepIns != previous) {
    // Pending changes belong to the directory they were read from.
    ensureDefaultDataDirectory();
    saveData(machine, machine.dataDirectory, {DataFile::List, DataFile::Foams, DataFile::Table},
             report);
    // The user chose a directory: a run-only one is no longer in use.
    options_.dataDirectory.reset();
    machine.dataDirectory = settings.RepIns;
    ensureDefaultDataDirectory();
    loadData(machine, machine.dataDirectory, machine.foams.CurrentFoamName());
    syncMachineToTable();
  }
  applySettings();
  return report;
}

void ProgramContext::applySettings() {
  project.profileDirectory = settings.RepProfil;
  project.projectDirectory = settings.RepProjet;
  cut.projectDirectory = settings.RepProjet;
  cut.endOfCutSound =
      resolveSoundFile(settings.SonFinDec, machine.dataDirectory, soundDirectories_);
}

void ProgramContext::syncMachineToTable() {
  if (auto* simulated = dynamic_cast<SimulatedMachine*>(&driver.device())) {
    simulated->setParams(simulatedParamsFor(machine.table, simulated->params()));
  }
}

void ProgramContext::restoreSimulationSpeedup() {
  const auto store = store_.open();
  store->beginGroup(settingsGroup());
  bool ok = false;
  const double speedup = store->value(QString::fromLatin1(kSimulationSpeedupKey)).toDouble(&ok);
  store->endGroup();
  if (ok) paceSimulatedMachine(driver, speedup);
}

bool ProgramContext::setSimulationSpeedup(double speedup) {
  if (!paceSimulatedMachine(driver, speedup)) return false;
  const auto store = store_.open();
  store->beginGroup(settingsGroup());
  store->setValue(QString::fromLatin1(kSimulationSpeedupKey), speedup);
  store->endGroup();
  store->sync();
  return true;
}

std::optional<double> ProgramContext::simulationSpeedup() const {
  const auto* simulated = dynamic_cast<const SimulatedMachine*>(&driver.device());
  if (simulated == nullptr) return std::nullopt;
  return simulated->params().realTimeSpeedup;
}

bool ProgramContext::makeTableCurrent(const std::string& name) {
  const bool ok = machine.switchTable(name);
  status.setStatusText(machine.currentTable);
  syncMachineToTable();
  return ok;
}

void ProgramContext::resetPlanner() {
  syncMachineToTable();
  planner.ResetPlanner();
}

CT1Doc& ProgramContext::newProject() {
  document = opener_.makeDocument();
  return *document;
}

OpenProjectResult ProgramContext::OpenProject(const std::optional<std::filesystem::path>& path) {
  return opener_.OpenProject(path);
}

bool ProgramContext::CloseProject() { return opener_.CloseProject(); }

void ProgramContext::useDataDirectorySetting() {
  // The root directory, the historical default, cannot be written by a user
  // here: table and foam changes would be lost without a word. Without a
  // directory of their own the data lives in the per-user data directory.
  if (settings.RepIns.empty()) settings.RepIns = fallbackDataDirectory_.string();
}

void ProgramContext::ensureDefaultDataDirectory() const {
  if (machine.dataDirectory != fallbackDataDirectory_) return;
  std::error_code error;
  fs::create_directories(fallbackDataDirectory_, error);
  if (error) {
    prompt.showMessage(formatMessage(Msg::DirectoryNotCreated,
                                     {fallbackDataDirectory_.string(), error.message()}),
                       MessageIcon::Warning);
  }
}

}  // namespace orva
