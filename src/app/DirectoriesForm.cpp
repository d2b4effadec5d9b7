#include "app/DirectoriesForm.h"

#include <utility>

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "common/Messages.h"
#include "common/SoundPort.h"

namespace orva {

namespace {

FileFilter filter(Msg description, std::string patterns) {
  return FileFilter{std::string(messageText(description)), std::move(patterns)};
}

}  // namespace

DirectoriesForm::DirectoriesForm(AppSettings& settings, UserPrompt& prompt, SoundPort& sound,
                                 std::vector<std::filesystem::path> soundDirectories)
    : settings_(settings),
      prompt_(prompt),
      sound_(sound),
      soundDirectories_(std::move(soundDirectories)) {
  texts_[index(Field::InstallationDirectory)] = settings.RepIns;
  texts_[index(Field::FinishedCuttingSound)] = settings.SonFinDec;
  texts_[index(Field::ProfileDirectory)] = settings.RepProfil;
  texts_[index(Field::ProjectDirectory)] = settings.RepProjet;
}

std::string_view DirectoriesForm::title() { return messageText(Msg::DirectoriesAndSoundTitle); }

std::string_view DirectoriesForm::label(Field field) {
  switch (field) {
    case Field::InstallationDirectory:
      return messageText(Msg::InstallationDirectory);
    case Field::FinishedCuttingSound:
      return messageText(Msg::FinishedCuttingSound);
    case Field::ProfileDirectory:
      return messageText(Msg::ProfileDirectory);
    case Field::ProjectDirectory:
      return messageText(Msg::ProjectDirectory);
    case Field::BrowseInstallationDirectory:
    case Field::BrowseFinishedCuttingSound:
    case Field::BrowseProfileDirectory:
    case Field::BrowseProjectDirectory:
      return messageText(Msg::Browse);
    case Field::Test:
      return messageText(Msg::Test);
    case Field::Default:
      return messageText(Msg::Default);
    case Field::Done:
      return messageText(Msg::Done);
    case Field::Count:
      break;
  }
  return {};
}

std::span<const FieldInfo> DirectoriesForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[] = {
        "installationDirectory", "finishedCuttingSound", "profileDirectory", "projectDirectory",
        "browseInstallationDirectory", "browseFinishedCuttingSound", "browseProfileDirectory",
        "browseProjectDirectory", "test", "default", "done"};
    std::array<FieldInfo, std::size(kNames)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      table[i] = {static_cast<int>(i), kNames[i], i < kTexts ? FieldKind::Text : FieldKind::Button,
                  label(static_cast<Field>(i))};
    }
    return table;
  }();
  return kTable;
}

bool DirectoriesForm::takeText(int field, std::string_view text) {
  texts_[static_cast<std::size_t>(field)] = std::string(text);
  return true;
}

FileDialogRequest DirectoriesForm::browseRequest(Field field, std::string_view currentText) {
  FileDialogRequest request;
  request.mustExist = true;
  switch (field) {
    case Field::FinishedCuttingSound:
      request.filters.push_back(filter(Msg::FilterSoundFiles, "*.wav"));
      // Open where the sound named now is, when it names a directory.
      request.initialDirectory = directoryOfChosenFile(currentText);
      break;
    case Field::ProfileDirectory:
      request.filters.push_back(filter(Msg::FilterCoordinateFiles, "*.cor;*.dat"));
      request.initialDirectory = std::string(currentText);
      break;
    case Field::ProjectDirectory:
      request.filters.push_back(filter(Msg::FilterProjectFiles, "*.cnc"));
      request.initialDirectory = std::string(currentText);
      break;
    case Field::InstallationDirectory:
      request.filters.push_back(filter(Msg::FilterExecutableFiles, "*.exe;*.vxd"));
      request.initialDirectory = std::string(currentText);
      break;
    default:
      return request;
  }
  request.filters.push_back(filter(Msg::FilterAllFiles, "*.*"));
  return request;
}

bool DirectoriesForm::browse(Field field) {
  if (index(field) >= kTexts) return false;
  const std::optional<std::string> chosen =
      prompt_.chooseOpenFile(browseRequest(field, texts_[index(field)]));
  if (!chosen) return false;
  texts_[index(field)] =
      field == Field::FinishedCuttingSound ? *chosen : directoryOfChosenFile(*chosen);
  notifyChanged();
  return true;
}

bool DirectoriesForm::test() {
  const std::string& name = texts_[index(Field::FinishedCuttingSound)];
  const std::filesystem::path dataDirectory = texts_[index(Field::InstallationDirectory)];
  if (sound_.playAndWait(resolveSoundFile(name, dataDirectory, soundDirectories_))) return true;
  prompt_.showMessage(formatMessage(Msg::CantPlay, {name}), MessageIcon::Warning);
  return false;
}

void DirectoriesForm::pressDefault() {
  texts_[index(Field::FinishedCuttingSound)] = std::string(kDefaultEndOfCutSound);
  notifyChanged();
}

bool DirectoriesForm::accept() {
  settings_.RepIns = withoutTrailingSeparator(texts_[index(Field::InstallationDirectory)]);
  settings_.SonFinDec = texts_[index(Field::FinishedCuttingSound)];
  settings_.RepProfil = withoutTrailingSeparator(texts_[index(Field::ProfileDirectory)]);
  settings_.RepProjet = withoutTrailingSeparator(texts_[index(Field::ProjectDirectory)]);
  done_ = true;
  closed_ = true;
  return true;
}

}  // namespace orva
