#pragma once

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "common/UserPrompt.h"

namespace orva {

// A UserPrompt for tests: records every call and plays back queued answers.
// Questions with no queued answer get Cancel (OK/Cancel, Yes/No/Cancel) or
// Abort (Abort/Retry/Ignore); file choices with no queued answer are cancelled.
// A queued answer the question cannot return (e.g. Retry to an OK/Cancel
// question) throws std::logic_error, so a wrong test script fails loudly.
class ScriptedPrompt : public UserPrompt {
 public:
  enum class Kind { Message, OkCancel, AbortRetryIgnore, YesNoCancel, OpenFile, SaveFile };

  struct Call {
    Kind kind;
    std::string text;        // message text, or the dialog title for file choices
    MessageIcon icon = MessageIcon::None;
    FileDialogRequest request;  // file choices only
  };

  void queueAnswer(Answer answer);
  void queueFile(std::optional<std::string> path);

  void showMessage(std::string_view text, MessageIcon icon) override;
  Answer askOkCancel(std::string_view text, MessageIcon icon) override;
  Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) override;
  Answer askYesNoCancel(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;

  const std::vector<Call>& calls() const { return calls_; }
  // The texts of the messages shown (Kind::Message only), in order.
  std::vector<std::string> messages() const;
  // Forgets the recorded calls; queued answers and files stay.
  void clear();
  std::size_t pendingAnswers() const { return answers_.size(); }
  std::size_t pendingFiles() const { return files_.size(); }

 private:
  // Records the question and returns the next queued answer, the first of
  // `fitting` when none is queued; throws when the answer does not fit.
  Answer ask(Kind kind, std::string_view text, MessageIcon icon,
             std::initializer_list<Answer> fitting, const char* question);

  std::vector<Call> calls_;
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> files_;
};

}  // namespace orva
