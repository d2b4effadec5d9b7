#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli cut FILE.cnc [options] -o OUT.cut|OUT.ngc: the panel cut written as a
// cut script (or G-code with --format gcode).
int runCutCommand(const CommandArgs& args);
// orva-cli survey FILE.cnc [options]: the speed estimate of a panel cut as JSON.
int runSurveyCommand(const CommandArgs& args);

}  // namespace orva::cli
