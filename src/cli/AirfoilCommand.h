#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli airfoil (FILE | --default | --naca DDDD) [--points] [--compact]
// Reports an airfoil's canonical form and derived figures as JSON.
int runAirfoilCommand(const CommandArgs& args);

}  // namespace orva::cli
