#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "ui/QtUserPrompt.h"

namespace orva {
namespace {

enum class TF : int { Name, Note, Enabled, Choice, Rows, Mode, Kind, Go };

// A form with one field of each kind and live rules that touch other fields,
// so that what the binder re-reads after an edit can be seen.
//   - "enabled" off disables "name";
//   - "name" is shown upper-cased; "note" tells the last change;
//   - row 2 of "rows" is refused with the focus on "mode";
//   - OK refuses an empty name with the focus on it.
class TestForm : public FormOf<TF> {
 public:
  std::span<const FieldInfo> fieldTable() const override {
    static const FieldInfo kTable[] = {
        {id(TF::Name), "name", FieldKind::Text, "Name"},
        {id(TF::Note), "note", FieldKind::Display, "Note"},
        {id(TF::Enabled), "enabled", FieldKind::Check, "Enabled"},
        {id(TF::Choice), "choice", FieldKind::List, "Choice"},
        {id(TF::Rows), "rows", FieldKind::List, "Rows"},
        {id(TF::Mode), "mode", FieldKind::List, "Mode"},
        {id(TF::Kind), "kind", FieldKind::List, "Kind"},
        {id(TF::Go), "go", FieldKind::Button, "Go"},
    };
    return kTable;
  }

  std::string name;
  std::string note;
  bool on = true;
  std::array<int, 4> index{0, 0, 0, 0};  // choice, rows, mode, kind
  int committed = 0;

 protected:
  std::string fieldText(int f) const override { return f == id(TF::Name) ? name : note; }
  bool takeText(int, std::string_view text) override {
    name.clear();
    for (char c : text) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    note = "name";
    return true;
  }
  bool fieldChecked(int) const override { return on; }
  bool takeChecked(int, bool value) override {
    on = value;
    note = value ? "on" : "off";
    return true;
  }
  std::vector<std::string> fieldOptions(int f) const override {
    if (f == id(TF::Mode)) return {"0", "1", "2"};
    if (f == id(TF::Kind)) return {"a", "b", "c"};
    return {"first", "second", "third"};
  }
  int fieldIndex(int f) const override { return index[slot(f)]; }
  bool takeIndex(int f, int i) override {
    if (f == id(TF::Rows) && i == 2) return refuse(id(TF::Mode), "row refused");
    index[slot(f)] = i;
    note = std::string(fieldName(f)) + " " + std::to_string(i);
    return true;
  }
  bool fieldEnabled(int f) const override { return f != id(TF::Name) || on; }
  bool accept() override {
    if (name.empty()) return refuse(id(TF::Name), "Name needed");
    ++committed;
    return true;
  }

 private:
  static std::size_t slot(int f) { return static_cast<std::size_t>(f - id(TF::Choice)); }
};

// The form's widgets built by hand, one of each kind the binder serves.
struct TestDialog : FormDialog {
  explicit TestDialog(TestForm& form) : FormDialog(form, "Test", nullptr) {
    mode->setTristate(true);
    auto* kinds = new QVBoxLayout(kind);
    for (const char* text : {"A", "B", "C"}) kinds->addWidget(new QRadioButton(text, kind));
    layout->addWidget(makeOkCancel());
    bind(FormBinder::Refusals::ShownByBinder);
  }
  // A widget of the field's name in the layout, in the order of the fields.
  template <typename W, typename... Args>
  W* add(const char* objectName, Args... args) {
    auto* w = new W(args..., this);
    w->setObjectName(objectName);
    layout->addWidget(w);
    return w;
  }
  QVBoxLayout* layout = new QVBoxLayout(this);
  QLineEdit* name = add<QLineEdit>("name");
  QLabel* note = add<QLabel>("note");
  QCheckBox* enabled = add<QCheckBox>("enabled", "Enabled");
  QComboBox* choice = add<QComboBox>("choice");
  QListWidget* rows = add<QListWidget>("rows");
  QCheckBox* mode = add<QCheckBox>("mode", "Mode");
  QGroupBox* kind = add<QGroupBox>("kind");
  QPushButton* go = add<QPushButton>("go", "Go");
};

QRadioButton* radio(QGroupBox* group, int i) { return group->findChildren<QRadioButton*>()[i]; }

class FormBinderTest : public QObject {
  Q_OBJECT

 private slots:
  void everyWidgetKindShowsTheFormAndHandsItsEditsOver() {
    TestForm form;
    form.name = "START";
    form.index = {1, 0, 2, 2};
    TestDialog dialog(form);
    dialog.show();
    QVERIFY(dialog.binder().unboundFields().empty());

    // Reviewed in tests/data/ui/form-binder-session.txt: filled from the
    // form; typing reaches the form and the form's rewrite and its other
    // fields come back; a check box edit changes what is enabled; the lists
    // (drop-down, list box, radio buttons) hand their choice over; the
    // three-state box steps through its entries in their order: 2, 0, 1, 2.
    ScriptedPrompt none;
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, none);
      std::string radios;
      for (int i = 0; i < 3; ++i) radios += radio(dialog.kind, i)->isChecked() ? " (o)" : " ( )";
      dump.line("note \"" + dialog.note->text().toStdString() + "\" kind" + radios);
      dump.line("form " + form.name + " on " + std::to_string(form.on) + " index " +
                std::to_string(form.index[0]) + " " + std::to_string(form.index[1]) + " " +
                std::to_string(form.index[2]) + " " + std::to_string(form.index[3]));
    };
    step("opened");
    uitest::typeInto(dialog.name, "abc");
    step("abc typed");
    dialog.enabled->click();
    step("enabled off");
    dialog.enabled->click();
    dialog.choice->setCurrentIndex(2);
    emit dialog.choice->activated(2);
    step("enabled on, choice 3");
    dialog.rows->setCurrentRow(1);
    step("row 2");
    radio(dialog.kind, 0)->click();
    step("kind A");
    for (const char* title : {"mode 1", "mode 2", "mode 3", "mode 1 again"}) {
      dialog.mode->click();
      step(title);
    }
    QVERIFY(uitest::matchesGolden("ui/form-binder-session.txt", dump.text));

