// Reads the public airfoil coordinate files kept beside the project (not part
// of it) and checks what is known about them independently: point counts,
// name lines, and thickness and camber as printed by XFOIL 6.99 for each file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "geometry/CoordinateFile.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

struct Known {
  int points;        // canonical points the reader must return
  double thickness;  // XFOIL maximum thickness
  double camber;     // XFOIL maximum camber
  std::string name;  // the trimmed name line; a trailing '~' means "starts with"
};

// tests/data/geometry/known-airfoils.txt: "file|points|thickness|camber|name" lines.
std::map<std::string, Known> knownFiles() {
  std::map<std::string, Known> known;
  for (const std::string& line :
       test::lines(test::readFile(test::testDataDir() / "geometry/known-airfoils.txt"))) {
    std::vector<std::string> f;
    for (std::size_t at = 0, bar = 0; f.size() < 5 && bar != std::string::npos; at = bar + 1) {
      bar = f.size() == 4 ? std::string::npos : line.find('|', at);
      f.push_back(line.substr(at, bar == std::string::npos ? bar : bar - at));
    }
    if (line.empty() || line[0] == '#' || f.size() != 5) continue;
    known[f[0]] = {std::stoi(f[1]), std::stod(f[2]), std::stod(f[3]), f[4]};
  }
  return known;
}

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

  const std::map<std::string, Known> kKnown = knownFiles();
  ASSERT_EQ(kKnown.size(), 44u);
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
