#pragma once

#include <QCoreApplication>
#include <memory>

#include "cli/CliSupport.h"

namespace orva::cli {

// The application object of a run: a GUI application (fonts and painting) for
// `render`, on the offscreen platform when no display is set; a core
// application for every other command.
std::unique_ptr<QCoreApplication> createApplication(int& argc, char** argv);

// orva-cli render FILE.cnc --view profile|wing [options] -o OUT.png|OUT.svg|OUT.pdf
int runRenderCommand(const CommandArgs& args);

}  // namespace orva::cli
