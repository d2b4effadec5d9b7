#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "geometry/Profile.h"

namespace orva {

// Why a coordinate file could not be read.
enum class CoordinateFileStatus {
  Ok,
  CannotOpen,  // "Unable to Open file for Reading", then "Invalid .dat file"
  Invalid,     // "Invalid .dat file": too few points, bad count header, no leading edge, too large
};

// Why a file is invalid, as far as it can be told.
enum class CoordinateFileProblem {
  None,
  TooFewPoints,        // fewer than three points
  PercentCoordinates,  // x runs up to about 100: percent of the chord, not fractions
  CountHeader,         // a point-count header announcing more points than follow
  Other,
};

// "Invalid .dat file", followed by the reason when one is known.
std::string InvalidDatFileText(CoordinateFileProblem problem);

// Reads an airfoil coordinate file (.dat or .cor). On success `profile` holds
// the airfoil (its name from the last text line, else the file's base name);
// on failure it is unchanged.
// `problem` (when given) receives why an Invalid file was refused.
CoordinateFileStatus ReadCoordinateFile(const std::filesystem::path& path, Profile& profile,
                                        CoordinateFileProblem* problem = nullptr);

// The same reader over bytes already in memory; `fallbackName` names an airfoil
// whose text has no name line. Used by ReadCoordinateFile and the fuzz target.
CoordinateFileStatus ParseCoordinateText(std::string_view bytes, std::string_view fallbackName,
                                         Profile& profile,
                                         CoordinateFileProblem* problem = nullptr);

}  // namespace orva
