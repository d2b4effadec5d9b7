#include "model/ProjectFile.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "model/CT1Doc.h"

namespace orva {

namespace {

std::size_t outlinePoints(const Section& s) {
  return s.upper.size() + s.lower.size() + s.cutUpper.size() + s.cutLower.size();
}

// The first post-load step: each panel rebuilt with the project's splines
// setting (and, for old files, given the stored block position). False as
// soon as the rebuilt outlines hold more than kMaxProjectOutlinePoints in all:
// the outlines grow with the chord and the length of the profile, so a small
// file could otherwise make the program build gigabytes of points.
bool rebuildPanels(std::vector<Panel>& panels, bool splines,
                   const std::optional<LegacyBlockPosition>& legacy) {
  std::size_t total = 0;
  for (Panel& panel : panels) {
    panel.Rebuild(splines, /*afterDialog=*/false);
    if (legacy) {
      panel.offsetX0 = legacy->offsetX0;
      panel.rootAxisOffset = legacy->rootAxisOffset;
      panel.blockCentredZ = legacy->blockCentredZ;
    }
    total += outlinePoints(panel.root) + outlinePoints(panel.tip);
    if (total > kMaxProjectOutlinePoints) return false;
  }
  return true;
}

// The other post-load steps: the settings that are never kept are reset.
void resetAfterLoad(CT1Doc& doc) {
  doc.display = DisplayOptions{};
  doc.cutChoices.clearance = 0.0;
  doc.cutChoices.wingSide = 0;
  doc.superposed = false;
}

void show(CT1Doc& doc, const std::string& text) {
  doc.context().prompt.showMessage(text, MessageIcon::Warning);
}

}  // namespace

ProjectData CaptureProject(CT1Doc& doc) {
  ProjectData data;
  data.panels.reserve(doc.panels.size());
  for (const Panel& panel : doc.panels) data.panels.push_back(storePanel(panel));
  data.splines = doc.splines;
  data.cutChoices = doc.cutChoices;
  data.cutChoices.clearance = 0.0;
  const FoamDatabase& foams = doc.context().machine.foams;
  data.foamName = foams.CurrentFoamName();
  data.cutSpeed = foams.cutSpeed;
  data.comments = doc.comments;
  return data;
}

std::optional<ProjectData> ReadProjectFile(const std::filesystem::path& path, std::string* error,
                                           ContentsReadFailure* failure) {
  auto contents = readContentsStream(path, error, failure);
  if (!contents) return std::nullopt;
  auto data = decodeContents(*contents, error);
  if (!data && failure) *failure = ContentsReadFailure::Invalid;
  return data;
}

bool WriteProjectFile(const ProjectData& data, const std::filesystem::path& path,
                      std::string* error) {
  auto contents = encodeContents(data, error);
  if (!contents) return false;
  return writeCompoundFile(path, *contents, error);
}

bool LoadProjectFile(CT1Doc& doc, const std::filesystem::path& path, std::string* error) {
  ContentsReadFailure failure = ContentsReadFailure::None;
  std::string why;
  auto data = ReadProjectFile(path, &why, &failure);

  // Everything is built aside; the project changes only once all of it worked.
  std::vector<Panel> panels;
  if (data) {
    panels.resize(data->panels.size());
    bool restored = true;
    for (std::size_t i = 0; i < panels.size() && restored; ++i) {
      restored = restorePanel(data->panels[i], panels[i]);
    }
    if (!restored || !rebuildPanels(panels, data->splines, data->legacyBlockPosition)) {
      failure = ContentsReadFailure::Invalid;
      data.reset();
    }
  }
  if (!data) {
    const Msg id = failure == ContentsReadFailure::CannotOpen ? Msg::UnableToOpenFileForReading
                                                              : Msg::InvalidProjectFormat;
    const std::string text(messageText(id));
    if (error) *error = text;
    show(doc, text);
    return false;
  }
  doc.panels = std::move(panels);
  doc.currentPanel = 0;
  doc.splines = data->splines;
  doc.comments = std::move(data->comments);
  doc.cutChoices = data->cutChoices;
  doc.foamName = data->foamName;
  FoamDatabase& foams = doc.context().machine.foams;
  foams.SelectFoam(data->foamName);
  foams.cutSpeed = data->cutSpeed;
  resetAfterLoad(doc);
  doc.path = path;
  doc.modified = false;
  doc.notifyChanged(DocChanges::all());
  return true;
}

bool SaveProjectFile(CT1Doc& doc, const std::filesystem::path& path, std::string* error) {
  const ProjectData data = CaptureProject(doc);
  // The panels as the post-save steps leave them, built aside first: a
  // project whose outlines could not be loaded again is not written.
  std::vector<Panel> rebuilt = doc.panels;
  std::string why;
  bool written = false;
  if (!rebuildPanels(rebuilt, doc.splines, std::nullopt)) {
    why = "the outlines of the project hold more than " + std::to_string(kMaxProjectOutlinePoints) +
          " points";
  } else {
    written = WriteProjectFile(data, path, &why);
  }
  if (!written) {
    const std::string text = formatMessage(Msg::FileNotSaved, {path.string(), why});
    if (error) *error = text;
    show(doc, text);
    return false;
  }
  const DisplayOptions displayBefore = doc.display;
  const bool superposedBefore = doc.superposed;
  DocChanges changes = DocChange::PanelGeometry;  // the outlines are built again
  if (doc.modified) changes |= DocChange::ModifiedFlag;
  if (doc.path != path) changes |= DocChange::Path;
  doc.panels = std::move(rebuilt);
  doc.foamName = data.foamName;
  resetAfterLoad(doc);
  if (doc.display != displayBefore || doc.superposed != superposedBefore) {
    changes |= DocChange::DisplayOptions;
  }
  doc.path = path;
  doc.modified = false;
  doc.notifyChanged(changes);
  return true;
}

}  // namespace orva
