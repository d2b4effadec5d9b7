#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "model/ContentsCodec.h"

namespace orva::cli {

// The JSON form of a project, as `orva-cli info` prints it and `orva-cli build`
// reads it. Field names are the program's own (panel, section, spar and
// project fields). Every section carries its profile: name, the two stored
// surfaces (leading edge to trailing edge) and, on output, the derived figures.
nlohmann::ordered_json projectToJson(const ProjectData& data);

// Builds a project from its JSON form. Missing fields take the values of a
// new project (a new panel for a table of `entraxe` mm); a section's airfoil
// may be given as "profile" (name, upper, lower), "airfoil" (a coordinate
// file, relative to `baseDirectory`), "naca" ("2412") or "default": true.
// Throws std::runtime_error with a message naming the field on bad input.
ProjectData projectFromJson(const nlohmann::json& json, const std::filesystem::path& baseDirectory,
                            int entraxe);

}  // namespace orva::cli
