#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"

namespace orva::test {

// The thread that created the port fakes. A port called from any other
// thread (a cut worker must never reach one) fails the test and is counted.
class OwnerThread {
 public:
  void check();
  int strayCalls() const { return strayCalls_.load(); }

 private:
  std::thread::id id_ = std::this_thread::get_id();
  std::atomic<int> strayCalls_{0};
};

// The scripted prompt (records calls, plays back answers) that also checks
// the calling thread.
class CheckedPrompt : public ScriptedPrompt {
 public:
  explicit CheckedPrompt(OwnerThread& owner) : owner_(owner) {}
  void showMessage(std::string_view text, MessageIcon icon) override;
  Answer askOkCancel(std::string_view text, MessageIcon icon) override;
  Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) override;
  Answer askYesNoCancel(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;

  // The recorded calls of one kind, in order.
  std::vector<Call> callsOf(Kind kind) const;

 private:
  OwnerThread& owner_;
};

// Records every sound request. Plays every file, or with onlyExistingFiles
// only existing regular files (others fail as a missing file does).
class RecordingSound : public SoundPort {
 public:
  explicit RecordingSound(OwnerThread* owner = nullptr) : owner_(owner) {}
  bool playAndWait(const std::string& path) override;

  bool onlyExistingFiles = false;
  std::vector<std::string> played;

 private:
  OwnerThread* owner_;
};

// Records the status texts and the wait-cursor switches.
class RecordingStatus : public StatusPort {
 public:
  explicit RecordingStatus(OwnerThread* owner = nullptr) : owner_(owner) {}
  void setStatusText(std::string_view text) override;
  void setWaitCursor(bool on) override;

  std::vector<std::string> texts;
  std::vector<bool> cursor;

 private:
  OwnerThread* owner_;
};

}  // namespace orva::test
