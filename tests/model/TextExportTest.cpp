#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "model/TextExport.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

class TextExportTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  TextExportTest() {
    std::string foam = "Poly expansé";
    config.foams.LoadFoamsFromText("V3\n", foam);
  }
  const test::TempDir dir_;
};

// The reference file was written by hand from the layout, the built-in table
// (Entraxe 1500, 48 steps, pitch 1, 5 ms), the built-in foam "Poly expansé"
// (4 mm/s, kerf 0.8 and 1.5, heat 70) and the built-in airfoil's coordinate
// table, with CR LF line ends.
TEST_F(TextExportTest, NewProjectMatchesTheReferenceFile) {
  test::expectGolden("export/default-project.txt", ExportDocumentText(doc));
}

TEST_F(TextExportTest, DifferentTipSectionCutAndCommentLines) {
  Panel& p = doc.current();
  p.differentRootTip = true;
  p.tip.params.chord = 100.0;
  p.tip.params.basicHeight = 31.9;  // whole millimetres, truncated
  p.tip.params.washout = -2.5;
  p.sectionCutEnabled = true;
  p.sectionCutZ = 120;
  p.foamThickness = 49.99;
  p.Rebuild(doc.splines, false);
  doc.cutChoices.cutOrder = 0;
  doc.cutChoices.kerfCompensationB = 0;
  doc.comments = "first\r\nsecond\nthird";

  // The reviewed file: "Début découpe par l'intrados: O", no kerf compensation,
  // a different tip (chord 100, basic height truncated to 31 mm, washout
  // -2.5 mm, its trailing edge turned to (0.999048 0.043619)), the section cut
  // at 120 mm, the block 49 mm thick, and the comment with CR LF line ends
  // (like every line: the comparison is byte for byte).
  test::expectGolden("export/tapered-project.txt", ExportDocumentText(doc));
}

TEST_F(TextExportTest, AnUnknownCurrentFoamShowsZeros) {
  config.foams.currentFoam = "Nothing of that name";
  const std::string text = ExportDocumentText(doc);
  EXPECT_TRUE(test::contains(
      text, "\r\nRayonnement: V 0.000000 ms, Rv 0.000000 mm, Rv1/2 0.000000 mm, Chauffe 0 m\r\n"));
}

TEST_F(TextExportTest, ProposedNameReplacesTheLastExtension) {
  EXPECT_EQ(std::tuple(ProposedExportName("wing.cnc"), ProposedExportName("my.wing.cnc"),
                       ProposedExportName("Cutting1"), ProposedExportName("")),
            std::tuple("wing.txt", "my.wing.txt", "Cutting1.txt", ".txt"));
}

TEST_F(TextExportTest, ExportAsksForTheFileAndWritesIt) {
  const fs::path target = dir_ / "wing.txt";
  prompt.queueFile(target.string());
  ASSERT_TRUE(ExportDocument(doc, "wing.cnc"));
  ASSERT_EQ(prompt.calls().size(), 1u);
  const FileDialogRequest& r = prompt.calls()[0].request;
  EXPECT_EQ(prompt.calls()[0].kind, ScriptedPrompt::Kind::SaveFile);
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(std::tie(r.defaultName, r.filters[0].description, r.filters[0].patterns,
                     r.promptOverwrite, r.maxPathLength),
            std::tuple("wing.txt", " (*.txt)", "*.txt", false, 127u));
  EXPECT_EQ(test::readFile(target), ExportDocumentText(doc));
  EXPECT_FALSE(doc.modified);  // an export changes nothing in the project

  // An existing file is replaced without a question.
  doc.comments = "again";
  prompt.queueFile(target.string());
  ASSERT_TRUE(ExportDocument(doc, "wing.cnc"));
  EXPECT_TRUE(test::readFile(target).ends_with("Commentaires:\r\nagain"));
}

TEST_F(TextExportTest, CancelOrAFailedWriteLeavesNoFile) {
  EXPECT_FALSE(ExportDocument(doc, "wing.cnc"));  // no file queued: cancelled
  EXPECT_TRUE(prompt.messages().empty());

  const fs::path target = dir_ / "missing" / "wing.txt";
  prompt.queueFile(target.string());
  EXPECT_FALSE(ExportDocument(doc, "wing.cnc"));
  EXPECT_FALSE(fs::exists(target));
  ASSERT_EQ(prompt.messages().size(), 1u);
  EXPECT_TRUE(prompt.messages()[0].starts_with("Unable to save " + target.string() + ":\n"));
  // Nothing is left behind in the directory that exists either.
  EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(TextExportTest, LongTitlesAreProposedWithinThePathLimit) {
  // "é" takes bytes 126 and 127 of the proposed name: the cut falls inside it.
  const std::string title = std::string(126, 'a') + "é.cnc";
  prompt.clear();
  ExportDocument(doc, title);
  const std::string& name = prompt.calls().at(0).request.defaultName;
  EXPECT_LE(name.size(), 127u);
  // Cut where a character ends, never inside "é".
  EXPECT_EQ(name, std::string(126, 'a'));
}

}  // namespace
}  // namespace orva
