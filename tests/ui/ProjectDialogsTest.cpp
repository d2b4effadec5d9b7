#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "cutting/SparsForm.h"
#include "model/EllipticalWingForm.h"
#include "model/PanelParamsForm.h"
#include "model/XleConfigForm.h"
#include "ui/EllipticalWingDialog.h"
#include "ui/PanelParamsDialog.h"
#include "ui/ProjectDialogs.h"
#include "ui/SparsDialog.h"
#include "ui/XleConfigDialog.h"

namespace orva {
namespace {

using uitest::typeInto;

constexpr const char* kFivePointAirfoil =
    "FIVE\n1.0 0.0\n0.5 0.0625\n0.0 0.0\n0.5 -0.03125\n1.0 0.0\n";

// A program context of its own (settings in a scratch directory) beside the
// project rig, for the dialogs reached by command id.
struct ProgramRig {
  uitest::ScratchDir dir;
  uitest::ProjectRig rig;
  ProgramContext context{rig.prompt, rig.sound, rig.status,
                         uitest::WindowRig::optionsFor(dir.path())};
};

using uitest::child;
using uitest::edit;
using uitest::pressOk;

class ProjectDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void panelParametersEditsChoosesAirfoilsRefusesAndCommits() {
    uitest::ProjectRig rig;
    uitest::ScratchDir dir;
    rig.doc.current().root.params.leMargin = 10.0;
    PanelParamsForm form(rig.doc);
    PanelParamsDialog dialog(form, nullptr);
    dialog.show();
    QVERIFY(uitest::everyFieldBound(dialog));
    QCOMPARE(dialog.windowTitle(), QString("Panel Parameters"));
    QCOMPARE(uitest::groupTitles(dialog), QStringList({"Global", "Root", "Tip"}));

