#include "common/ScriptedPrompt.h"

#include <stdexcept>
#include <utility>

// Behaviour beyond the header:
//   - answers and files are two separate queues; messages consume nothing;
//     open and save dialogs share the file queue;
//   - a queued answer that the question cannot return (Retry to an OK/Cancel
//     question, Ok to an Abort/Retry/Ignore or a Yes/No/Cancel one) is a
//     mistake in the test script: the call is still recorded, the answer is
//     dropped and std::logic_error is thrown so the test fails where the
//     script went wrong;
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
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
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

Answer ScriptedPrompt::ask(Kind kind, std::string_view text, MessageIcon icon,
                           std::initializer_list<Answer> fitting, const char* question) {
  calls_.push_back({kind, std::string(text), icon, {}});
  if (answers_.empty()) return *fitting.begin();
  const Answer answer = answers_.front();
  answers_.pop_front();
  for (Answer candidate : fitting) {
    if (candidate == answer) return answer;
  }
  throw std::logic_error(std::string("ScriptedPrompt: queued answer ") + answerName(answer) +
                         " does not fit the " + question + " question \"" + std::string(text) +
                         "\"");
}

Answer ScriptedPrompt::askOkCancel(std::string_view text, MessageIcon icon) {
  return ask(Kind::OkCancel, text, icon, {Answer::Cancel, Answer::Ok}, "OK/Cancel");
}

Answer ScriptedPrompt::askAbortRetryIgnore(std::string_view text, MessageIcon icon) {
  return ask(Kind::AbortRetryIgnore, text, icon, {Answer::Abort, Answer::Retry, Answer::Ignore},
             "Abort/Retry/Ignore");
}

Answer ScriptedPrompt::askYesNoCancel(std::string_view text, MessageIcon icon) {
  return ask(Kind::YesNoCancel, text, icon, {Answer::Cancel, Answer::Yes, Answer::No},
             "Yes/No/Cancel");
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
