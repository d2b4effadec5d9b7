#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"
#include "common/UserPrompt.h"

namespace orva {

struct AppSettings;
class SoundPort;

// The fields of the "Directories and sound" dialog, in screen order.
enum class DirectoriesField : int {
  InstallationDirectory,  // RepIns, the data directory
  FinishedCuttingSound,   // SonFinDec
  ProfileDirectory,       // RepProfil
  ProjectDirectory,       // RepProjet
  BrowseInstallationDirectory,  // the "Browse" buttons of the four fields
  BrowseFinishedCuttingSound,
  BrowseProfileDirectory,
  BrowseProjectDirectory,
  Test,
  Default,
  Done,  // OK
  Count
};

// The "Directories and sound" dialog without its widgets. It works on copies
// of the four settings; they reach the settings only with "Done". Each field
// has a "Browse" button, the sound also "Test"; "Default" resets the sound.
//
// Directories are stored without a trailing separator, however they were
// entered: a picked file gives its directory, and "Done" strips trailing
// separators from what was typed.
class DirectoriesForm : public FormOf<DirectoriesField> {
 public:
  // `soundDirectories`: where a relative sound name is looked up after the
  // data directory (see resolveSoundFile), so "Test" plays what a cut would.
  DirectoriesForm(AppSettings& settings, UserPrompt& prompt, SoundPort& sound,
                  std::vector<std::filesystem::path> soundDirectories);

  static std::string_view title();
  // The caption of a field's group ("Installation Directory", ...).
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;

  // The file dialog "Browse" shows for `field`, given the field's text.
  static FileDialogRequest browseRequest(Field field, std::string_view currentText);
  // "Browse": the sound field takes the chosen file's full path, a directory
  // field the directory of the chosen file. Returns whether a file was chosen.
  bool browse(Field field);

  // "Test": plays the sound named in the field (a relative name as a cut
  // would find it, with the data directory of the installation field) and
  // waits. When it cannot be played: "Can't play %1" with the field's text;
  // the field stays as it is. Returns whether it played.
  bool test();

  // "Default": the sound field takes "Bravo.wav".
  void pressDefault();

  // "Done" (OK): copies the four fields into the settings and closes.
  void done() { ok(); }
  // Any other way of closing: the settings stay as they were.
  void close() { closed_ = true; }

  bool isClosed() const { return closed_; }
  bool isDone() const { return done_; }

 protected:
  std::string fieldText(int field) const override { return texts_[static_cast<std::size_t>(field)]; }
  bool takeText(int field, std::string_view text) override;
  bool accept() override;

 private:
  static constexpr std::size_t kTexts = 4;  // InstallationDirectory .. ProjectDirectory
  static std::size_t index(Field field) { return static_cast<std::size_t>(field); }

  AppSettings& settings_;
  UserPrompt& prompt_;
  SoundPort& sound_;
  std::vector<std::filesystem::path> soundDirectories_;
  std::array<std::string, kTexts> texts_;
  bool closed_ = false;
  bool done_ = false;
};

}  // namespace orva
