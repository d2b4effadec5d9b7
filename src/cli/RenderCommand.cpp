#include "cli/RenderCommand.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPageSize>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "app/AppPaths.h"
#include "cli/CliContext.h"
#include "cli/PanelCutSetup.h"
#include "common/Messages.h"
#include "cutting/CutSimulation.h"
#include "cutting/PanelCutForm.h"
#include "model/CT1Doc.h"
#include "model/ProjectFile.h"
#include "render/SceneFiles.h"
#include "scene/CutSimulationScene.h"
#include "scene/PreviewScenes.h"
#include "scene/ProfileViewScene.h"
#include "scene/WingViewScene.h"

namespace orva::cli {

std::unique_ptr<QCoreApplication> createApplication(int& argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "render") == 0) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    // Without a session (a cron job, a container, ssh) Qt falls back to a
    // private directory of its own and warns about it on stderr; make that
    // directory here so a picture written from a script prints nothing.
    provideRuntimeDirectory();
    return std::make_unique<QGuiApplication>(argc, argv);
  }
  return std::make_unique<QCoreApplication>(argc, argv);
}

namespace {

// --paper: the page size of a tiled PDF; nothing when the option is absent.
std::optional<QPageSize> paperOption(const QCommandLineParser& parser, bool& bad) {
  bad = false;
  if (!parser.isSet(QStringLiteral("paper"))) return std::nullopt;
  const QString name = parser.value(QStringLiteral("paper")).toLower();
  const std::pair<const char*, QPageSize::PageSizeId> sizes[] = {{"a4", QPageSize::A4},
                                                                 {"a3", QPageSize::A3},
                                                                 {"letter", QPageSize::Letter},
                                                                 {"legal", QPageSize::Legal}};
  for (const auto& [word, id] : sizes) {
    if (name == QLatin1String(word)) return QPageSize(id);
  }
  printError("--paper: expected one of A4, A3, Letter, Legal");
  bad = true;
  return std::nullopt;
}

int writeScene(const Scene& scene, const std::string& out, double dpi,
               const std::optional<QPageSize>& paper) {
  const std::string error =
      paper ? SceneFiles::writeTiledPdf(scene, out, *paper) : SceneFiles::write(scene, out, dpi);
  if (!error.empty()) {
    printError("render: " + error);
    return kExitFailure;
  }
  return kExitOk;
}

// One of the Panel Cutting dialog's pictures, with the dialog opened on the
// project and the cutting options applied as 'orva-cli survey' applies them.
int renderPreview(const QCommandLineParser& parser, bool front, double dpi, const std::string& out,
                  const std::optional<QPageSize>& paper) {
  double zoom = 0.25;
  if (parser.isSet(QStringLiteral("zoom")) &&
      !readNumberOption(parser, QStringLiteral("zoom"), 0.005, 20.0, zoom)) {
    return kExitUsage;
  }
  CutSetup setup(settingsOptions(parser));
  if (auto code = preparePanelCut(parser, setup)) return *code;
  if (parser.isSet(QStringLiteral("place"))) placeAutomatically(setup);
  const PanelCutForm form(setup.doc, setup.env);
  Scene scene =
      front ? PreviewScenes::front(form.frontPreview()) : PreviewScenes::top(form.topPreview());
  scene.unitsPerMm = 1.0 / zoom;  // the previews are drawn in millimetres of the table
  return writeScene(scene, out, dpi, paper);
}

// The planned cut of a panel, with the cutting options of 'orva-cli survey':
// all paths, the wire at --time (by default at the end).
int renderCut(const QCommandLineParser& parser, double dpi, const std::string& out,
              const std::optional<QPageSize>& paper) {
  double zoom = 1.0;
  if (parser.isSet(QStringLiteral("zoom")) &&
      !readNumberOption(parser, QStringLiteral("zoom"), 0.005, 20.0, zoom)) {
    return kExitUsage;
  }
  double time = 0.0;
  const bool atTime = parser.isSet(QStringLiteral("time"));
  if (atTime && !readNumberOption(parser, QStringLiteral("time"), 0.0, 1e9, time)) {
    return kExitUsage;
  }
  CutSetup setup(settingsOptions(parser));
  if (auto code = preparePanelCut(parser, setup)) return *code;
  if (parser.isSet(QStringLiteral("place"))) placeAutomatically(setup);
  const CutSimulation sim = CutSimulation::plan(setup.doc, setup.env, setup.speed);
  if (!sim.ok()) {
    printError("render: " + formatMessage(Msg::SimNotPlanned, {sim.error}));
    printPlacementHint(setup);
    return kExitFailure;
  }
  // The picture rings the warnings' places with their moves' numbers; their
  // texts, which start with those numbers, go to stderr as 'survey' prints them.
  for (const SimulationWarning& w : sim.warnings) printError("warning: " + w.text);
  const WireState wire = sim.at(atTime ? time : sim.totalTime);
  Scene scene = parser.isSet(QStringLiteral("3d"))
                    ? CutSimulationScene::oblique(sim, wire, ObliqueAngles{})
                    : CutSimulationScene::front(sim, wire);
  scene.unitsPerMm = 1.0 / zoom;
  return writeScene(scene, out, dpi, paper);
}

}  // namespace

int runRenderCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Draws a view of a project as a picture: PNG at --dpi, SVG or PDF in true\n"
      "millimetres (at zoom 1 a printed section is a 1:1 template). The views:\n"
      "  profile        the sections of the current panel (zoom 1 by default)\n"
      "  wing           the wing seen from the front and from above (zoom 0.1)\n"
      "  front-preview  the Panel Cutting dialog's front (or back) view of the block\n"
      "  top-preview    its top view of the table and the panel (both at zoom 0.25);\n"
      "                 the cutting options are those of 'orva-cli survey'.\n"
      "  cut            the planned cut of the panel seen from the front: the block's\n"
      "                 faces, the paths of both faces and both towers and the wire\n"
      "                 (at --time T seconds, by default at the end), the warnings'\n"
      "                 places ringed with their moves' numbers (the texts on stderr,\n"
      "                 as 'orva-cli survey' prints them); --3d the oblique view of\n"
      "                 the block and the surface the wire sweeps (zoom 1).\n"
      "\nExamples:\n"
      "  orva-cli render wing.cnc --view profile --panel 2 -o rib.pdf\n"
      "  orva-cli render wing.cnc --view profile --print --paper A4 -o ribs-on-a4.pdf\n"
      "  orva-cli render wing.cnc --view wing --full-wing -o wing.png\n"
      "  orva-cli render wing.cnc --view top-preview --side left -o table.svg\n"
      "  orva-cli render wing.cnc --view cut --panel 2 --time 60 -o cut.png\n"
      "  orva-cli render wing.cnc --view cut --3d -o cut3d.svg"));
  parser.addHelpOption();
  addPanelCutOptions(parser);  // the project file, --panel, the settings and the cutting choices
  const QString kView = QStringLiteral("view");
  parser.addOptions({
      {kView, QStringLiteral("profile, wing, front-preview, top-preview or cut."),
       QStringLiteral("VIEW")},
      {QStringLiteral("zoom"),
       QStringLiteral("Zoom factor (profile 1.0, wing 0.1, previews 0.25, cut 1.0 by default)."),
       QStringLiteral("Z")},
      {QStringLiteral("legends"), QStringLiteral("Legends 0|1 (default 1)."),
       QStringLiteral("0|1")},
      {QStringLiteral("print"),
       QStringLiteral("Printed look: black texts, the narrower left frame.")},
      {QStringLiteral("dpi"), QStringLiteral("PNG resolution (default 96)."), QStringLiteral("N")},
      {QStringLiteral("superposed"), QStringLiteral("Superposed profiles.")},
      {QStringLiteral("without-sweep"), QStringLiteral("Profiles without sweep-back.")},
      {QStringLiteral("cut-coordinates"), QStringLiteral("Circles at the cut outline's points.")},
      {QStringLiteral("profile-coordinates"), QStringLiteral("Circles at the profile's points.")},
      {QStringLiteral("le-on-top"), QStringLiteral("Leading edge on top 0|1 (default 1)."),
       QStringLiteral("0|1")},
      {QStringLiteral("full-wing"), QStringLiteral("Both halves of the wing.")},
      {QStringLiteral("paper"),
       QStringLiteral("PDF on pages of A4, A3, Letter or Legal at true scale, tiled with 10 mm "
                      "overlap and alignment marks when the drawing is larger than a page."),
       QStringLiteral("SIZE")},
      {QStringLiteral("time"),
       QStringLiteral("cut: the wire at T seconds after the start (default: the end)."),
       QStringLiteral("T")},
      {QStringLiteral("3d"), QStringLiteral("cut: the oblique three-dimensional view.")},
      {QStringLiteral("o"), QStringLiteral("Picture to write."), QStringLiteral("OUT")},
  });
  if (!parseOrReport(parser, args)) return kExitUsage;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1 || !parser.isSet(QStringLiteral("o")) || !parser.isSet(kView)) {
    printError("render: give one project file, --view and -o OUT");
    return kExitUsage;
  }
  const QString view = parser.value(kView);
  const bool preview =
      view == QStringLiteral("front-preview") || view == QStringLiteral("top-preview");
  const bool cut = view == QStringLiteral("cut");
  if (view != QStringLiteral("profile") && view != QStringLiteral("wing") && !preview && !cut) {
    printError("render: --view must be profile, wing, front-preview, top-preview or cut");
    return kExitUsage;
  }
  double dpi = 96.0;
  if (parser.isSet(QStringLiteral("dpi")) &&
      !readNumberOption(parser, QStringLiteral("dpi"), 10, 2400, dpi)) {
    return kExitUsage;
  }
  const std::string out = parser.value(QStringLiteral("o")).toStdString();
  bool badPaper = false;
  const std::optional<QPageSize> paper = paperOption(parser, badPaper);
  if (badPaper) return kExitUsage;
  if (paper && !QString::fromStdString(out).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    printError("render: --paper writes a PDF: give -o OUT.pdf");
    return kExitUsage;
  }
  if ((parser.isSet(QStringLiteral("time")) || parser.isSet(QStringLiteral("3d"))) && !cut) {
    printError("render: --time and --3d belong to --view cut");
    return kExitUsage;
  }
  if (cut) return renderCut(parser, dpi, out, paper);
  if (preview)
    return renderPreview(parser, view == QStringLiteral("front-preview"), dpi, out, paper);

  CliContext context(settingsOptions(parser));
  CT1Doc doc(context.program.project);
  if (!LoadProjectFile(doc, positional.first().toStdString())) return kExitFailure;

  double panel = 1.0;
  if (parser.isSet(QStringLiteral("panel")) &&
      !readNumberOption(parser, QStringLiteral("panel"), 1, static_cast<double>(doc.panels.size()),
                        panel)) {
    return kExitUsage;
  }
  doc.currentPanel = static_cast<int>(panel) - 1;
  const bool profile = view == QStringLiteral("profile");
  double zoom = profile ? 1.0 : 0.1;
  if (parser.isSet(QStringLiteral("zoom")) &&
      !readNumberOption(parser, QStringLiteral("zoom"), 0.005, 20.0, zoom)) {
    return kExitUsage;
  }
  (profile ? doc.display.profileViewScale : doc.display.wingViewScale) = zoom;
  if (parser.isSet(QStringLiteral("legends")) &&
      !readFlagOption(parser, QStringLiteral("legends"), doc.display.legends)) {
    return kExitUsage;
  }
  if (parser.isSet(QStringLiteral("le-on-top")) &&
      !readFlagOption(parser, QStringLiteral("le-on-top"), doc.display.leOnTop)) {
    return kExitUsage;
  }
  // --side: the half selected in full-wing mode, as the cutting choice it is.
  if (parser.isSet(QStringLiteral("side"))) {
    const QString side = parser.value(QStringLiteral("side"));
    if (side != QStringLiteral("right") && side != QStringLiteral("left")) {
      printError("--side: expected one of right, left");
      return kExitUsage;
    }
    doc.cutChoices.wingSide = side == QStringLiteral("left") ? 1 : 0;
  }
  doc.superposed = parser.isSet(QStringLiteral("superposed"));
  doc.display.profilesWithoutSweep = parser.isSet(QStringLiteral("without-sweep"));
  doc.display.cutCoordinates = parser.isSet(QStringLiteral("cut-coordinates"));
  doc.display.profileCoordinates = parser.isSet(QStringLiteral("profile-coordinates"));
  doc.display.fullWing = parser.isSet(QStringLiteral("full-wing"));
  const bool printing = parser.isSet(QStringLiteral("print"));

  const Scene scene = profile ? ProfileViewScene::build(doc, {.printing = printing})
                              : WingViewScene::build(doc, {.printing = printing});
  return writeScene(scene, out, dpi, paper);
}

}  // namespace orva::cli
