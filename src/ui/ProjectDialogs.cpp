#include "ui/ProjectDialogs.h"

#include <memory>
#include <string>

#include "app/ProgramContext.h"
#include "app/ProjectOpener.h"
#include "common/Messages.h"
#include "cutting/SparsForm.h"
#include "model/CT1Doc.h"
#include "model/EllipticalWingForm.h"
#include "model/PanelParamsForm.h"
#include "model/SplitPanelForm.h"
#include "model/TextExport.h"
#include "model/XleConfigForm.h"
#include "ui/CommentsDialog.h"
#include "ui/EllipticalWingDialog.h"
#include "ui/FormDialog.h"
#include "ui/PanelParamsDialog.h"
#include "ui/SparsDialog.h"
#include "ui/XleConfigDialog.h"

namespace orva {

namespace {

enum class Dialog {
  None,
  PanelParams,
  RootProfile,
  TipProfile,
  Xle,
  Comments,
  Spars,
  Split,
  Elliptical,
  Export
};

Dialog dialogOf(int commandId) {
  switch (commandId) {
    case CT1Doc::kCmdPanelParameters:
    case 32890:  // wing view pop-up
    case 32906:  // profile view pop-up
      return Dialog::PanelParams;
    case CT1Doc::kCmdRootProfile:
      return Dialog::RootProfile;
    case CT1Doc::kCmdTipProfile:
      return Dialog::TipProfile;
    case CT1Doc::kCmdLeXCut:
    case CT1Doc::kCmdXLeadingEdge:
      return Dialog::Xle;
    case CT1Doc::kCmdComments:
    case 32902:
    case 32908:
      return Dialog::Comments;
    case 32836:
    case 32903:
    case 32907:
      return Dialog::Spars;
    case 32910:
      return Dialog::Split;
    case 32909:
      return Dialog::Elliptical;
    case 32813:
      return Dialog::Export;
    default:
      return Dialog::None;
  }
}

}  // namespace

bool isProjectDialogCommand(int commandId) { return dialogOf(commandId) != Dialog::None; }

bool runProjectDialog(int commandId, CT1Doc& doc, ProgramContext& context, QWidget* parent) {
  (void)context;  // the project reaches the table, foams and prompt through its own context
  switch (dialogOf(commandId)) {
    case Dialog::None:
      return false;
    case Dialog::PanelParams: {
      PanelParamsForm form(doc);
      PanelParamsDialog dialog(form, parent);
      dialog.exec();
      return true;
    }
    case Dialog::RootProfile:
      doc.SelectRootProfile();
      return true;
    case Dialog::TipProfile:
      doc.SelectTipProfile();
      return true;
    case Dialog::Xle: {
      // Nothing opens (and nothing changes) on a panel that is not a wing panel.
      const std::unique_ptr<XleConfigForm> form = doc.XLeadingEdge();
      if (form) {
        XleConfigDialog dialog(*form, parent);
        dialog.exec();
      }
      return true;
    }
    case Dialog::Comments: {
      CommentsDialog dialog(doc.comments, parent);
      doc.EditComments(dialog.run());
      return true;
    }
    case Dialog::Spars: {
      SparsForm form(doc);
      SparsDialog dialog(form, parent);
      dialog.exec();
      return true;
    }
    case Dialog::Split: {
      SplitPanelForm form(doc);
      const std::unique_ptr<FormDialog> dialog =
          FormDialog::plain(form, SplitPanelForm::title(), parent);
      dialog->exec();
      return true;
    }
    case Dialog::Elliptical: {
      EllipticalWingForm form(doc);
      EllipticalWingDialog dialog(form, parent);
      dialog.exec();
      return true;
    }
    case Dialog::Export:
      ExportDocument(doc, ProjectTitle(doc));
      return true;
  }
  return false;
}

}  // namespace orva
