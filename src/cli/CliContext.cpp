#include "cli/CliContext.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "driver/SimulatedMachine.h"

namespace orva::cli {

void CliPrompt::showMessage(std::string_view text, MessageIcon) { std::cerr << text << '\n'; }

Answer CliPrompt::askOkCancel(std::string_view text, MessageIcon) {
  std::cerr << text << '\n';
  if (assumeYes) return Answer::Ok;
  if (!interactive) {
    std::cerr << "(not confirmed: run with --yes to accept)\n";
    return Answer::Cancel;
  }
  std::cerr << "OK? [y/N] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return Answer::Cancel;
  return (!line.empty() && (line[0] == 'y' || line[0] == 'Y')) ? Answer::Ok : Answer::Cancel;
}

Answer CliPrompt::askAbortRetryIgnore(std::string_view text, MessageIcon) {
  std::cerr << text << '\n';
  if (!interactive) return assumeYes ? Answer::Ignore : Answer::Abort;
  std::cerr << "[a]bort, [r]etry, [i]gnore? " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line) || line.empty()) return Answer::Abort;
  if (line[0] == 'r' || line[0] == 'R') return Answer::Retry;
  if (line[0] == 'i' || line[0] == 'I') return Answer::Ignore;
  return Answer::Abort;
}

std::optional<std::string> CliPrompt::chooseOpenFile(const FileDialogRequest&) {
  auto file = std::move(nextFile);
  nextFile.reset();
  return file;
}

std::optional<std::string> CliPrompt::chooseSaveFile(const FileDialogRequest&) {
  auto file = std::move(nextFile);
  nextFile.reset();
  return file;
}

namespace {

SimulatedMachineParams machineParamsFor(const TableConfig& table) {
  SimulatedMachineParams params;
  // The simulated machine refuses values it cannot run with; a hand-edited
  // table keeps the defaults here and the planner reports the bad values.
  if (table.Tempo > 0) params.tempoMs = table.Tempo;
  if (table.XNtour > 0 && table.XPas > 0) params.xStepsPerMm = table.XNtour / table.XPas;
  if (table.YNtour > 0 && table.YPas > 0) params.yStepsPerMm = table.YNtour / table.YPas;
  params.xBacklashSteps = std::max(0, table.XPasInvSens);
  params.yBacklashSteps = std::max(0, table.YPasInvSens);
  return params;
}

}  // namespace

CliContext::CliContext(const std::optional<std::filesystem::path>& dataDirectory)
    : driver(std::make_unique<SimulatedMachine>(), prompt),
      machine(driver, prompt),
      project{prompt, machine, {}, {}} {
  prompt.interactive = ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0;
  if (dataDirectory) {
    // The program's start-up sequence on that directory, then the files are
    // written as the program's exit would, so a table or foam file that was
    // missing exists from now on (a script naming the table finds it).
    machine.dataDirectory = *dataDirectory;
    machine.tables.ReadTableNames(*dataDirectory);
    std::string foam = machine.savedFoamName;
    machine.foams.LoadFoams(*dataDirectory, FoamFileName(machine.currentTable), foam);
    OpenTableConfig(machine.table, *dataDirectory, TableFileName(machine.currentTable), true);
    machine.saveCurrentTable();
    machine.tables.SaveTableNames(*dataDirectory, "TableNames.bd");
  } else {
    std::string current = machine.savedFoamName;
    machine.foams.LoadFoamsFromText("", current);  // the built-in foams
  }
  if (auto* simulated = dynamic_cast<SimulatedMachine*>(&driver.device())) {
    simulated->setParams(machineParamsFor(machine.table));
  }
  driver.OpenDriver();
}

CliContext::~CliContext() { driver.CloseDriver(); }

}  // namespace orva::cli
