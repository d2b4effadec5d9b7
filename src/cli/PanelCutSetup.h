#pragma once

#include <QCommandLineParser>
#include <optional>

#include "cli/CliContext.h"
#include "cli/CliSupport.h"
#include "model/CT1Doc.h"
#include "motion/CutEnvironment.h"
#include "motion/MovePlanner.h"

namespace orva::cli {

// The project, panel and machine of one cut, with the options applied.
struct CutSetup {
  explicit CutSetup(ProgramOptions options)
      : context(std::move(options)),
        planner(context.program.planner),
        env(context.program.cut),
        doc(context.program.project) {}

  CliContext context;
  MovePlanner& planner;
  CutEnvironment& env;
  CT1Doc doc;
  std::optional<double> speed;  // --speed; none: the cutting dialog's default
};

// The options of a panel cut (project file, panel, side, order, trimming,
// clearance, kerf, sections, foam, speed, placement), shared by the commands
// that plan one.
void addPanelCutOptions(QCommandLineParser& parser);
// Loads the project and applies the options. Returns an exit code (the
// message printed), or nothing when everything is set up.
std::optional<int> preparePanelCut(const QCommandLineParser& parser, CutSetup& setup);
// The fixes of the block placement, when planning found a tower out of travel.
void printPlacementHint(CutSetup& setup);
// --place auto: applies the placement fix (offsetX0 first).
void placeAutomatically(CutSetup& setup);

}  // namespace orva::cli
