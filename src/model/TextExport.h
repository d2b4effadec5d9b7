#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orva {

class CT1Doc;
class FoamDatabase;
struct TableConfig;

// The "Export document to text" command (32813): a readable summary of the
// current panel with the table configuration, the cutting speed and the
// current foam, the project's cut options, the sections with their surface
// points, and the comment. The labels are French and fixed. Nothing reads the
// file back.
//
// The file is UTF-8 (the host code page of the platforms the program runs on;
// profile names and comments are written as they are held) with CR LF line
// ends. Numbers are written as printf's "%f" (six decimals) and "%d" would
// write them, whatever the process locale; a length shown as "%d" is
// truncated towards zero and saturates at the limits of a 32-bit integer (0 for
// a value that is not a number).

// The file's content for `doc`, with the table configuration and foams given.
// Lines:
//   the table (distance between the wire supports, both axes), the cutting
//   speed, the current foam's kerf law and heat (all 0 when no foam of the
//   current name exists), whether the cut starts with the lower surface ("O"
//   with "Bottom First"), the profile kerf compensation and reference lower
//   surface flags, the current panel (root and tip the same, skin, sweep,
//   span, intermediate section with its position when on, splines, block
//   thickness), the root section, the tip section when it differs from the
//   root, then "Commentaires:" and the comment, whose line ends become CR LF.
// A project without a valid current panel gets no panel lines.
std::string ExportDocumentText(const CT1Doc& doc, const TableConfig& table,
                               const FoamDatabase& foams);
// The same with the table and foams of the project's context.
std::string ExportDocumentText(CT1Doc& doc);

// The name proposed for the export of a project titled `title`: the title up
// to its last '.', then ".txt" ("wing.cnc" gives "wing.txt"; a title without a
// '.' is kept whole: "Wing" gives "Wing.txt").
std::string ProposedExportName(std::string_view title);

// Writes `content` to `target` through a temporary file in the same directory,
// so a failed write leaves any previous file as it was (the previous file is
// kept as "<target>.bak"). False with `error` set on failure.
bool WriteExportFile(const std::filesystem::path& target, std::string_view content,
                     std::string* error = nullptr);

// The command: proposes ProposedExportName(title) in the save-file dialog
// (filter " (*.txt)" with "*.txt", no overwrite question, paths up to 127
// characters), then writes the export there. Cancel does nothing. A file that
// cannot be written is reported ("Unable to save ...") and nothing is left
// half written. True when the file was written.
bool ExportDocument(CT1Doc& doc, std::string_view title);

}  // namespace orva
