#pragma once

#include <QCommandLineParser>
#include <filesystem>
#include <optional>
#include <string>

#include "app/ProgramContext.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "common/UserPrompt.h"

namespace orva::cli {

// The user, as the command-line tool sees it: messages go to stderr, questions
// are answered by --yes (or on the terminal when it is one), file choices are
// made by the command's options and never asked.
class CliPrompt : public UserPrompt {
 public:
  bool assumeYes = false;    // --yes: every OK/Cancel question is answered OK, Yes/No/Cancel Yes
  bool interactive = false;  // ask on the terminal when not assumed

  void showMessage(std::string_view text, MessageIcon icon) override;
  Answer askOkCancel(std::string_view text, MessageIcon icon) override;
  Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) override;
  // --yes answers Yes; without a terminal the question is cancelled.
  Answer askYesNoCancel(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;

  // The path the next file choice returns (set by a command from its options).
  std::optional<std::string> nextFile;
  // When set, messages are printed as "SUBJECT: message" (the file being read).
  std::string subject;
};

// No sound on the command line.
class SilentSound : public SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

// The status bar of a running cut as one line on a terminal.
class TerminalStatus : public StatusPort {
 public:
  TerminalStatus();
  ~TerminalStatus() override;
  void setStatusText(std::string_view text) override;
  void setWaitCursor(bool) override {}

 private:
  bool enabled_;
  bool shown_ = false;
};

// The options every command that needs the user's tables and foams takes.
void addSettingsOptions(QCommandLineParser& parser);
// Reads them (after parsing).
ProgramOptions settingsOptions(const QCommandLineParser& parser);

// The program as a command runs it: the user's settings (or --settings FILE),
// the data directory and current table they name (or --data-dir / --table for
// this run), the driver (the simulated machine by default), the planner, the
// cut environment. Started on construction. The current table's table and
// foam files that are missing are written at once, so a script or a later run
// finds them; the settings themselves are written only by finish().
class CliContext {
 public:
  explicit CliContext(ProgramOptions options = {});
  ~CliContext();

  // False (the reason printed on stderr) when the run-only options name a
  // settings file, data directory or table that does not exist; then nothing
  // has been written and the command must stop.
  bool usable() const;

  // The program's exit sequence: settings, then the data files that changed.
  // For commands that change data (a script's table selection). False when a
  // write failed (reported on stderr).
  bool finish();

  CliPrompt prompt;
  SilentSound sound;
  TerminalStatus status;
  ProgramContext program;
  MachineConfig& machine;
  InterfaceDriver& driver;

 private:
  bool finished_ = false;
  std::optional<std::string> problem_;
};

}  // namespace orva::cli
