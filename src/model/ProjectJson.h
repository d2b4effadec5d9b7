#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/ContentsCodec.h"

namespace orva {

// The JSON form of a project, as `orva-cli info` prints it and `orva-cli build`
// reads it. Field names are the program's own (panel, section, spar and
// project fields). Every section carries its profile: name, the two stored
// surfaces (leading edge to trailing edge) and, on output, the derived figures.
nlohmann::ordered_json projectToJson(const ProjectData& data);

// Where a JSON project is read: coordinate files named by "airfoil" are
// relative to `baseDirectory` (and not read at all without `readFiles`);
// missing panel fields take the values of a new panel for a table of
// `entraxe` mm.
struct ProjectJsonSource {
  std::filesystem::path baseDirectory;
  int entraxe = 1500;
  bool readFiles = true;
};

// Builds a project from its JSON form (the input is untrusted). Missing fields
// take the values of a new project; a section's airfoil may be given as
// "profile" (name, upper, lower), "airfoil" (a coordinate file), "naca"
// ("2412") or "default": true. A chord, span or foamThickness must be greater
// than 0. Throws std::runtime_error with a message that starts with the
// field's JSON path ("project.panels[0].root.chord: ...") on bad input.
// `warnings` (when given) receives, path first, every section whose outline
// as built for the cut leaves its block.
ProjectData projectFromJson(const nlohmann::json& json, const ProjectJsonSource& source,
                            std::vector<std::string>* warnings = nullptr);

}  // namespace orva
