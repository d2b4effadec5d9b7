#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "geometry/Profile.h"

namespace orva {

// Why a coordinate file could not be read.
enum class CoordinateFileStatus {
  Ok,
  CannotOpen,  // "Unable to Open file for Reading", then "Invalid .dat file"
  Invalid,     // "Invalid .dat file": too few points, bad count header, no leading edge, too large
};

// Reads an airfoil coordinate file (.dat or .cor). On success `profile` holds
// the airfoil (its name from the last text line, else the file's base name);
// on failure it is unchanged.
CoordinateFileStatus ReadCoordinateFile(const std::filesystem::path& path, Profile& profile);

// The same reader over bytes already in memory; `fallbackName` names an airfoil
// whose text has no name line. Used by ReadCoordinateFile and the fuzz target.
CoordinateFileStatus ParseCoordinateText(std::string_view bytes, std::string_view fallbackName,
                                         Profile& profile);

}  // namespace orva
