#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ProgramContext.h"
#include "common/ScriptedPrompt.h"
#include "config/MachineConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "support/Golden.h"
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

inline QLineEdit* edit(const QWidget& root, const QString& name) {
  return child<QLineEdit>(root, name);
}

// A click as the user makes it (clicked() with the new state).
inline void click(const QWidget& root, const QString& name) {
  child<QAbstractButton>(root, name)->click();
}

// The mouse on the dialog's OK button.
inline void pressOk(const QWidget& dialog) {
  QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
}

// Chooses an entry of a drop-down list as the user does.
inline void choose(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
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

// The state of every named control under `root`, one line each in creation
// order: an edit box's text, a list's choice among its entries, a check or
// radio button's mark, a push button's text, each followed by "disabled",
// "read-only" or "hidden" when so.
inline std::string controlStates(const QWidget& root) {
  std::string text;
  const auto quoted = [](const QString& s) { return "\"" + s.toStdString() + "\""; };
  for (const QWidget* w : root.findChildren<QWidget*>()) {
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith("qt_")) continue;
    std::string line;
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
      line = quoted(e->text()) + (e->isReadOnly() ? " read-only" : "");
    } else if (const auto* c = qobject_cast<const QComboBox*>(w)) {
      line = "#" + std::to_string(c->currentIndex()) + " of";
      for (int i = 0; i < c->count(); ++i) line += " " + quoted(c->itemText(i));
    } else if (const auto* l = qobject_cast<const QListWidget*>(w)) {
      for (int i = 0; i < l->count(); ++i) {
        line += (i == l->currentRow() ? " *" : " ") + quoted(l->item(i)->text());
      }
      line.erase(0, 1);
    } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
      const auto* box = qobject_cast<const QCheckBox*>(w);
      if (box != nullptr && box->checkState() == Qt::PartiallyChecked) {
        line = "[-]";
      } else if (b->isCheckable()) {
        line = qobject_cast<const QRadioButton*>(w) ? (b->isChecked() ? "(o)" : "( )")
                                                    : (b->isChecked() ? "[x]" : "[ ]");
      } else {
        line = quoted(QString(b->text()).remove('&'));
      }
    } else {
      continue;
    }
    text += "  " + name.toStdString() + " " + line + (w->isEnabled() ? "" : " disabled") +
            (w->isVisibleTo(&root) ? "" : " hidden") + "\n";
  }
  return text;
}

// A dialog session written step by step: the step, the controls' states
// (all at the first step, then those that changed), the focus and the
// messages the user was shown since the last step.
struct SessionDump {
  std::string text;
  std::vector<std::string> shown;  // the controls' lines of the last step
  void step(const std::string& title, const QWidget& dialog, ScriptedPrompt& prompt) {
    text += "> " + title + "\n";
    std::vector<std::string> now;
    const std::string states = controlStates(dialog);
    for (std::size_t at = 0, end; at < states.size(); at = end + 1) {
      end = states.find('\n', at);
      now.push_back(states.substr(at, end - at));
      if (now.size() > shown.size() || shown[now.size() - 1] != now.back()) {
        text += now.back() + "\n";
      }
    }
    shown = now;
    text += "  focus " + focusName(dialog).toStdString() + "\n";
    for (const std::string& m : prompt.messages()) text += "  message \"" + m + "\"\n";
    prompt.clear();
  }
  void line(const std::string& l) { text += "  " + l + "\n"; }
};

// test::expectGolden for Qt Test: false, with the diff command as a warning,
// when `actual` differs from the reviewed reference tests/data/<reference>.
inline bool matchesGolden(const std::filesystem::path& reference, const std::string& actual) {
  const std::string mismatch = test::goldenMismatch(reference, actual);
  if (!mismatch.empty()) qWarning("%s", mismatch.c_str());
  return mismatch.empty();
}

}  // namespace orva::uitest
