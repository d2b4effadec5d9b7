#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/PortFakes.h"
#include "support/Golden.h"
#include "support/TestFiles.h"
#include "app/DirectoriesForm.h"
#include "app/ProgramContext.h"
#include "common/Form.h"
#include "common/ScriptedPrompt.h"
#include "config/CurrentTableForm.h"
#include "config/FoamManagementForm.h"
#include "config/MaterialNameForm.h"
#include "config/TableConfigForm.h"
#include "config/TableNameForm.h"
#include "cutting/AuxiliaryCuts.h"
#include "cutting/BlockShapingForm.h"
#include "cutting/FoamCutForm.h"
#include "cutting/TestCutForm.h"
#include "cutting/PanelCutForm.h"
#include "cutting/SparsForm.h"
#include "model/CT1Doc.h"
#include "model/EllipticalWingForm.h"
#include "model/PanelParamsForm.h"
#include "model/SplitPanelForm.h"
#include "model/XleConfigForm.h"
#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using test::RecordingSound;
using test::RecordingStatus;
using test::TempDir;

// Every dialog form of the program, opened on a started program context.
struct AllForms {
  explicit AllForms(const TempDir& dir)
      : context(prompt, sound, status, [&] {
          ProgramOptions options;
          options.settingsFile = dir / "settings.ini";
          options.defaultDataDirectory = dir / "userdata";
          options.soundDirectories = std::vector<fs::path>{};
          return options;
        }()) {
    context.start();
    CT1Doc& doc = *context.document;
    MachineConfig& machine = context.machine;
    add("TableConfigForm", std::make_unique<TableConfigForm>(
                               machine.table, port, std::vector<std::string>{"Default"}, "Default",
                               machine.dataDirectory, prompt, TableConfigFormHooks{}));
    add("TableNameForm", std::make_unique<TableNameForm>(machine, prompt));
    auto tables = std::make_unique<CurrentTableForm>(machine, prompt, nullptr);
    tables->open();
    add("CurrentTableForm", std::move(tables));
    add("MaterialNameForm", std::make_unique<MaterialNameForm>(machine.foams, prompt));
    add("FoamManagementForm",
        std::make_unique<FoamManagementForm>(machine.foams, context.driver, prompt,
                                             std::vector<std::string>{"Default"}, "Default"));
    add("XleConfigForm", std::make_unique<XleConfigForm>(doc));
    add("PanelParamsForm", std::make_unique<PanelParamsForm>(doc));
    add("SplitPanelForm", std::make_unique<SplitPanelForm>(doc));
    add("EllipticalWingForm", std::make_unique<EllipticalWingForm>(doc));
    add("SparsForm", std::make_unique<SparsForm>(doc));
    add("PanelCutForm", std::make_unique<PanelCutForm>(doc, context.cut));
    add("BlockShapingForm", std::make_unique<BlockShapingForm>(doc, values, context.auxiliaryCuts));
    add("TestCutForm", std::make_unique<TestCutForm>(doc, values, context.auxiliaryCuts));
    add("FoamCutForm", std::make_unique<FoamCutForm>(doc));
    add("TimerCalibrationForm",
        std::make_unique<TimerCalibrationForm>(context.driver, machine.table));
    add("ZeroAxisForm", std::make_unique<ZeroAxisForm>(context.job));
    add("DirectoriesForm", std::make_unique<DirectoriesForm>(context.settings, prompt, sound,
                                                             context.soundDirectories()));
  }

  void add(std::string name, std::unique_ptr<Form> form) {
    form->setOnChanged([this] { ++changes; });
    forms.emplace_back(std::move(name), std::move(form));
  }
  Form& form(const std::string& name) {
    for (auto& [n, f] : forms) {
      if (n == name) return *f;
    }
    throw std::out_of_range(name);
  }

  ScriptedPrompt prompt;
  RecordingSound sound;
  RecordingStatus status;
  ProgramContext context;
  int port = 0;
  AuxiliaryCutValues values;
  std::vector<std::pair<std::string, std::unique_ptr<Form>>> forms;
  int changes = 0;
};

const char* kindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::Text: return "text";
    case FieldKind::Check: return "check";
    case FieldKind::List: return "list";
    case FieldKind::Display: return "display";
    case FieldKind::Button: return "button";
  }
  return "?";
}

// The names are the widgets' objectNames in the dialog layouts: a change here
// breaks a layout, so it has to be made on purpose (the reviewed file).
TEST(FormTable, NamesAreStableUniqueAndLeadBackToTheirFields) {
  test::TempDir dir;
  AllForms all(dir);
  std::string table;
  for (const auto& [name, form] : all.forms) {
    SCOPED_TRACE(name);
    table += name + "\n";
    std::set<int> ids;
    for (const FieldInfo& f : form->fieldTable()) {
      table += "  " + std::string(f.name) + " " + kindName(f.kind) + "\n";
      EXPECT_TRUE(ids.insert(f.id).second) << f.name;
      EXPECT_EQ(form->fieldId(f.name), f.id);  // also fails for a name given twice
      EXPECT_EQ(form->fieldName(f.id), f.name);
      // A control with a label in the dialog gets it from the catalogue.
      if (f.kind == FieldKind::Button) { EXPECT_FALSE(f.caption.empty()) << f.name; }
    }
    EXPECT_EQ(form->fieldId("noSuchField"), -1);
    EXPECT_EQ(form->info(-1), nullptr);
    EXPECT_FALSE(form->setText(-1, "1"));
  }
  test::expectGolden("app/form-fields.txt", table);
}

