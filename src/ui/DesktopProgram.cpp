#include "ui/DesktopProgram.h"

#include <QFileInfo>
#include <QScreen>

#include "common/Messages.h"
#include "controller/SerialTransport.h"
#include "ui/CMainFrame.h"

namespace orva {

DesktopProgram::DesktopProgram(ProgramOptions options)
    : context_(prompt_, sound_, status_, std::move(options)) {
  status_.setCutRunning([this] { return context_.job.running(); });
  if (!context_.controllerSession().hasTransportFactory()) {
    context_.controllerSession().setTransportFactory([](const std::string& port, int baud) {
      return std::make_unique<SerialTransport>(port, baud);
    });
  }
}

DesktopProgram::~DesktopProgram() {
  // The windows go before the project they show.
  frame_.reset();
}

bool DesktopProgram::start(const QStringList& arguments, bool show) {
  frame_ = std::make_unique<CMainFrame>(context_, status_);
  prompt_.setParentWidget(frame_.get());
  context_.start();
  context_.restoreSimulationSpeedup();
  if (const auto refusal = context_.checkOptions()) {
    prompt_.showMessage(*refusal, MessageIcon::Stop);
    finished_ = true;  // nothing may be written
    return false;
  }
  QString project;
  for (const QString& argument : arguments) {
    if (!argument.startsWith(QLatin1Char('-'))) project = argument;
  }
  const bool loaded =
      !project.isEmpty() &&
      frame_->openProject(std::filesystem::u8path(QFileInfo(project).absoluteFilePath().toStdString())).opened();
  if (!loaded) {
    // A new project: the one the context made at start-up.
    frame_->showProjectWindows(windowsFor(context_.document ? context_.document->panels.size() : 1));
  }
  if (show) {
    // Without a window manager a maximised window keeps its own size: give
    // it the screen's.
    if (const QScreen* screen = frame_->screen()) frame_->setGeometry(screen->availableGeometry());
    frame_->showMaximized();
  }
  context_.resetPlanner();
  return true;
}

SaveReport DesktopProgram::finish() {
  if (finished_) return {};
  finished_ = true;
  SaveReport report = context_.shutdown();
  if (!report.ok()) {
    QStringList names;
    if (!report.settingsWritten) names << QString::fromStdString(context_.settingsStore().fileName().string());
    for (const auto& file : report.unsavedFiles) names << QString::fromStdString(file.string());
    prompt_.showMessage(formatMessage(Msg::ExitSaveFailed, {names.join(QLatin1Char('\n')).toStdString()}),
                        MessageIcon::Warning);
  }
  return report;
}

}  // namespace orva
