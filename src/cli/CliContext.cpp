#include "cli/CliContext.h"

#include <unistd.h>

#include <iostream>

#include "cli/CliSupport.h"
#include "common/Messages.h"
#include "controller/SerialTransport.h"

namespace orva::cli {

void CliPrompt::showMessage(std::string_view text, MessageIcon) {
  if (!subject.empty()) std::cerr << subject << ": ";
  std::cerr << text << '\n';
}

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

Answer CliPrompt::askYesNoCancel(std::string_view text, MessageIcon) {
  std::cerr << text << '\n';
  if (assumeYes) return Answer::Yes;
  if (!interactive) {
    std::cerr << "(not confirmed: run with --yes to accept)\n";
    return Answer::Cancel;
  }
  std::cerr << "[y]es, [n]o, [C]ancel? " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line) || line.empty()) return Answer::Cancel;
  if (line[0] == 'y' || line[0] == 'Y') return Answer::Yes;
  if (line[0] == 'n' || line[0] == 'N') return Answer::No;
  return Answer::Cancel;
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

TerminalStatus::TerminalStatus() : enabled_(::isatty(STDERR_FILENO) != 0) {}

TerminalStatus::~TerminalStatus() {
  if (enabled_ && shown_) std::cerr << '\n';
}

void TerminalStatus::setStatusText(std::string_view text) {
  if (!enabled_) return;
  std::cerr << "\r\033[K" << text << std::flush;
  shown_ = true;
}

void addSettingsOptions(QCommandLineParser& parser) {
  parser.addOptions({
      {QStringLiteral("settings"),
       QStringLiteral("Settings file (INI) to use instead of the user's settings."),
       QStringLiteral("FILE")},
      {QStringLiteral("data-dir"),
       QStringLiteral("Data directory (table list, table and foam files) for this run."),
       QStringLiteral("DIR")},
      {QStringLiteral("table"), QStringLiteral("Cutting table to use for this run."),
       QStringLiteral("NAME")},
  });
}

ProgramOptions settingsOptions(const QCommandLineParser& parser) {
  ProgramOptions options;
  if (parser.isSet(QStringLiteral("settings"))) {
    options.settingsFile = parser.value(QStringLiteral("settings")).toStdString();
  }
  if (parser.isSet(QStringLiteral("data-dir"))) {
    options.dataDirectory = parser.value(QStringLiteral("data-dir")).toStdString();
  }
  if (parser.isSet(QStringLiteral("table"))) {
    options.tableName = parser.value(QStringLiteral("table")).toStdString();
  }
  return options;
}

CliContext::CliContext(ProgramOptions options)
    : program(prompt, sound, status, std::move(options)),
      machine(program.machine),
      driver(program.driver) {
  if (!program.controllerSession().hasTransportFactory()) {
    program.controllerSession().setTransportFactory([](const std::string& port, int baud) {
      return std::make_unique<SerialTransport>(port, baud);
    });
  }
  prompt.interactive = ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0;
  program.start();
  problem_ = program.checkOptions();
  if (problem_) return;
  // A table whose files are missing gets them now rather than at exit, so a
  // script naming it in this run finds it; a data directory named by the
  // settings or the options is created when it does not exist yet.
  std::error_code error;
  if (!machine.dataDirectory.empty())
    std::filesystem::create_directories(machine.dataDirectory, error);
  if (error) {
    prompt.showMessage(formatMessage(Msg::DirectoryNotCreated,
                                     {machine.dataDirectory.string(), error.message()}),
                       MessageIcon::Warning);
  }
  machine.saveCurrentTable();
}

bool CliContext::usable() const {
  if (problem_) printError(*problem_);
  return !problem_;
}

CliContext::~CliContext() {
  if (!finished_) program.driver.CloseDriver();
}

bool CliContext::finish() {
  finished_ = true;
  const SaveReport report = program.shutdown();
  for (const auto& file : report.unsavedFiles) {
    std::cerr << formatMessage(Msg::FileNotSaved, {file.string(), "write failed"}) << '\n';
  }
  if (!report.settingsWritten) std::cerr << "The settings could not be written.\n";
  return report.ok();
}

}  // namespace orva::cli
