#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "driver/InterfaceDriver.h"
#include "model/CT1Doc.h"

namespace orva::cli {

// The user, as the command-line tool sees it: messages go to stderr, questions
// are answered by --yes (or on the terminal when it is one), file choices are
// made by the command's options and never asked.
class CliPrompt : public UserPrompt {
 public:
  bool assumeYes = false;      // --yes: every OK/Cancel question is answered OK
  bool interactive = false;    // ask on the terminal when not assumed

  void showMessage(std::string_view text, MessageIcon icon) override;
  Answer askOkCancel(std::string_view text, MessageIcon icon) override;
  Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;

  // The path the next file choice returns (set by a command from its options).
  std::optional<std::string> nextFile;
};

// The pieces of the program a command works with: the user, the machine (the
// simulated machine), the table and foam configuration, a project context.
// With a data directory the current table's files are read from it; without
// one the built-in table and foams are used and nothing is written.
class CliContext {
 public:
  explicit CliContext(const std::optional<std::filesystem::path>& dataDirectory = std::nullopt);
  ~CliContext();

  CliPrompt prompt;
  InterfaceDriver driver;
  MachineConfig machine;
  ProjectContext project;
};

}  // namespace orva::cli
