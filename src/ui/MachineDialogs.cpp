#include "ui/MachineDialogs.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

#include "app/DirectoriesForm.h"
#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "common/StatusPort.h"
#include "config/CurrentTableForm.h"
#include "config/FoamManagementForm.h"
#include "config/MaterialNameForm.h"
#include "config/TableConfigForm.h"
#include "config/TableNameForm.h"
#include "cutting/AuxiliaryCuts.h"
#include "cutting/BlockShapingForm.h"
#include "cutting/FoamCutForm.h"
#include "cutting/TestCutForm.h"
#include "motion/CutScript.h"
#include "ui/AuxiliaryCutDialog.h"
#include "ui/CMainFrame.h"
#include "ui/DirectoriesDialog.h"
#include "ui/FoamCutDialog.h"
#include "ui/FoamManagementDialog.h"
#include "ui/FormDialog.h"
#include "ui/JobRunner.h"
#include "ui/TableConfigDialog.h"
#include "ui/TableManagementDialog.h"

namespace orva {

namespace {

enum class MachineCommand {
  None,
  BlockShaping,
  TestCut,
  FoamCut,
  Script,
  TableManagement,
  TableConfiguration,
  FoamManagement,
  Files
};

MachineCommand commandOf(int id) {
  switch (id) {
    case 32798:
      return MachineCommand::BlockShaping;
    case 32799:
      return MachineCommand::TestCut;
    case 32811:
      return MachineCommand::FoamCut;
    case 32837:
      return MachineCommand::Script;
    case 32901:
      return MachineCommand::TableManagement;
    case 32779:
      return MachineCommand::TableConfiguration;
    case 32805:
      return MachineCommand::FoamManagement;
    case 32812:
      return MachineCommand::Files;
    default:
      return MachineCommand::None;
  }
}

// The block values of the auxiliary cut dialogs, kept with the project they
// were entered for: a project opened or created afterwards starts from the
// defaults again. The holder lives as long as the main window; it knows that
// its project is gone when the observer it left with the project was
// released (a project drops its observers when it is destroyed).
class AuxiliaryCutMemory : public QObject {
 public:
  explicit AuxiliaryCutMemory(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("auxiliaryCutMemory"));
  }

  static AuxiliaryCutMemory& of(CMainFrame& frame) {
    auto* memory = frame.findChild<AuxiliaryCutMemory*>(QStringLiteral("auxiliaryCutMemory"),
                                                        Qt::FindDirectChildrenOnly);
    return memory != nullptr ? *memory : *new AuxiliaryCutMemory(&frame);
  }

  AuxiliaryCutValues& valuesFor(CT1Doc& doc) {
    if (doc_ != &doc || alive_.expired()) {
      values_ = AuxiliaryCutValues{};
      doc_ = &doc;
      auto alive = std::make_shared<int>(0);
      alive_ = alive;
      doc.subscribe([alive](DocChanges) {});
    }
    return values_;
  }

