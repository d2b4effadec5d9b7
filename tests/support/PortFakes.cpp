#include "PortFakes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orva::test {

void OwnerThread::check() {
  if (std::this_thread::get_id() == id_) return;
  ++strayCalls_;
  ADD_FAILURE() << "a port was called from another thread";
}

void CheckedPrompt::showMessage(std::string_view text, MessageIcon icon) {
  owner_.check();
  ScriptedPrompt::showMessage(text, icon);
}

Answer CheckedPrompt::askOkCancel(std::string_view text, MessageIcon icon) {
  owner_.check();
  return ScriptedPrompt::askOkCancel(text, icon);
}

Answer CheckedPrompt::askAbortRetryIgnore(std::string_view text, MessageIcon icon) {
  owner_.check();
  return ScriptedPrompt::askAbortRetryIgnore(text, icon);
}

Answer CheckedPrompt::askYesNoCancel(std::string_view text, MessageIcon icon) {
  owner_.check();
  return ScriptedPrompt::askYesNoCancel(text, icon);
}

std::optional<std::string> CheckedPrompt::chooseOpenFile(const FileDialogRequest& request) {
  owner_.check();
  return ScriptedPrompt::chooseOpenFile(request);
}

std::optional<std::string> CheckedPrompt::chooseSaveFile(const FileDialogRequest& request) {
  owner_.check();
  return ScriptedPrompt::chooseSaveFile(request);
}

std::vector<ScriptedPrompt::Call> CheckedPrompt::callsOf(Kind kind) const {
  std::vector<Call> out;
  for (const Call& call : calls()) {
    if (call.kind == kind) out.push_back(call);
  }
  return out;
}

bool RecordingSound::playAndWait(const std::string& path) {
  if (owner_ != nullptr) owner_->check();
  played.push_back(path);
  if (!onlyExistingFiles) return true;
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

void RecordingStatus::setStatusText(std::string_view text) {
  if (owner_ != nullptr) owner_->check();
  texts.emplace_back(text);
}

void RecordingStatus::setWaitCursor(bool on) {
  if (owner_ != nullptr) owner_->check();
  cursor.push_back(on);
}

}  // namespace orva::test
