#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli replay FILE.cut [--data-dir DIR] [--yes] [--json]: runs a cut script
// on the simulated machine and reports what the machine did.
int runReplayCommand(const CommandArgs& args);

}  // namespace orva::cli