    // A button runs its action.
    int pressed = 0;
    dialog.binder().setButtonAction(TestForm::id(TF::Go), [&] { ++pressed; });
    dialog.go->click();
    QCOMPARE(pressed, 1);
  }

  void aRefusedEditPutsTheWidgetBackAndFollowsTheFormsFocus() {
    TestForm form;
    TestDialog dialog(form);
    dialog.show();
    dialog.rows->setCurrentRow(2);
    QCOMPARE(form.index[1], 0);
    QCOMPARE(dialog.rows->currentRow(), 0);
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.mode));
  }

  void okRefusedShowsTheMessageKeepsTheDialogAndFocusesTheField() {
    TestForm form;
    TestDialog dialog(form);
    dialog.show();
    dialog.go->setFocus();
    QString shown;
    uitest::whenModal([&](QWidget* box) {
      shown = qobject_cast<QMessageBox*>(box)->text();
      qobject_cast<QMessageBox*>(box)->accept();
    });
    QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
    QCOMPARE(shown, QString("Name needed"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.name));
    QCOMPARE(form.committed, 0);

    uitest::typeInto(dialog.name, "x");
    QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
    QCOMPARE(form.committed, 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void thePlainDialogNamesEveryControlAfterItsFieldAndGivesMnemonics() {
    TestForm form;
    const std::unique_ptr<FormDialog> dialog = FormDialog::plain(form, "Plain", nullptr);
    QVERIFY(dialog->binder().unboundFields().empty());
    QCOMPARE(dialog->windowTitle(), QString("Plain"));
    // Labels with buddies and the buttons get distinct mnemonics.
    QSet<QChar> letters;
    int labelled = 0;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (label->buddy() == nullptr) continue;
      const qsizetype amp = label->text().indexOf('&');
      QVERIFY2(amp >= 0, qPrintable(label->text()));
      QVERIFY(!letters.contains(label->text()[amp + 1].toLower()));
      letters.insert(label->text()[amp + 1].toLower());
      ++labelled;
    }
    QCOMPARE(labelled, 6);  // name, note and the four lists
    QCOMPARE(dialog->findChild<QCheckBox*>("enabled")->text().count('&'), 1);
  }

  void thePromptAnswersWithTheButtonPressed() {
    QtUserPrompt prompt;
    const auto press = [](QMessageBox::StandardButton which) {
      uitest::whenModal([which](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QString("ORVA Application"));
        box->button(which)->click();
      });
    };
    press(QMessageBox::Cancel);
    QCOMPARE(prompt.askOkCancel("q", MessageIcon::Question), Answer::Cancel);
    press(QMessageBox::Retry);
    QCOMPARE(prompt.askAbortRetryIgnore("q", MessageIcon::Stop), Answer::Retry);
    press(QMessageBox::No);
    QCOMPARE(prompt.askYesNoCancel("Save changes to x?", MessageIcon::Warning), Answer::No);
    uitest::whenModal([](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QCOMPARE(box->icon(), QMessageBox::Critical);
      QCOMPARE(box->text(), QString("Stop here"));
      box->reject();  // closing the box is answered like its escape button
    });
    prompt.showMessage("Stop here", MessageIcon::Stop);
    uitest::whenModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->reject(); });
    QCOMPARE(prompt.askYesNoCancel("q", MessageIcon::Question), Answer::Cancel);
  }

  void theFileDialogsShowTheRequestAndReturnTheChoice() {
    uitest::ScratchDir dir;
    dir.write("wing.cnc", "x");
    FileDialogRequest request;
    request.title = "Open";
    request.filters = {{"Fichiers projet (*.cnc)", "*.cnc"},
                       {"Co-ordinate Files (*.cor,*.dat)", "*.cor;*.dat"},
                       {" (*.txt)", "*.txt"}};
    QCOMPARE(
        QtUserPrompt::nameFilters(request),
        QStringList({"Fichiers projet (*.cnc)", "Co-ordinate Files (*.cor *.dat)", "(*.txt)"}));
    request.initialDirectory = (dir / "").string();
    request.defaultName = "new.cnc";
    request.defaultExtension = "cnc";
    request.mustExist = true;

    QtUserPrompt prompt;
    uitest::whenModal([](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      QVERIFY(dialog != nullptr);
      QCOMPARE(dialog->windowTitle(), QString("Open"));
      QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
      QCOMPARE(dialog->nameFilters().size(), 3);
      dialog->selectFile("wing.cnc");
      static_cast<QDialog*>(dialog)->accept();
    });
    QCOMPARE(QString::fromStdString(prompt.chooseOpenFile(request).value_or("cancelled")),
             QString::fromStdString((dir / "wing.cnc").string()));

    request.title = "Save";
    uitest::whenModal([](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
      QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      QCOMPARE(dialog->defaultSuffix(), QString("cnc"));
      static_cast<QDialog*>(dialog)->accept();
    });
    QCOMPARE(QString::fromStdString(prompt.chooseSaveFile(request).value_or("cancelled")),
             QString::fromStdString((dir / "new.cnc").string()));

    uitest::whenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    QCOMPARE(prompt.chooseSaveFile(request), std::nullopt);
  }
};

}  // namespace

ORVA_REGISTER_UI_TEST(FormBinderTest)

}  // namespace orva

#include "FormBinderTest.moc"
