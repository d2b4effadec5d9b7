#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// The icon a message box shows; it also tells a text front end how loud to be.
enum class MessageIcon { None, Information, Warning, Question, Stop };

// The answer of a question box.
enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// One entry of a file dialog's type list: "Co-ordinate Files (*.cor,*.dat)" with "*.cor;*.dat".
struct FileFilter {
  std::string description;
  std::string patterns;  // patterns separated by ';'
};

// Everything a file dialog needs to be shown as the program wants it.
struct FileDialogRequest {
  std::string title;
  std::vector<FileFilter> filters;
  std::string initialDirectory;
  std::string defaultName;
  std::string defaultExtension;  // without the dot; empty for none
  std::size_t maxPathLength = 0;  // 0: no limit
  bool mustExist = false;         // open dialogs: the chosen file must exist
  bool promptOverwrite = false;   // save dialogs: ask before replacing a file
};

// The only way the core asks the user anything. The desktop program implements
// it with dialogs, the command-line tool with its options and stderr, tests with
// ScriptedPrompt.
class UserPrompt {
 public:
  virtual ~UserPrompt() = default;

  virtual void showMessage(std::string_view text, MessageIcon icon) = 0;
  // Returns Answer::Ok or Answer::Cancel.
  virtual Answer askOkCancel(std::string_view text, MessageIcon icon) = 0;
  // Returns Answer::Abort, Answer::Retry or Answer::Ignore.
  virtual Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) = 0;
  // Returns Answer::Yes, Answer::No or Answer::Cancel.
  virtual Answer askYesNoCancel(std::string_view text, MessageIcon icon) = 0;
  // The chosen path (UTF-8), or nothing when the user cancelled.
  virtual std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) = 0;
};

}  // namespace orva
