#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli tables [--json]: the cutting tables of the data directory.
int runTablesCommand(const CommandArgs& args);
// orva-cli foams [--json]: the foams of the current (or --table) table.
int runFoamsCommand(const CommandArgs& args);

}  // namespace orva::cli
