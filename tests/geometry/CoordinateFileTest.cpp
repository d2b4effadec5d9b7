#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "common/ScriptedPrompt.h"
#include "geometry/CoordinateFile.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

const char* const kSelig =
    "Test foil\n"
    "1.0 0.002\n"
    "0.6 0.08\n"
    "0.2 0.06\n"
    "0.0 0.0\n"
    "0.3 -0.03\n"
    "0.8 -0.02\n"
    "1.0 -0.002\n";

Profile parseOk(std::string_view text, std::string_view fallback = "fallback") {
  Profile p;
  EXPECT_EQ(ParseCoordinateText(text, fallback, p), CoordinateFileStatus::Ok) << text;
  return p;
}

CoordinateFileStatus parseStatus(std::string_view text) {
  Profile p;
  return ParseCoordinateText(text, "fallback", p);
}

// A scratch directory for the file tests.
class CoordinateFileDir : public ::testing::Test {
 protected:
  fs::path write(const std::string& name, std::string_view bytes) {
    EXPECT_TRUE(test::writeFile(dir_ / name, bytes));
    return dir_ / name;
  }
  const test::TempDir dir_;
};

TEST(CoordinateText, LayoutsAndLineEndsGiveTheSameProfile) {
  const Profile selig = parseOk(kSelig);
  ASSERT_EQ(selig.count(), 7);
  EXPECT_EQ(selig.points[1], (Point2D{double(0.6f), double(0.08f)}));

  // Two surfaces from the leading edge, with blank and white-space lines between them.
  const Profile twoSurfaces = parseOk(
      "Test foil\n\n0 0\n0.2 0.06\n0.6 0.08\n1 0.002\n   \n\t\n0 0\n0.3 -0.03\n0.8 -0.02\n1 "
      "-0.002\n");
  // The same behind a header of counts written as reals.
  const Profile counted = parseOk(
      "Test foil\n4. 4.\n\n0 0\n0.2 0.06\n0.6 0.08\n1 0.002\n\n0 0\n0.3 -0.03\n0.8 -0.02\n1 "
      "-0.002\n\n");
  EXPECT_EQ(counted.leadingEdgeIndex, 3);
  // CR LF, LF and lone CR line ends (also mixed, and no final line end).
  std::string crlf, cr;
  for (const char* c = kSelig; *c; ++c) {
    crlf += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    cr += *c == '\n' ? '\r' : *c;
  }
  const std::string mixed =
      "Test foil\r\n1.0 0.002\n0.6 0.08\r0.2 0.06\r\n0.0 0.0\n0.3 -0.03\r0.8 -0.02\n1.0 -0.002";
  for (const Profile& p : {twoSurfaces, counted, parseOk(crlf), parseOk(cr), parseOk(mixed)}) {
    EXPECT_EQ(p.points, selig.points);
    EXPECT_EQ(p.name, "Test foil");
  }
}

TEST(CoordinateText, NumbersAreReadLikeScanfIntoFloats) {
  // Leading dots and signs, a trailing dot, exponents, no space before a sign,
  // tabs, and a third column that is ignored; values rounded to 32-bit floats.
  Profile p = parseOk("  1. +0.0\n.5 .05\n\t0.25e0\t4e-2\n0 0\n0.5-0.01 7\n1E0 -1e-3  junk\n");
  const PointList expected = {{1.0, 0.0}, {0.5, double(0.05f)},  {0.25, double(0.04f)},
                              {0.0, 0.0}, {0.5, double(-0.01f)}, {1.0, double(-1e-3f)}};
  EXPECT_EQ(p.points, expected);
  EXPECT_EQ(p.name, "fallback");

  // Lines that are not two numbers are text: decimal commas, a single number,
  // hexadecimal numbers, a number glued to letters.
  p = parseOk("1,0 0,5\n12\n0x1 0x0\n64A010\n1 0\n0 0\n1 0\n");
  EXPECT_EQ(p.name, "64A010");
  EXPECT_EQ(p.count(), 3);
}

TEST(CoordinateText, NonFiniteValuesRefuseTheFile) {
  for (const char* line : {"nan 0", "0.5 inf", "1e39 0"}) {
    const std::string text = std::string("1 0\n") + line + "\n0 0\n1 0\n";
    EXPECT_EQ(parseStatus(text), CoordinateFileStatus::Invalid) << line;
  }
  // A word that merely starts like one is a text line.
  EXPECT_EQ(parseStatus("Nanofoil 2\n1 0\n0 0\n1 0\n"), CoordinateFileStatus::Ok);
}

