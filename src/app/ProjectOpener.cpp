#include "app/ProjectOpener.h"

#include <string>
#include <string_view>
#include <utility>

#include "app/AppSettings.h"
#include "app/RecentFileList.h"
#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "model/ProjectFile.h"

namespace orva {

ProjectWindows windowsFor(std::size_t panelCount) {
  return panelCount < 2 ? ProjectWindows::ProfileMaximised : ProjectWindows::ProfileAndWingTiled;
}

std::string ProjectTitle(const CT1Doc& doc) {
  if (!doc.path.empty()) {
    const std::u8string name = doc.path.filename().u8string();
    return std::string(name.begin(), name.end());
  }
  const std::string_view strings = messageText(Msg::DocumentStringsProfile);
  const std::size_t first = strings.find('\n');
  if (first == std::string_view::npos) return std::string(strings);
  const std::size_t second = strings.find('\n', first + 1);
  return std::string(strings.substr(first + 1, second - first - 1));
}

ProjectOpener::ProjectOpener(std::unique_ptr<CT1Doc>& document, ProjectContext& context,
                             RecentFileList& recentFiles, const SettingsStore& store)
    : document_(document), context_(context), recentFiles_(recentFiles), store_(store) {}

std::unique_ptr<CT1Doc> ProjectOpener::makeDocument() {
  auto doc = std::make_unique<CT1Doc>(context_);
  doc->addToRecentFiles = [this](const std::filesystem::path& saved) { rememberFile(saved); };
  return doc;
}

void ProjectOpener::rememberFile(const std::filesystem::path& path) {
  recentFiles_.add(path);
  recentFiles_.save(store_);  // a store that cannot be written only loses the list
}

bool ProjectOpener::offerToSave(OpenOutcome& refusal) {
  if (!document_ || !document_->modified) return true;
  const std::string question = formatMessage(Msg::SaveChangesTo, {ProjectTitle(*document_)});
  switch (context_.prompt.askYesNoCancel(question, MessageIcon::Warning)) {
    case Answer::Yes:
      if (document_->Save()) return true;
      refusal = OpenOutcome::SaveFailed;
      return false;
    case Answer::No:
      return true;
    default:
      refusal = OpenOutcome::Cancelled;
      return false;
  }
}

OpenProjectResult ProjectOpener::OpenProject(const std::optional<std::filesystem::path>& path) {
  OpenProjectResult result;
  if (!offerToSave(result.outcome)) return result;

  std::unique_ptr<CT1Doc> opened = makeDocument();
  if (path) {
    if (!LoadProjectFile(*opened, *path)) {
      if (recentFiles_.remove(*path)) recentFiles_.save(store_);
      result.outcome = OpenOutcome::LoadFailed;
      return result;
    }
    rememberFile(*path);
  }
  result.previousClosed = document_ != nullptr;
  document_ = std::move(opened);
  result.outcome = OpenOutcome::Opened;
  result.windows = windowsFor(document_->panels.size());
  return result;
}

bool ProjectOpener::CloseProject() {
  OpenOutcome refusal = OpenOutcome::Cancelled;
  if (!offerToSave(refusal)) return false;
  document_.reset();
  return true;
}

}  // namespace orva