 private:
  const CT1Doc* doc_ = nullptr;
  std::weak_ptr<int> alive_;
  AuxiliaryCutValues values_;
};

// The table may have changed: pane 1 and the simulated machine follow it.
void followTable(ProgramContext& context) {
  context.syncMachineToTable();
  context.status.setStatusText(context.machine.currentTable);
}

// Hands a cut that `start` began to the window's job runner.
void follow(CMainFrame& frame, const std::optional<bool>& started, JobRunner::Done done = {}) {
  if (started && *started) frame.jobRunner().follow(std::move(done));
}

void runBlockShaping(CMainFrame& frame, ProgramContext& context, CT1Doc& doc) {
  using F = BlockShapingField;
  BlockShapingForm form(doc, AuxiliaryCutMemory::of(frame).valuesFor(doc), context.auxiliaryCuts);
  constexpr int kLeft[] = {int(F::X0), int(F::BlockCentred), int(F::LeftAxisOffset),
                           int(F::Length), int(F::YDimension)};
  constexpr int kRight[] = {int(F::LeftWidth), int(F::RightWidth), int(F::Taper),
                            int(F::FoamType), int(F::CutSpeed)};
  AuxiliaryCutDialog dialog(form, BlockShapingForm::title(), kLeft, kRight, &frame);
  if (dialog.exec() != QDialog::Accepted) return;
  follow(frame, StartBlockShaping(context.job, form.params()));
}

void runTestCut(CMainFrame& frame, ProgramContext& context, CT1Doc& doc) {
  using F = TestCutField;
  TestCutForm form(doc, AuxiliaryCutMemory::of(frame).valuesFor(doc), context.auxiliaryCuts);
  constexpr int kLeft[] = {int(F::StartWithTop), int(F::X0),        int(F::BlockCentred),
                           int(F::LeftAxisOffset), int(F::Spacing), int(F::NumberOfCuts),
                           int(F::YDimension)};
  constexpr int kRight[] = {int(F::LeftWidth), int(F::RightWidth), int(F::Taper),
                            int(F::Length),    int(F::Height),     int(F::FoamType),
                            int(F::CutSpeed),  int(F::Heat)};
  AuxiliaryCutDialog dialog(form, TestCutForm::title(), kLeft, kRight, &frame);
  if (dialog.exec() != QDialog::Accepted) return;
  follow(frame, StartTestCut(context.job, form.params()));
}

void runFoamCut(CMainFrame& frame, CT1Doc& doc) {
  FoamCutForm form(doc);
  FoamCutDialog dialog(form, frame.jobRunner(), &frame);
  dialog.exec();
}

void runScript(CMainFrame& frame, ProgramContext& context) {
  // A script may make another table current (its "N:" lines): the simulated
  // machine takes it before the moves run, pane 1 shows it once the cut no
  // longer fills the status bar.
  const std::optional<bool> started =
      StartCutScript(context.cut, context.job, [&context] { context.syncMachineToTable(); });
  if (started && *started) {
    frame.jobRunner().follow([&context](CutJobResult) { followTable(context); });
  } else {
    followTable(context);
  }
}

void runTableManagement(CMainFrame& frame, ProgramContext& context) {
  CurrentTableForm form(
      context.machine, context.prompt,
      [&frame](TableNameForm& nameForm) { runTableNameDialog(nameForm, &frame); },
      [&context](std::string_view name) { context.status.setStatusText(name); });
  form.open();
  TableManagementDialog dialog(form, &frame);
  dialog.exec();
  followTable(context);
}

void runTableConfiguration(CMainFrame& frame, ProgramContext& context) {
  TableConfigFormHooks hooks;
  hooks.makeTableCurrent = [&context](const std::string& name) { context.makeTableCurrent(name); };
  hooks.resetPlanner = [&context] { context.resetPlanner(); };
  TableConfigForm form(context.machine.table, context.settings.Port,
                       context.machine.tables.listedNames(), context.machine.currentTable,
                       context.machine.dataDirectory, context.prompt, std::move(hooks));
  TableConfigDialog dialog(form, &frame);
  dialog.exec();
  followTable(context);
}

void runFoamManagement(CMainFrame& frame, ProgramContext& context) {
  FoamManagementForm form(
      context.machine.foams, context.driver, context.prompt, context.machine.tables.listedNames(),
      context.machine.currentTable,
      [&frame](MaterialNameForm& nameForm) { runMaterialNameDialog(nameForm, &frame); },
      [&context](const std::string& name) { context.makeTableCurrent(name); });
  FoamManagementDialog dialog(form, &frame);
  dialog.exec();
  followTable(context);
}

void runFiles(CMainFrame& frame, ProgramContext& context) {
  const SaveReport report = context.EditFileSettings([&frame](DirectoriesForm& form) {
    DirectoriesDialog dialog(form, &frame);
    dialog.exec();
  });
  if (!report.unsavedFiles.empty()) {
    QStringList names;
    for (const auto& file : report.unsavedFiles) names << QString::fromStdString(file.string());
    context.prompt.showMessage(
        formatMessage(Msg::ExitSaveFailed, {names.join(QLatin1Char('\n')).toStdString()}),
        MessageIcon::Warning);
  }
  followTable(context);
}

}  // namespace

void runTableNameDialog(TableNameForm& form, QWidget* parent) {
  const std::unique_ptr<FormDialog> dialog = FormDialog::plain(form, form.title(), parent);
  if (auto* edit = dialog->findChild<QLineEdit*>(
          uiText(form.fieldName(static_cast<int>(TableNameField::Name))))) {
    edit->setMaxLength(static_cast<int>(TableNameForm::kMaxLength));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 30);
  }
  if (dialog->exec() != QDialog::Accepted) form.cancel();
}

void runMaterialNameDialog(MaterialNameForm& form, QWidget* parent) {
  const std::unique_ptr<FormDialog> dialog =
      FormDialog::plain(form, messageText(Msg::EnterNewMaterialName), parent);
  if (auto* edit = dialog->findChild<QLineEdit*>(
          uiText(form.fieldName(static_cast<int>(MaterialNameField::Name))))) {
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 30);
  }
  // OK only; closing the window dismisses the dialog.
  if (auto* box = dialog->findChild<QDialogButtonBox*>()) {
    for (QAbstractButton* button : box->buttons()) {
      if (box->buttonRole(button) == QDialogButtonBox::RejectRole) button->hide();
    }
  }
  dialog->exec();
}

bool isMachineDialogCommand(int commandId) { return commandOf(commandId) != MachineCommand::None; }

bool runMachineDialog(int commandId, CMainFrame& frame, ProgramContext& context) {
  const MachineCommand command = commandOf(commandId);
  if (command == MachineCommand::None) return false;
  CT1Doc* doc = context.document.get();
  const bool needsProject = command == MachineCommand::BlockShaping || command == MachineCommand::TestCut ||
                            command == MachineCommand::FoamCut;
  if (needsProject && doc == nullptr) return false;
  // The cut reads the table and the foams, and there is one cut at a time.
  if (context.job.running()) {
    context.prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Warning);
    return true;
  }
  switch (command) {
    case MachineCommand::None:
      return false;
    case MachineCommand::BlockShaping:
      runBlockShaping(frame, context, *doc);
      break;
    case MachineCommand::TestCut:
      runTestCut(frame, context, *doc);
      break;
    case MachineCommand::FoamCut:
      runFoamCut(frame, *doc);
      break;
    case MachineCommand::Script:
      runScript(frame, context);
      break;
    case MachineCommand::TableManagement:
      runTableManagement(frame, context);
      break;
    case MachineCommand::TableConfiguration:
      runTableConfiguration(frame, context);
      break;
    case MachineCommand::FoamManagement:
      runFoamManagement(frame, context);
      break;
    case MachineCommand::Files:
      runFiles(frame, context);
      break;
  }
  return true;
}

}  // namespace orva