TEST(CoordinateText, PointCountLimits) {
  Profile p;
  p.MakeDefault();
  CoordinateFileProblem problem = CoordinateFileProblem::None;
  EXPECT_EQ(ParseCoordinateText("foil\n1 0\n0 0\n", "x", p, &problem),
            CoordinateFileStatus::Invalid);
  EXPECT_EQ(problem, CoordinateFileProblem::TooFewPoints);
  EXPECT_EQ(p.name, "NoName");  // unchanged
  EXPECT_EQ(p.count(), 69);
  EXPECT_EQ(ParseCoordinateText("", "x", p), CoordinateFileStatus::Invalid);
  EXPECT_EQ(ParseCoordinateText("foil\nonly text\n", "x", p), CoordinateFileStatus::Invalid);
  EXPECT_EQ(ParseCoordinateText("foil\n1 0\n0 0\n1 0\n", "x", p), CoordinateFileStatus::Ok);
  EXPECT_EQ(p.count(), 3);

  // Count headers that do not fit the points are refused.
  for (const char* header : {"2.5 0", "3 0.5", "2 -1", "5 5", "1e30 1", "2 1e30"}) {
    const std::string text = std::string("foil\n") + header + "\n0 0\n0.5 0.1\n1 0\n0 0\n1 0\n";
    EXPECT_EQ(parseStatus(text), CoordinateFileStatus::Invalid) << header;
  }

  // One surface may hold at most 65535 points.
  auto selig = [](int upper, int lower) {
    std::string text = "big\n";
    for (int i = upper - 1; i >= 0; --i) text += std::to_string(double(i) / upper) + " 0.01\n";
    for (int i = 1; i < lower; ++i) text += std::to_string(double(i) / lower) + " -0.01\n";
    return text;
  };
  EXPECT_EQ(parseStatus(selig(65535, 65535)), CoordinateFileStatus::Ok);
  EXPECT_EQ(parseStatus(selig(65536, 10)), CoordinateFileStatus::Invalid);
  // More points than two full surfaces and a header are refused while reading,
  // even when the header uses only a few of them.
  std::string many = "2 2\n0 0\n1 0.01\n0 0\n1 -0.01\n";
  for (int i = 4; i < 131070; ++i) many += "0.5 0\n";
  EXPECT_EQ(parseStatus(many), CoordinateFileStatus::Ok);
  many += "0.5 0\n";
  EXPECT_EQ(parseStatus(many), CoordinateFileStatus::Invalid);
}

TEST(CoordinateText, NameRules) {
  // No text line: the fallback name.
  EXPECT_EQ(parseOk("1 0\n0 0\n1 0\n", "clarky").name, "clarky");
  // Several text lines before the data: the last one.
  EXPECT_EQ(parseOk("first\nsecond\n1 0\n0 0\n1 0\n").name, "second");
  // White space at either end goes, a control character (up to 0x1F) or DEL
  // inside becomes a space, a white-space-only line is blank.
  EXPECT_EQ(parseOk("  MH\x1F"
                    "28\t(c)\x7FM.H.   \t\r\n   \r\n1 0\n0 0\n1 0\n")
                .name,
            "MH 28 (c) M.H.");

  // Text after the data ends it: a URL, comments and a second copy of the
  // list are neither points nor the name.
  const Profile p = parseOk(std::string(kSelig) +
                            "\nhttp://example.org/foil.htm\n1.0 0.002\n0.5 0.5\nThickness: 9%\n");
  EXPECT_EQ(p.count(), 7);
  EXPECT_EQ(p.name, "Test foil");
  EXPECT_EQ(parseOk("1 0\n0 0\n1 0\nhttp://example.org\n", "base").name, "base");

  // Bytes that are not UTF-8 are Windows-1252; UTF-8 is kept as it is.
  EXPECT_EQ(parseOk("d'apr\xE8s Mod\xE8le n\xB0 3\n1 0\n0 0\n1 0\n").name,
            "d'apr\xC3\xA8s Mod\xC3\xA8le n\xC2\xB0 3");
  EXPECT_EQ(parseOk("\xC2\xA9 Z\xC3\xBCrich\n1 0\n0 0\n1 0\n").name, "\xC2\xA9 Z\xC3\xBCrich");
  EXPECT_EQ(parseOk("\xEF\xBB\xBF"
                    "1 0\n0 0\n1 0\n",
                    "bom")
                .name,
            "bom");
  EXPECT_EQ(parseOk("1 0\n0 0\n1 0\n", "caf\xE9").name, "caf\xC3\xA9");
}

