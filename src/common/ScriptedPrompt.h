#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/UserPrompt.h"

namespace orva {

// A UserPrompt for tests: records every call and plays back queued answers.
// Questions with no queued answer get Cancel (OK/Cancel) or Abort
// (Abort/Retry/Ignore); file choices with no queued answer are cancelled.
// A queued answer the question cannot return (e.g. Retry to an OK/Cancel
// question) throws std::logic_error, so a wrong test script fails loudly.
class ScriptedPrompt : public UserPrompt {
 public:
  enum class Kind { Message, OkCancel, AbortRetryIgnore, OpenFile, SaveFile };

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
  std::vector<Call> calls_;
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> files_;
};

}  // namespace orva