// Through the base alone: every field answers by its kind, a field of another
// kind takes no edit, a disabled or read-only one refuses every edit and keeps
// its value, and a taken edit notifies.
TEST(FormTable, EveryFieldReadsAndRefusesThroughTheBase) {
  test::TempDir dir;
  AllForms all(dir);
  for (auto& [name, formPtr] : all.forms) {
    Form& form = *formPtr;
    for (const FieldInfo& f : form.fieldTable()) {
      SCOPED_TRACE(name + "." + std::string(f.name));
      const std::string text = form.text(f.id);
      const bool checked = form.checked(f.id);
      const std::vector<std::string> options = form.options(f.id);
      const int index = form.currentIndex(f.id);
      if (f.kind != FieldKind::Text && f.kind != FieldKind::Display) { EXPECT_EQ(text, ""); }
      if (f.kind != FieldKind::Check) { EXPECT_FALSE(checked); }
      if (f.kind != FieldKind::List) {
        EXPECT_TRUE(options.empty());
        EXPECT_EQ(index, -1);
      } else {
        EXPECT_GE(index, -1);
        EXPECT_LT(index, static_cast<int>(options.size()));
      }
      if (f.kind == FieldKind::Display) { EXPECT_TRUE(form.readOnly(f.id)); }

      const int before = all.changes;
      if (f.kind != FieldKind::Text) { EXPECT_FALSE(form.setText(f.id, "7")); }
      if (f.kind != FieldKind::Check) { EXPECT_FALSE(form.setChecked(f.id, true)); }
      if (f.kind != FieldKind::List) { EXPECT_FALSE(form.setCurrentIndex(f.id, 0)); }
      EXPECT_EQ(all.changes, before);

      if (!form.editable(f.id)) {
        EXPECT_FALSE(form.setText(f.id, "7"));
        EXPECT_FALSE(form.setChecked(f.id, !checked));
        EXPECT_FALSE(form.setCurrentIndex(f.id, 0));
        EXPECT_EQ(form.text(f.id), text);
        EXPECT_EQ(form.checked(f.id), checked);
        EXPECT_EQ(form.currentIndex(f.id), index);
        EXPECT_EQ(all.changes, before);
        continue;
      }
      switch (f.kind) {
        case FieldKind::Text:
          EXPECT_TRUE(form.setText(f.id, text));
          EXPECT_EQ(form.text(f.id), text);
          break;
        case FieldKind::Check:
          EXPECT_TRUE(form.setChecked(f.id, checked));
          break;
        case FieldKind::List:
          EXPECT_FALSE(form.setCurrentIndex(f.id, static_cast<int>(options.size())));
          if (index >= 0) { EXPECT_TRUE(form.setCurrentIndex(f.id, index)); }
          break;
        default:
          continue;
      }
      EXPECT_GT(all.changes, before);
    }
  }
}

// OK refused: the result names the field that took the focus and carries the
// message the user was shown.
TEST(FormTable, RefusedOkReturnsTheFocusAndTheMessageShown) {
  const std::vector<std::pair<std::string, std::string>> probes = {
      {"TableConfigForm", "entraxe"},  {"TableNameForm", "tableName"},
      {"MaterialNameForm", "materialName"}, {"FoamManagementForm", "kerfAtMaxSpeed"},
      {"XleConfigForm", "tipH2"},      {"PanelParamsForm", "span"},
      {"SplitPanelForm", "position"},  {"EllipticalWingForm", "symmetry"},
      {"BlockShapingForm", "length"},
      {"TestCutForm", "height"},       {"FoamCutForm", "cutSpeed"},
      {"ZeroAxisForm", "yStepTime"},
  };
  test::TempDir dir;
  AllForms all(dir);
  for (const auto& [name, field] : probes) {
    SCOPED_TRACE(name);
    Form& form = all.form(name);
    const int id = form.fieldId(field);
    // An empty box is refused by every one of them (the name forms: a name is mandatory).
    ASSERT_TRUE(form.setText(id, ""));
    all.prompt.clear();
    const int before = all.changes;
    const FormResult result = form.ok();
    EXPECT_FALSE(result);
    EXPECT_EQ(result.field, id);
    EXPECT_EQ(form.focus(), id);
    ASSERT_FALSE(all.prompt.messages().empty());
    EXPECT_EQ(result.message, all.prompt.messages().back());
    EXPECT_GT(all.changes, before);
  }
}

}  // namespace
}  // namespace orva
