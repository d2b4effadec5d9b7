#pragma once

#include "cli/CliSupport.h"

namespace orva::cli {

// orva-cli info FILE.cnc: the whole project as JSON.
int runInfoCommand(const CommandArgs& args);
// orva-cli build WING.json -o FILE.cnc: a project from its JSON form.
int runBuildCommand(const CommandArgs& args);
// orva-cli export FILE.cnc [--panel N] -o OUT.txt: the text export of a panel.
int runExportCommand(const CommandArgs& args);

}  // namespace orva::cli
