#include "common/ScriptedPrompt.h"

#include <stdexcept>
#include <utility>

// Behaviour beyond the header:
//   - answers and files are two separate queues; messages consume nothing;
//     open and save dialogs share the file queue;
//   - a queued answer that the question cannot return (Retry to an OK/Cancel
//     question, Ok to an Abort/Retry/Ignore one) is a mistake in the test
//     script: the call is still recorded, the answer is dropped and
//     std::logic_error is thrown so the test fails where the script went wrong;
//   - clear() forgets the recorded calls only; answers and files still queued
//     stay for the calls to come.

namespace orva {

namespace {

const char* answerName(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return "Ok";
    case Answer::Cancel:
      return "Cancel";
    case Answer::Abort:
      return "Abort";
    case Answer::Retry:
      return "Retry";
    case Answer::Ignore:
      return "Ignore";
  }
  return "?";
}

// The next queued file choice; a cancelled dialog when none is left.
std::optional<std::string> takeFile(std::deque<std::optional<std::string>>& files) {
  if (files.empty()) return std::nullopt;
  std::optional<std::string> path = std::move(files.front());
  files.pop_front();
  return path;
}

}  // namespace

void ScriptedPrompt::queueAnswer(Answer answer) { answers_.push_back(answer); }

void ScriptedPrompt::queueFile(std::optional<std::string> path) {
  files_.push_back(std::move(path));
}

void ScriptedPrompt::showMessage(std::string_view text, MessageIcon icon) {
  calls_.push_back({Kind::Message, std::string(text), icon, {}});
}

Answer ScriptedPrompt::askOkCancel(std::string_view text, MessageIcon icon) {
  calls_.push_back({Kind::OkCancel, std::string(text), icon, {}});
  if (answers_.empty()) return Answer::Cancel;
  const Answer answer = answers_.front();
  answers_.pop_front();
  if (answer != Answer::Ok && answer != Answer::Cancel) {
    throw std::logic_error(std::string("ScriptedPrompt: queued answer ") + answerName(answer) +
                           " does not fit the OK/Cancel question \"" + std::string(text) + "\"");
  }
  return answer;
}

Answer ScriptedPrompt::askAbortRetryIgnore(std::string_view text, MessageIcon icon) {
  calls_.push_back({Kind::AbortRetryIgnore, std::string(text), icon, {}});
  if (answers_.empty()) return Answer::Abort;
  const Answer answer = answers_.front();
  answers_.pop_front();
  if (answer != Answer::Abort && answer != Answer::Retry && answer != Answer::Ignore) {
    throw std::logic_error(std::string("ScriptedPrompt: queued answer ") + answerName(answer) +
                           " does not fit the Abort/Retry/Ignore question \"" + std::string(text) +
                           "\"");
  }
  return answer;
}

std::optional<std::string> ScriptedPrompt::chooseOpenFile(const FileDialogRequest& request) {
  calls_.push_back({Kind::OpenFile, request.title, MessageIcon::None, request});
  return takeFile(files_);
}

std::optional<std::string> ScriptedPrompt::chooseSaveFile(const FileDialogRequest& request) {
  calls_.push_back({Kind::SaveFile, request.title, MessageIcon::None, request});
  return takeFile(files_);
}

std::vector<std::string> ScriptedPrompt::messages() const {
  std::vector<std::string> texts;
  for (const Call& call : calls_) {
    if (call.kind == Kind::Message) texts.push_back(call.text);
  }
  return texts;
}

void ScriptedPrompt::clear() { calls_.clear(); }

}  // namespace orva
