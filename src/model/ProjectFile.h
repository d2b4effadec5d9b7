#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "model/CompoundFile.h"
#include "model/ContentsCodec.h"

namespace orva {

class CT1Doc;

// Most points the outlines of a loaded or saved project may hold in all
// (root and tip surfaces and cut outlines of every panel, as rebuilt after
// loading). Real projects stay far below; a project beyond it is refused when
// loading and is not saved, so that every saved project can be opened again.
inline constexpr std::size_t kMaxProjectOutlinePoints = 16'000'000;

// Loading and saving a project (.cnc file) for an open project.
//
// Messages: both functions show their failure message themselves, once,
// through the project's prompt (doc.context().prompt, Warning icon), and also
// return its text in `error`; callers only look at the result.
// - Load: "Invalid project format. Do not mix up profil files (.dat) with
//   project files (.cnc)." for any file whose content is not a project;
//   "Unable to Open file for Reading" when the file cannot be opened at all.
// - Save: "Unable to save <path>:\n<reason>", e.g. a surface of more than
//   65535 points, outlines beyond kMaxProjectOutlinePoints, a write error.

// Replaces the project in `doc` by the one in the file: panels (first one
// current), splines, comments, panel-cutting choices, foam name; selects that
// foam in the foam database when it exists and sets the database's cutting
// speed to the stored one in any case. Then the post-load steps: each panel is
// rebuilt (with the loaded splines setting; a project whose outlines exceed
// kMaxProjectOutlinePoints is refused as not a project), files older than 1004 give their
// stored block position to every panel, and the display options, view scales,
// clearance, superposed display and wing side are reset. The path is set and
// the project is not modified. On failure `doc` is left exactly as it was.
bool LoadProjectFile(CT1Doc& doc, const std::filesystem::path& path, std::string* error = nullptr);

// Writes the project to `path` (a new compound file; the file it replaces is
// kept as "<path>.bak"), with the current foam of the foam database and its
// cutting speed. On success the saved foam name becomes the project's, the
// post-load steps run as after loading, the path is set and the modified mark
// cleared. On failure nothing changes: not the project, not the file on disk.
bool SaveProjectFile(CT1Doc& doc, const std::filesystem::path& path, std::string* error = nullptr);

// What SaveProjectFile stores for `doc`.
ProjectData CaptureProject(CT1Doc& doc);

// The record held by the project file at `path`, without an open project and
// without messages (for inspection tools). `failure` tells an unopenable file
// from one that is not a project.
std::optional<ProjectData> ReadProjectFile(const std::filesystem::path& path,
                                           std::string* error = nullptr,
                                           ContentsReadFailure* failure = nullptr);

// Writes `data` as a project file (see SaveProjectFile for the safety rules),
// without an open project and without messages.
bool WriteProjectFile(const ProjectData& data, const std::filesystem::path& path,
                      std::string* error = nullptr);

}  // namespace orva
