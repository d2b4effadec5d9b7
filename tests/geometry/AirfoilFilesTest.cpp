// Reads the public airfoil coordinate files kept beside the project (not part
// of it) and checks what is known about them independently: point counts,
// name lines, and thickness and camber as printed by XFOIL 6.99 for each file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "common/CodePage.h"
#include "geometry/CoordinateFile.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

struct Known {
  int points;        // canonical points the reader must return
  double thickness;  // XFOIL maximum thickness
  double camber;     // XFOIL maximum camber
  const char* name;  // the trimmed name line; a trailing '~' means "starts with"
};

// Points: the first contiguous block of coordinate pairs (Selig files are kept
// in their own order). Exceptions, explained where they occur.
const std::map<std::string, Known> kKnown = {
    {"clarky.dat", {121, 0.117066, 0.035016, "CLARK Y AIRFOIL"}},
    {"naca2412.dat", {35, 0.120004, 0.019207, "NACA 2412"}},
    {"naca4412.dat", {35, 0.120216, 0.038372, "NACA 4412"}},
    {"naca4415.dat", {97, 0.149946, 0.039618, "NACA 4415"}},
    {"naca0012.dat", {69, 0.119866, 0.0, "Naca 0012 By Naca.exe D. LEDNICER"}},
    {"n0012.dat", {131, 0.120034, 0.0, "NACA 0012 AIRFOILS"}},
    {"naca64a010.dat", {111, 0.099908, 0.0, "NACA 64A-010 10.0%"}},
    {"e387.dat", {61, 0.090706, 0.037836, "E387"}},
    {"e374.dat", {61, 0.109226, 0.022640, "E374"}},
    {"e205.dat", {61, 0.104798, 0.029798, "E205  (10.48%)"}},
    {"s1223.dat", {81, 0.121406, 0.086924, "S1223"}},
    {"sd7037.dat", {61, 0.092124, 0.029901, "SD7037-092-88"}},
    {"sd7003.dat", {61, 0.085111, 0.014793, "SD7003-085-88"}},
    {"s9037.dat", {121, 0.089998, 0.035065, "S9037 (9%)"}},
    {"ag35.dat", {180, 0.087258, 0.023786, "AG35"}},
    {"mh32.dat", {68, 0.086976, 0.024003, "MH 32  8.7%"}},
    {"mh45.dat", {67, 0.098526, 0.017077, "MH 45  9.85%"}},
    {"rg15.dat", {62, 0.089237, 0.017628, "RG-15 8.9%"}},
    {"hq3011.dat", {77, 0.109851, 0.029440, "HQ 3.0/11 AIRFOIL"}},
    {"fx63137.dat", {97, 0.137145, 0.058604, "WORTMANN FX 63-137 AIRFOIL"}},
    {"dae11.dat", {81, 0.128294, 0.066171, "DAE-11 AIRFOIL"}},
    {"clarkk.dat", {27, 0.117011, 0.032368, "CLARK K AIRFOIL"}},
    {"goe398.dat", {33, 0.138532, 0.044519, "GOE 398 AIRFOIL"}},
    {"goe417a.dat", {31, 0.032006, 0.058830, "GOE 417A (GEW. PLATTE) AIRFOIL"}},
    {"usa35b.dat", {33, 0.116173, 0.039982, "USA-35B AIRFOIL"}},
    {"sc1095r8.dat", {145, 0.093405, 0.021332, "SIKORSKY SC1095R8 AIRFOIL"}},
    {"ua79sfm.dat", {50, 0, 0, "UNIVERSITY OF ALBERTA UA 79-SF-187 AIRFOIL M~"}},
    {"mi-strut1.dat", {399, 0.329560, 0.0, "MI-STRUT1"}},
    // A URL after the data ends it.
    {"hm1001.dat", {496, 0.086801, 0.021934, "HM1001  NF-Leistungsprofil"}},
    // The whole list is repeated after a second text line: read once. The TAB
    // in the name line becomes a space; the Latin-1 copyright sign becomes UTF-8.
    {"mh28.dat", {120, 0.100449, 0.013499, "MH 28 \xC2\xA9Martin Hepperle Designed for~"}},
    {"ag34.dat", {180, 0.092877, 0.025157, "AG 34  Airfoil M. Drela"}},
    {"av-1.7-8.dat", {111, 0.079304, 0.017316, "AV-1.7-8  cmo+0.012 (aile volante~"}},
    {"abrial17rev.dat", {54, 0.099011, 0.030685, "Abrial17"}},
    {"bc30.dat", {150, 0.062545, 0.026873, "BC30 (Jonas Illg, Ruben Buhler)"}},
    // Latin-1 bytes E8 and B0 in the name line.
    {"eb380.dat",
     {35, 0.099104, 0.028811,
      "Eppler EB380  soit E374+E387 d'apr\xC3\xA8s Mod\xC3\xA8le Mag n\xC2\xB0"
      "381 de 1983"}},
    {"raf69rev.dat", {56, 0.206406, 0.016712, "RAF 69 AIRFOIL   /tracfoil"}},
    {"ht21.dat", {140, 0.051040, 0.000001, "HT21"}},
    // After the closing point come two blank lines and one stray point. Blank
    // lines do not end the data (two-surface files have them between their
    // blocks), so that point is read too, as XFOIL does.
    {"cap21c.dat", {39, 0.155704, 0.005829, "CAP 21   (TraCFoil)"}},
    {"fx74cl5140.dat", {87, 0.140492, 0.098027, "FX74_CL5_140"}},
    {"s1221-4deg-flap.dat", {80, 0.121469, 0.056034, "S1221  w/ 4 deg flap"}},
    {"k3311.dat", {49, 0.110005, 0.031845, "K3311  (original)"}},
    {"uplink.dat", {62, 0.070088, 0.018059, "Uplink DLG by Dick Barker"}},
    // Two surfaces of 17 and 61 points behind a header of counts; the leading
    // edge is in both lists and kept once.
    {"lednicer/clarkx.dat", {17 + 17 - 1, 0.116999, 0.032495, "CLARK X AIRFOIL"}},
    {"lednicer/clarky.dat", {61 + 61 - 1, 0.117066, 0.035016, "CLARK Y AIRFOIL"}},
};

