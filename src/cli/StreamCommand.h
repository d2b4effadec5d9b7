#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli stream FILE.ngc --port PATH [--baud N] [--rx-buffer N] [--axes LLLL]:
// sends a G-code file to a GRBL-family controller on a serial port.
int runStreamCommand(const CommandArgs& args);

}  // namespace orva::cli