TEST(CoordinateText, LongLinesNeverBecomePoints) {
  // 10 000 characters of "0.5 0.5 ...": read in short pieces this would make
  // points; as a whole line it is text. Before the data it is the name
  // (shortened), after the data it ends the data.
  std::string digits;
  while (digits.size() < 10000) digits += "0.5 0.5 ";
  Profile p = parseOk(digits + "\n1 0\n0 0\n1 0\n");
  EXPECT_EQ(p.count(), 3);
  EXPECT_EQ(p.name.size(), 126u);
  EXPECT_EQ(p.name.substr(0, 7), "0.5 0.5");

  p = parseOk("foil\n1 0\n0 0\n1 0\n" + std::string(10000, '7') + "\n0.5 0.1\n");
  EXPECT_EQ(p.count(), 3);
  EXPECT_EQ(p.name, "foil");

  // A long name keeps its first 126 characters, never a broken UTF-8 sequence.
  std::string accents;
  for (int i = 0; i < 300; ++i) accents += "\xC3\xA9";
  p = parseOk(accents + "\n1 0\n0 0\n1 0\n");
  EXPECT_EQ(p.name.size(), 2u * 126u);
  EXPECT_TRUE(isValidUtf8(p.name));
}

TEST_F(CoordinateFileDir, ReadsFilesAndRefusesWhatIsNotOne) {
  Profile p;
  ASSERT_EQ(ReadCoordinateFile(write("my.foil.dat", "1 0\n0 0.01\n1 0\n"), p),
            CoordinateFileStatus::Ok);
  EXPECT_EQ(p.name, "my.foil");  // file name without directory and extension

  p.MakeDefault();
  EXPECT_EQ(ReadCoordinateFile(dir_ / "missing.dat", p), CoordinateFileStatus::CannotOpen);
  EXPECT_EQ(ReadCoordinateFile(dir_.path(), p), CoordinateFileStatus::CannotOpen);
  // Larger than any coordinate file: refused without being parsed.
  std::string huge = "foil\n";
  while (huge.size() <= 16u * 1024u * 1024u) huge += "0.5 0.01\n";
  EXPECT_EQ(ReadCoordinateFile(write("huge.dat", huge), p), CoordinateFileStatus::Invalid);
  EXPECT_EQ(p.name, "NoName");
}

TEST_F(CoordinateFileDir, LoadAsksForAFileAndReportsProblems) {
  const fs::path good = write("good.cor", kSelig);
  Profile p;
  p.MakeDefault();

  ScriptedPrompt prompt;
  prompt.queueFile(good.string());
  ASSERT_TRUE(p.LoadCoordinateFile(prompt, "Root profile selection", "/profiles"));
  EXPECT_EQ(p.name, "Test foil");
  EXPECT_EQ(p.count(), 7);
  ASSERT_EQ(prompt.calls().size(), 1u);
  const FileDialogRequest& r = prompt.calls()[0].request;
  EXPECT_EQ(prompt.calls()[0].kind, ScriptedPrompt::Kind::OpenFile);
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.title + "|" + r.filters[0].description + "|" + r.filters[0].patterns + "|" +
                r.filters[1].description + "|" + r.filters[1].patterns + "|" + r.initialDirectory,
            "Root profile selection|Co-ordinate Files (*.cor,*.dat)|*.cor;*.dat|All Files|*.*|"
            "/profiles");
  EXPECT_TRUE(r.mustExist);
  EXPECT_EQ(r.maxPathLength, 127u);

  // Every failure leaves the profile as it was.
  p.MakeDefault();
  const Profile before = p;
  auto unchanged = [&] {
    EXPECT_EQ(p.name, before.name);
    EXPECT_EQ(p.points, before.points);
  };

  // Cancelled, missing, invalid ("Invalid .dat file" is the caller's), and a
  // path longer than 127 characters although the file exists.
  prompt.clear();
  for (const std::optional<std::string>& file :
       {std::optional<std::string>(), std::optional((dir_ / "gone.dat").string()),
        std::optional(write("two.dat", "foil\n1 0\n0 0\n").string()),
        std::optional(write(std::string(200, 'a') + ".dat", kSelig).string())}) {
    prompt.queueFile(file);
    EXPECT_FALSE(p.LoadCoordinateFile(prompt, "Tip profile selection", "/profiles"));
    unchanged();
  }
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{"Unable to Open file for Reading"});
  for (const auto& call : prompt.calls()) {
    if (call.kind == ScriptedPrompt::Kind::Message) { EXPECT_EQ(call.icon, MessageIcon::Warning); }
  }
  // 127 characters are fine.
  const std::string base = (dir_ / "").string();
  ASSERT_LT(base.size() + 4, 127u);
  const fs::path exact = write(std::string(127 - base.size() - 4, 'b') + ".dat", kSelig);
  ASSERT_EQ(exact.string().size(), 127u);
  prompt.queueFile(exact.string());
  EXPECT_TRUE(p.LoadCoordinateFile(prompt, "Tip profile selection", "/profiles"));
}

}  // namespace
}  // namespace orva