// Their first x is a little above 1 (1.00003, 1.2, 1.01). As a header of counts
// it would announce 1 upper and 0 lower points, which cannot be, so the list is
// read in its own (Selig) order.
const std::set<std::string> kPastTheChord = {"naca23012.dat", "e664ex.dat", "vr8b.dat"};

// Main element of a multi-element section: an open contour, so neither the
// thickness range nor XFOIL's figures mean anything for it.
const std::set<std::string> kOpenContours = {"ua79sfm.dat"};

TEST(AirfoilFiles, EveryFileLoadsSanelyOrIsRefused) {
  const fs::path root = ORVA_AIRFOIL_DIR;
  std::error_code ec;
  if (!fs::is_directory(root, ec)) GTEST_SKIP() << "no airfoil folder at " << root;

  std::set<std::string> seen;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".dat") continue;
    const std::string rel = entry.path().lexically_relative(root).generic_string();
    seen.insert(rel);
    SCOPED_TRACE(rel);

    Profile p;
    const CoordinateFileStatus status = ReadCoordinateFile(entry.path(), p);
    ASSERT_NE(status, CoordinateFileStatus::CannotOpen);
    if (kPastTheChord.count(rel)) {
      ASSERT_EQ(status, CoordinateFileStatus::Ok);
      EXPECT_GT(p.points.front().x, 1.0);
    }
    if (status == CoordinateFileStatus::Invalid) {
      EXPECT_FALSE(kKnown.count(rel)) << "a known good file was refused";
      continue;
    }

    ASSERT_GE(p.count(), 3);
    ASSERT_GE(p.leadingEdgeIndex, 0);
    ASSERT_LT(p.leadingEdgeIndex, p.count());
    EXPECT_EQ(p.oppositeY.size(), p.points.size());
    EXPECT_LE(p.minY, p.maxY);
    EXPECT_FALSE(p.name.empty());
    EXPECT_TRUE(isValidUtf8(p.name));
    if (!kOpenContours.count(rel)) {
      EXPECT_GT(p.maxThickness, 0.0);
      EXPECT_LT(p.maxThickness, 0.5);
    }
    EXPECT_GE(p.maxCamber, 0.0);
    EXPECT_LT(p.maxCamber, 0.2);

    const auto known = kKnown.find(rel);
    if (known == kKnown.end()) continue;
    const Known& k = known->second;
    EXPECT_EQ(p.count(), k.points);
    std::string name = k.name;
    if (name.back() == '~') {
      name.pop_back();
      EXPECT_EQ(p.name.substr(0, name.size()), name);
    } else {
      EXPECT_EQ(p.name, name);
    }
    if (kOpenContours.count(rel)) continue;

    // XFOIL measures on a spline through the points, from its own leading
    // edge. Here thickness is the vertical distance to the other surface
    // interpolated linearly at each point's x, and camber is measured from the
    // chord line through the point of smallest x and the first point. The
    // thickness agrees closely (it is taken where the surfaces are flat); the
    // camber differs more when the leading edge or chord line differ (up to
    // about 0.0035 on these files: sparse or de-rotated sections).
    EXPECT_NEAR(p.maxThickness, k.thickness, 0.002);
    EXPECT_NEAR(p.maxCamber, std::max(k.camber, 0.0), 0.005);
  }

  // Every file listed above was found (a missing one would hide a regression).
  for (const auto& [rel, known] : kKnown) EXPECT_TRUE(seen.count(rel)) << rel;
  for (const auto& rel : kPastTheChord) EXPECT_TRUE(seen.count(rel)) << rel;
}

}  // namespace
}  // namespace orva
