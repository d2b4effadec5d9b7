#pragma once

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/ProgramContext.h"
#include "common/ScriptedPrompt.h"
#include "config/MachineConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "support/MachineRig.h"
#include "support/PortFakes.h"
#include "support/TestFiles.h"
#include "ui/CMainFrame.h"
#include "ui/FormDialog.h"
#include "ui/JobRunner.h"
#include "ui/StatusPanes.h"

namespace orva::uitest {

// A project on the simulated machine whose questions go to a scripted prompt.
using ProjectRig = test::ProjectRig;

// A directory of its own, removed afterwards, that writes files into itself.
struct ScratchDir : test::TempDir {
  std::string write(const std::string& name, const std::string& content) const {
    test::writeFile(*this / name, content);
    return (*this / name).string();
  }
};

// A program context on the simulated machine with its settings and data in
// `home` (a scratch directory of its own unless given; an existing settings
// file is kept, so a second rig on the same directory is the next start),
// started, and its main window shown. The window follows cuts and the job
// polls every millisecond.
struct WindowRig {
  WindowRig() : WindowRig(std::filesystem::path{}) {}
  explicit WindowRig(const std::filesystem::path& home)
      : dir(home.empty() ? scratch.path() : home), context(prompt, sound, status, optionsFor(dir)) {
    context.start();
    status.setCutRunning([this] { return context.job.running(); });
    frame = std::make_unique<CMainFrame>(context, status);
    frame->resize(1200, 800);
    frame->show();
    frame->jobRunner().setServiceInterval(std::chrono::milliseconds(1));
    context.job.setPollInterval(std::chrono::milliseconds(1));
  }
  // A cut a failed check left running ends before the window that shows it.
  ~WindowRig() {
    context.job.cancel();
    if (context.job.running()) context.job.runToEnd();
  }
  WindowRig(const WindowRig&) = delete;
  WindowRig& operator=(const WindowRig&) = delete;

  static ProgramOptions optionsFor(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir / "data");
    if (!std::filesystem::exists(dir / "settings.ini")) std::ofstream(dir / "settings.ini") << "";
    ProgramOptions options;
    options.settingsFile = dir / "settings.ini";
    options.dataDirectory = dir / "data";
    return options;
  }
  SimulatedMachine& machine() { return dynamic_cast<SimulatedMachine&>(context.driver.device()); }
  double mm(Axis axis) { return machine().snapshot()[axis].actualMm; }
  std::int64_t steps(Axis axis) { return machine().snapshot()[axis].commandedSteps; }
  // Waits for the cut the window follows; true when it ran to its end.
  bool cutRunsToItsEnd() {
    QSignalSpy finished(&frame->jobRunner(), &JobRunner::finished);
    if (!frame->jobRunner().following()) return false;
    if (!finished.wait(20000)) return false;
    return finished.at(0).at(0).value<CutJobResult>() == CutJobResult::Done;
  }

  test::TempDir scratch;
  std::filesystem::path dir;
  ScriptedPrompt prompt;
  test::RecordingSound sound;
  StatusPanes status;
  ProgramContext context;
  std::unique_ptr<CMainFrame> frame;
};

// Runs `action` on the next modal window once it is shown (a dialog run with
// exec() by the code under test), polling for up to two seconds.
inline void whenModal(std::function<void(QWidget*)> action, int triesLeft = 200) {
  QTimer::singleShot(10, [action = std::move(action), triesLeft] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
      action(modal);
    } else if (triesLeft > 0) {
      whenModal(action, triesLeft - 1);
    }
  });
}

// The widget of this name under root (a warning names a missing one).
template <typename T>
T* child(const QWidget& root, const QString& name) {
  T* w = root.findChild<T*>(name);
  if (w == nullptr) qWarning("no widget %s", qPrintable(name));
  return w;
}

// Every field of the dialog's form has a widget of its name and the binder
// found it.
inline bool everyFieldBound(FormDialog& dialog) {
  for (const FieldInfo& info : dialog.form().fieldTable()) {
    if (dialog.findChild<QWidget*>(uiText(info.name)) == nullptr) {
      qWarning("field %s has no widget", info.name.data());
      return false;
    }
  }
  return dialog.binder().unboundFields().empty();
}

// The titles of the dialog's group boxes in their order.
inline QStringList groupTitles(const QWidget& dialog) {
  QStringList titles;
  for (const QGroupBox* g : dialog.findChildren<QGroupBox*>()) titles << g->title();
  return titles;
}

// The object name of the widget with the focus in `dialog` (empty: none).
inline QString focusName(const QWidget& dialog) {
  return dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
}

// Replaces an edit box's text as a user would: select all, type.
inline void typeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Delete);
  } else {
    QTest::keyClicks(edit, text);
  }
}

}  // namespace orva::uitest
