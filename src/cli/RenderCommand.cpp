#include "cli/RenderCommand.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

#include "cli/CliContext.h"
#include "model/CT1Doc.h"
#include "model/ProjectFile.h"
#include "render/SceneFiles.h"
#include "scene/ProfileViewScene.h"
#include "scene/WingViewScene.h"

namespace orva::cli {

std::unique_ptr<QCoreApplication> createApplication(int& argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "render") == 0) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    return std::make_unique<QGuiApplication>(argc, argv);
  }
  return std::make_unique<QCoreApplication>(argc, argv);
}

int runRenderCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Draws a view of a project as a picture: PNG at --dpi, SVG or PDF in true\n"
      "millimetres (at zoom 1 a printed section is a 1:1 template)."));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Project file (.cnc)."));
  const QString kView = QStringLiteral("view");
  parser.addOptions({
      {kView, QStringLiteral("profile or wing."), QStringLiteral("VIEW")},
      {QStringLiteral("panel"), QStringLiteral("Current panel, from 1 (default 1)."), QStringLiteral("N")},
      {QStringLiteral("zoom"), QStringLiteral("Zoom factor (profile 1.0, wing 0.1 by default)."), QStringLiteral("Z")},
      {QStringLiteral("legends"), QStringLiteral("Legends 0|1 (default 1)."), QStringLiteral("0|1")},
      {QStringLiteral("print"), QStringLiteral("Printed look: black texts, the narrower left frame.")},
      {QStringLiteral("dpi"), QStringLiteral("PNG resolution (default 96)."), QStringLiteral("N")},
      {QStringLiteral("superposed"), QStringLiteral("Superposed profiles.")},
      {QStringLiteral("without-sweep"), QStringLiteral("Profiles without sweep-back.")},
      {QStringLiteral("cut-coordinates"), QStringLiteral("Circles at the cut outline's points.")},
      {QStringLiteral("profile-coordinates"), QStringLiteral("Circles at the profile's points.")},
      {QStringLiteral("le-on-top"), QStringLiteral("Leading edge on top 0|1 (default 1)."), QStringLiteral("0|1")},
      {QStringLiteral("full-wing"), QStringLiteral("Both halves of the wing.")},
      {QStringLiteral("wing-side"), QStringLiteral("Half selected in full-wing mode: 0 right, 1 left."),
       QStringLiteral("0|1")},
      {QStringLiteral("o"), QStringLiteral("Picture to write."), QStringLiteral("OUT")},
  });
  addSettingsOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1 || !parser.isSet(QStringLiteral("o")) || !parser.isSet(kView)) {
    printError("render: give one project file, --view and -o OUT");
    return kExitUsage;
  }
  const QString view = parser.value(kView);
  if (view != QStringLiteral("profile") && view != QStringLiteral("wing")) {
    printError("render: --view must be profile or wing");
    return kExitUsage;
  }

  CliContext context(settingsOptions(parser));
  CT1Doc doc(context.program.project);
  if (!LoadProjectFile(doc, positional.first().toStdString())) return kExitFailure;

  double panel = 1.0;
  if (parser.isSet(QStringLiteral("panel")) &&
      !readNumberOption(parser, QStringLiteral("panel"), 1, static_cast<double>(doc.panels.size()), panel)) {
    return kExitUsage;
  }
  doc.currentPanel = static_cast<int>(panel) - 1;
  const bool profile = view == QStringLiteral("profile");
  double zoom = profile ? 1.0 : 0.1;
  if (parser.isSet(QStringLiteral("zoom")) && !readNumberOption(parser, QStringLiteral("zoom"), 0.005, 20.0, zoom)) {
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
  bool left = false;
  if (parser.isSet(QStringLiteral("wing-side")) && !readFlagOption(parser, QStringLiteral("wing-side"), left)) {
    return kExitUsage;
  }
  doc.cutChoices.wingSide = left ? 1 : 0;
  doc.superposed = parser.isSet(QStringLiteral("superposed"));
  doc.display.profilesWithoutSweep = parser.isSet(QStringLiteral("without-sweep"));
  doc.display.cutCoordinates = parser.isSet(QStringLiteral("cut-coordinates"));
  doc.display.profileCoordinates = parser.isSet(QStringLiteral("profile-coordinates"));
  doc.display.fullWing = parser.isSet(QStringLiteral("full-wing"));
  double dpi = 96.0;
  if (parser.isSet(QStringLiteral("dpi")) && !readNumberOption(parser, QStringLiteral("dpi"), 10, 2400, dpi)) {
    return kExitUsage;
  }
  const bool printing = parser.isSet(QStringLiteral("print"));

  const Scene scene = profile ? ProfileViewScene::build(doc, {.printing = printing})
                              : WingViewScene::build(doc, {.printing = printing});
  const std::string error = SceneFiles::write(scene, parser.value(QStringLiteral("o")).toStdString(), dpi);
  if (!error.empty()) {
    printError("render: " + error);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace orva::cli
