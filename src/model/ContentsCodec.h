#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/Point2D.h"
#include "geometry/Section.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"

namespace orva {

// The `Contents` stream of a project file: bytes <-> a plain record of what the
// file holds. Nothing here touches an open project; ProjectFile applies the
// record to a CT1Doc.
//
// Stream layout (little-endian, no padding): u32 embedded item count (0), f64
// version, u32 panel count, the panel blocks, then the project trailer. Version
// 1007 is the only one written; 1000 to 1006 and files older than any version
// number (whose first f64 is the root basic height) are read by their rules.
// Text fields are Windows-1252 in the stream and UTF-8 in the record.
//
// Decoding treats the bytes as untrusted. It refuses, leaving nothing behind:
// - a stream that ends early, an empty stream, a non-zero embedded item count;
// - a count or length larger than what remains of the stream could hold
//   (checked before anything is allocated), a panel count of 0 (a project
//   always has a panel);
// - the text prefix 0xFF 0xFFFE (never written);
// - a non-finite number (version, parameters, coordinates, speeds);
// - a mode outside the values the program knows: leMode 0..2, teMode 0..3,
//   spar width and thickness modes 0..2, spar type 0..7 (0 only arises from
//   the type remap of old files and marks a record of no category), cut order,
//   section reference 0..1, trimming mode 0..4;
// - a section whose two surfaces cannot form a profile;
// - bytes left over after the last field (the layout has no room for them;
//   they mean a damaged file or a layout this program does not know, and a
//   later save would silently drop them).
// Flags read as any non-zero value are taken as set.
//
// Encoding runs the same checks first, so the program never writes a file it
// would refuse to read back; it also refuses a surface of more than 65535
// points (the count is 16 bits) rather than store it truncated. Characters
// that Windows-1252 cannot hold are written as '?'.

inline constexpr double kContentsVersion = 1007.0;

// One end of a panel as stored: its parameters, the profile's two surfaces
// from the leading edge to the trailing edge (both starting at the leading
// edge point) and the profile name.
struct StoredSection {
  SectionParams params;
  PointList upper;
  PointList lower;
  std::string profileName;  // UTF-8

  friend bool operator==(const StoredSection&, const StoredSection&) = default;
};

// The saved fields of a Panel (PanelFieldTable lists them in stream order);
// the outlines are rebuilt after loading.
struct StoredPanel : PanelFields {
  StoredSection root;
  StoredSection tip;
  std::array<SparRecord, kSparCount> spars{};

  friend bool operator==(const StoredPanel&, const StoredPanel&) = default;
};

// The block position of files older than version 1004, stored once after the
// panels and given to every panel after loading.
struct LegacyBlockPosition {
  int offsetX0 = 0;
  int rootAxisOffset = 0;
  bool blockCentredZ = false;

  friend bool operator==(const LegacyBlockPosition&, const LegacyBlockPosition&) = default;
};

// Everything a project file holds.
struct ProjectData {
  double version = kContentsVersion;  // as read; encoding always writes 1007
  std::vector<StoredPanel> panels;    // list order; at least one
  bool splines = true;
  PanelCutChoices cutChoices;  // clearance is not stored
  std::string foamName;        // UTF-8
  double cutSpeed = 0.0;       // mm/s
  std::string comments;        // UTF-8
  // Files older than 1004 only; the panels already carry these values.
  std::optional<LegacyBlockPosition> legacyBlockPosition;
};

// The stored form of a panel: its fields, and the surfaces and names of its
// two profiles (ExtractUpper/ExtractLower), not the derived outlines.
StoredPanel storePanel(const Panel& panel);

// The stored profile points merged back into canonical order: the upper
// surface reversed, then the lower surface without its first point.
PointList mergeSurfaces(const StoredSection& section);

// A Panel with the stored fields, parameters and profiles; its outlines are
// not built (Panel::Rebuild does that). False when a stored surface cannot
// form a profile (never for a record decodeContents returned).
bool restorePanel(const StoredPanel& stored, Panel& panel);

// Why `data` cannot be stored or was refused, or nothing when it is sound.
std::optional<std::string> checkProjectData(const ProjectData& data);

// The stream of version 1007, or nothing (with the reason in `error`) when the
// record cannot be stored faithfully.
std::optional<std::string> encodeContents(const ProjectData& data, std::string* error = nullptr);

// The record held by `bytes`, or nothing (with the reason in `error`).
std::optional<ProjectData> decodeContents(std::string_view bytes, std::string* error = nullptr);

}  // namespace orva
