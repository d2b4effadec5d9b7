#pragma once

#include "cli/CliSupport.h"
#include "motion/GcodeWriter.h"

namespace orva::cli {

// The G-code options shared by every command that can write G-code:
// --dialect grbl|fluidnc|linuxcnc, --axes LLLL, --s-max N, --no-heat.
void addGcodeOptions(QCommandLineParser& parser);
// Reads them; prints the problem and returns false when they cannot be used.
bool readGcodeOptions(const QCommandLineParser& parser, GcodeOptions& options);

// orva-cli gcode FILE.cut [options] -o OUT.ngc: a cut script planned again and
// written as G-code.
int runGcodeCommand(const CommandArgs& args);

}  // namespace orva::cli
