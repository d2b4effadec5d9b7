#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli block-shaping [options] -o OUT: the block shaping cut, written.
int runBlockShapingCommand(const CommandArgs& args);
// orva-cli test-cut [options] -o OUT: the kerf calibration series, written.
int runTestCutCommand(const CommandArgs& args);

}  // namespace orva::cli
