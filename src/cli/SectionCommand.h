#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli section (FILE | --default | --naca DDDD) [section options] [tip options]
// Builds a panel's root (and, when a tip is given, tip) outlines in the order a
// panel rebuild uses and prints them as JSON, in chord fractions.
int runSectionCommand(const CommandArgs& args);

}  // namespace orva::cli
