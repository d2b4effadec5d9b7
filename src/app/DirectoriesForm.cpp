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
    case Field::Count:
      break;
  }
  return {};
}

void DirectoriesForm::editText(Field field, std::string_view text) {
  if (field == Field::Count) return;
  texts_[index(field)] = std::string(text);
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
    case Field::Count:
      return request;
  }
  request.filters.push_back(filter(Msg::FilterAllFiles, "*.*"));
  return request;
}

bool DirectoriesForm::browse(Field field) {
  if (field == Field::Count) return false;
  const std::optional<std::string> chosen =
      prompt_.chooseOpenFile(browseRequest(field, texts_[index(field)]));
  if (!chosen) return false;
  texts_[index(field)] =
      field == Field::FinishedCuttingSound ? *chosen : directoryOfChosenFile(*chosen);
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
}

void DirectoriesForm::done() {
  settings_.RepIns = withoutTrailingSeparator(texts_[index(Field::InstallationDirectory)]);
  settings_.SonFinDec = texts_[index(Field::FinishedCuttingSound)];
  settings_.RepProfil = withoutTrailingSeparator(texts_[index(Field::ProfileDirectory)]);
  settings_.RepProjet = withoutTrailingSeparator(texts_[index(Field::ProjectDirectory)]);
  done_ = true;
  closed_ = true;
}

}  // namespace orva