    // Reviewed in tests/data/ui/panel-parameters-session.txt: "..." reads a
    // new root airfoil at once and the tip follows the root; "Different
    // Root/Tip" opens the tip column, whose margins follow a new tip chord; a
    // refusal shows the message, focuses the box and keeps the dialog open.
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      const Panel& p = rig.doc.current();
      dump.line("shown " + std::to_string(dialog.isVisible()) + " form span " +
                form.text(PanelField::Span) + " panel span " +
                QString::number(p.span).toStdString() + " root " + p.root.profile.name +
                " different " + std::to_string(p.differentRootTip) + " tip chord " +
                QString::number(p.tip.params.chord).toStdString() + " modified " +
                std::to_string(rig.doc.modified));
    };
    step("opened");
    typeInto(edit(dialog, "span"), "600");
    rig.prompt.queueFile(dir.write("five.dat", kFivePointAirfoil));
    QTest::mouseClick(child<QPushButton>(dialog, "rootBrowse"), Qt::LeftButton);
    step("span 600, root airfoil read");
    child<QCheckBox>(dialog, "differentRootTip")->click();
    typeInto(edit(dialog, "tipChord"), "75");
    step("different root/tip, tip chord 75");
    typeInto(edit(dialog, "rootChord"), "abc");
    pressOk(dialog);
    step("root chord abc, OK");
    typeInto(edit(dialog, "rootChord"), "150");
    pressOk(dialog);
    step("root chord 150, OK");
    QVERIFY(uitest::matchesGolden("ui/panel-parameters-session.txt", dump.text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void xLeadingEdgeShowsTheAnglesDisabledAndStoresTheValues() {
    uitest::ProjectRig rig;
    const std::unique_ptr<XleConfigForm> form = rig.doc.XLeadingEdge();
    QVERIFY(form != nullptr);
    XleConfigDialog dialog(*form, nullptr);
    dialog.show();
    QVERIFY(uitest::everyFieldBound(dialog));
    QVERIFY(!edit(dialog, "rootAlpha")->isEnabled());
    QVERIFY(!edit(dialog, "tipBeta")->isEnabled());

    typeInto(edit(dialog, "tipLength"), "12.5");
    QCOMPARE(form->text(XleField::TipLength), std::string("12.5"));
    typeInto(edit(dialog, "rootH1"), "x");
    pressOk(dialog);
    QCOMPARE(uitest::focusName(dialog), QString("rootH1"));
    QCOMPARE(rig.doc.current().tip.params.xleLength, 10.0);

    typeInto(edit(dialog, "rootH1"), "7");
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(rig.doc.current().tip.params.xleLength, 12.5);
    QCOMPARE(rig.doc.current().root.params.xleH1, 7.0);
  }

  void sparsFollowTheRecordTypeAndModesAndKeepARefusedRecordSelected() {
    uitest::ProjectRig rig;
    SparsForm form(rig.doc);
    SparsDialog dialog(form, nullptr);
    dialog.show();
    QVERIFY(uitest::everyFieldBound(dialog));
    auto* rows = child<QListWidget>(dialog, "rows");
    QVERIFY(!rows->item(0)->icon().isNull());
    // Reviewed in tests/data/ui/spars-session.txt: the record's boxes follow
    // "Active"; a lower spar's tri-state thickness box steps to "entered",
    // which opens the tip box; another row cannot be selected while the
    // distance is refused.
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      const SparRecord& r = rig.doc.current().spars[0];
      dump.line("form row " + std::to_string(form.row()) + " type " + std::to_string(form.type()) +
                " thickness mode " + std::to_string(form.thicknessMode()));
      dump.line("shown " + std::to_string(dialog.isVisible()) + " stored active " +
                std::to_string(r.active) + " label " + r.label + " type " + std::to_string(r.type) +
                " distance " + QString::number(r.distance).toStdString() + " modified " +
                std::to_string(rig.doc.modified));
    };
    step("opened");
    child<QCheckBox>(dialog, "active")->click();
    typeInto(edit(dialog, "label"), "Main");
    child<QRadioButton>(dialog, "type1")->click();
    step("active, Main, lower spar");
    auto* thicknessMode = child<QCheckBox>(dialog, "thicknessMode");
    thicknessMode->click();
    thicknessMode->click();
    step("thickness entered");
    typeInto(edit(dialog, "distance"), "200");
    rows->setCurrentRow(1);
    step("distance 200, row 2");
    typeInto(edit(dialog, "distance"), "30");
    rows->setCurrentRow(1);
    step("distance 30, row 2");
    pressOk(dialog);
    step("OK");
    QVERIFY(uitest::matchesGolden("ui/spars-session.txt", dump.text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void ellipticalWingShowsThePanelsLiveAndBuildsThem() {
    uitest::ProjectRig rig;
    Panel& panel = rig.doc.current();
    panel.differentRootTip = true;
    panel.root.params.chord = 200.0;
    panel.tip.params.chord = 60.0;
    panel.span = 600.0;
    EllipticalWingForm form(rig.doc);
    EllipticalWingDialog dialog(form, nullptr);
    dialog.show();
    QVERIFY(uitest::everyFieldBound(dialog));

    auto* table = child<QTableWidget>(dialog, "panels");
    const auto shownLengths = [&] {
      double sum = 0.0;
      for (int k = 0; k < kMaxEllipsePanels; ++k) sum += table->item(2, k)->text().toDouble();
      return sum;
    };
    QVERIFY(form.panelCount() > 0);
    QCOMPARE(table->item(2, kMaxEllipsePanels)->text(),
             QString::number(form.computation().totalLength, 'f', 1));
    typeInto(edit(dialog, "halfSpan"), "900");
    QCOMPARE(form.model().halfSpan, 900.0);
    QCOMPARE(table->item(0, 0)->text(),
             QString::number(form.computation().rootFirst().front().rootChord, 'f', 1));
    QVERIFY(std::abs(shownLengths() - form.computation().totalLength) < 0.1 * kMaxEllipsePanels);
    QCOMPARE(table->item(2, form.panelCount())->text(), QString());  // no panel there
    QCOMPARE(EllipticalWingDialog::planformScene(form).items.size(),
             std::size_t(2 + 1 + form.panelCount()));  // axes, left ellipse, right panels
    child<QCheckBox>(dialog, "leftPanels")->click();
    QCOMPARE(EllipticalWingDialog::planformScene(form).items.size(),
             std::size_t(2 + 1 + 2 * form.panelCount()));

    typeInto(edit(dialog, "symmetry"), "150");
    pressOk(dialog);
    QCOMPARE(uitest::focusName(dialog), QString("symmetry"));
    QCOMPARE(rig.doc.panels.size(), std::size_t(1));

    typeInto(edit(dialog, "symmetry"), "50");
    const int expected = form.panelCount();
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(static_cast<int>(rig.doc.panels.size()), expected);
  }

  void commandsOpenTheirDialogs() {
    ProgramRig program;
    CT1Doc& doc = program.rig.doc;
    for (int id : {32782, 32890, 32906, 32781, 32780, 32791, 32835, 32814, 32902, 32908, 32836,
                   32903, 32907, 32910, 32909, 32813}) {
      QVERIFY2(isProjectDialogCommand(id), qPrintable(QString::number(id)));
    }
    QVERIFY(!isProjectDialogCommand(32869));
    QVERIFY(!runProjectDialog(32869, doc, program.context, nullptr));
    QCOMPARE(doc.panels.size(), std::size_t(1));

    // Comments: "Done" stores the text, closing keeps it.
    uitest::whenModal([](QWidget* w) {
      QCOMPARE(w->windowTitle(), QString("Comments"));
      child<QPlainTextEdit>(*w, "comments")->setPlainText("first\nsecond");
      QTest::mouseClick(child<QPushButton>(*w, "done"), Qt::LeftButton);
    });
    QVERIFY(runProjectDialog(32902, doc, program.context, nullptr));
    QCOMPARE(doc.comments, std::string("first\r\nsecond"));
    QVERIFY(doc.modified);
    uitest::whenModal([](QWidget* w) {
      QCOMPARE(child<QPlainTextEdit>(*w, "comments")->toPlainText(), QString("first\nsecond"));
      child<QPlainTextEdit>(*w, "comments")->setPlainText("lost");
      qobject_cast<QDialog*>(w)->reject();
    });
    QVERIFY(runProjectDialog(32814, doc, program.context, nullptr));
    QCOMPARE(doc.comments, std::string("first\r\nsecond"));

    // Panel split: the one box is refused out of range, then splits.
    uitest::whenModal([](QWidget* w) {
      QCOMPARE(w->windowTitle(), QString("Panel split"));
      auto* position = edit(*w, "position");
      QCOMPARE(position->text(), QString("50"));
      typeInto(position, "150");
      pressOk(*w);
      QVERIFY(w->isVisible());
      QCOMPARE(w->focusWidget(), static_cast<QWidget*>(position));
      typeInto(position, "25");
      pressOk(*w);
    });
    QVERIFY(runProjectDialog(32910, doc, program.context, nullptr));
    QCOMPARE(doc.panels.size(), std::size_t(2));

    // X cut at LE on a panel that is no wing panel: no dialog, nothing changes.
    doc.current().wingPanel = false;
    QVERIFY(runProjectDialog(32791, doc, program.context, nullptr));
    QCOMPARE(doc.current().leMode, 0);

    // Export: the save dialog proposes the document name, then the file is written.
    const std::string target = (program.dir / "export.txt").string();
    program.rig.prompt.clear();
    program.rig.prompt.queueFile(target);
    QVERIFY(runProjectDialog(32813, doc, program.context, nullptr));
    QCOMPARE(program.rig.prompt.calls().back().request.defaultName, std::string("Cutting.txt"));
    QVERIFY(std::filesystem::file_size(target) > 0);
  }
};

}  // namespace

ORVA_REGISTER_UI_TEST(ProjectDialogsTest)

}  // namespace orva

#include "ProjectDialogsTest.moc"
