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
QLineEdit* edit(const QWidget& root, const QString& name) { return child<QLineEdit>(root, name); }

void pressOk(QWidget& dialog) {
  QTest::mouseClick(child<QPushButton>(dialog, "ok"), Qt::LeftButton);
}

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

    auto* span = edit(dialog, "span");
    typeInto(span, "600");
    QCOMPARE(form.text(PanelField::Span), std::string("600"));

    // "..." reads a new root airfoil at once; the tip follows the root.
    rig.prompt.queueFile(dir.write("five.dat", kFivePointAirfoil));
    QTest::mouseClick(child<QPushButton>(dialog, "rootBrowse"), Qt::LeftButton);
    QCOMPARE(rig.doc.current().root.profile.name, std::string("FIVE"));
    QCOMPARE(edit(dialog, "rootAirfoil")->text(), QString("FIVE"));
    QCOMPARE(edit(dialog, "tipAirfoil")->text(), QString("FIVE"));
    QVERIFY(!child<QPushButton>(dialog, "tipBrowse")->isEnabled());

    // "Different Root/Tip" opens the tip column; the tip margins follow a
    // new tip chord on the screen.
    auto* tipChord = edit(dialog, "tipChord");
    QVERIFY(!tipChord->isEnabled());
    child<QCheckBox>(dialog, "differentRootTip")->click();
    QVERIFY(tipChord->isEnabled());
    QVERIFY(child<QPushButton>(dialog, "tipBrowse")->isEnabled());
    typeInto(tipChord, "75");
    QCOMPARE(edit(dialog, "tipLeMargin")->text(), QString("5.000000"));

    // A refusal: the message through the prompt, the focus on the box, still open.
    typeInto(edit(dialog, "rootChord"), "abc");
    rig.prompt.clear();
    pressOk(dialog);
    QCOMPARE(rig.prompt.messages(), std::vector<std::string>{"Please enter a number."});
    QVERIFY(dialog.isVisible());
    QCOMPARE(uitest::focusName(dialog), QString("rootChord"));

    typeInto(edit(dialog, "rootChord"), "150");
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(rig.doc.current().span, 600.0);
    QVERIFY(rig.doc.current().differentRootTip);
    QCOMPARE(rig.doc.current().tip.params.chord, 75.0);
    QVERIFY(rig.doc.modified);
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
    QCOMPARE(rows->count(), 10);
    QCOMPARE(rows->item(0)->text(), QString("Inactive"));
    QVERIFY(!rows->item(0)->icon().isNull());

    auto* label = edit(dialog, "label");
    QVERIFY(!label->isEnabled());
    child<QCheckBox>(dialog, "active")->click();
    QVERIFY(label->isEnabled());
    typeInto(label, "Main");

    // A lower spar: the tri-state thickness box steps to "entered", which
    // opens the tip box.
    auto* thicknessMode = child<QCheckBox>(dialog, "thicknessMode");
    child<QRadioButton>(dialog, "type1")->click();
    QCOMPARE(form.type(), 1);
    auto* tipThickness = edit(dialog, "tipThickness");
    QVERIFY(!tipThickness->isEnabled());
    thicknessMode->click();
    thicknessMode->click();
    QCOMPARE(form.thicknessMode(), 2);
    QCOMPARE(thicknessMode->checkState(), Qt::PartiallyChecked);
    QVERIFY(tipThickness->isEnabled());

    // Another row cannot be selected while the distance is refused.
    auto* distance = edit(dialog, "distance");
    typeInto(distance, "200");
    rows->setCurrentRow(1);
    QCOMPARE(rows->currentRow(), 0);
    QCOMPARE(form.row(), 0);
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(distance));
    QCOMPARE(rig.prompt.messages(),
             std::vector<std::string>{"Please enter a number between 1 and 99."});

    typeInto(distance, "30");
    rows->setCurrentRow(1);
    QCOMPARE(form.row(), 1);
    QCOMPARE(rows->item(0)->text(), QString("Main"));
    QVERIFY(!label->isEnabled());  // record 1 is inactive
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const SparRecord& stored = rig.doc.current().spars[0];
    QVERIFY(stored.active);
    QCOMPARE(stored.label, std::string("Main"));
    QCOMPARE(stored.type, 1);
    QCOMPARE(stored.distance, 30.0);
    QVERIFY(rig.doc.modified);
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
