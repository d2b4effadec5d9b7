#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/ScriptedPrompt.h"
#include "config/MachineConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"

namespace orva::uitest {

// A project on the simulated machine whose questions go to a scripted prompt.
struct ProjectRig {
  ProjectRig()
      : driver(std::make_unique<SimulatedMachine>(), prompt),
        machine(driver, prompt),
        context{prompt, machine, "", ""},
        doc(context) {}

  ScriptedPrompt prompt;
  InterfaceDriver driver;
  MachineConfig machine;
  ProjectContext context;
  CT1Doc doc;
};

// A directory of its own, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orva-ui-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
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
