#pragma once

#include <gtest/gtest.h>

#include "config/FoamDatabase.h"
#include "config/TableConfig.h"
#include "geometry/Naca.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"

namespace orva::test {

// The placement that made a new user waste foam, for any layer's tests: a
// 1000 mm table (1200 mm of X travel, the machine zero 200 mm along it, fast
// motors, 160 s of heating before the cut), a fixed-heat foam "Blue" cut at
// 4 mm/s whose kerf was measured at 4 and 2 mm/s, and a right wing of NACA
// 2412 tapered 200 -> 120 mm over 250 mm, swept 30 mm, in a 100 mm block.
// Placed with its root 250 mm from the left tower and X0 20 mm behind the
// machine zero, the right tower's chord is 200 - 80 x 3 = -40 mm (a mirrored
// profile) and the wire heats lying under the block; 500 mm from the tower
// and X0 = +40 mm nothing is wrong.
struct MirroredTowerCase {
  static void table(TableConfig& t) {
    t.Entraxe = 1000;
    t.AxesX = 1200;
    t.AxesY = 500;
    t.ZeroX = 200.0;
    t.Chauffe = 160.0;
    t.XVmax = 0.5;
    t.YVmax = 0.5;
  }

  static FoamType foam() {
    FoamType blue;
    blue.name = "Blue";
    blue.heatMode = FixedHeat;
    blue.maxSpeed = 4.0;
    blue.maxSpeedHeat = 40;
    blue.kerfAtMaxSpeed = 0.8;
    blue.kerfAtHalfSpeed = 1.5;
    return blue;
  }

  static void foams(FoamDatabase& foams) {
    const FoamType blue = foam();
    foams.records.clear();
    foams.records[blue.name] = blue;
    foams.SelectFoam(blue.name);
    foams.cutSpeed = blue.maxSpeed;
    foams.currentHeat = blue.maxSpeedHeat;
  }

  // The panel and the cutting choices of `doc`'s current panel.
  static void panel(CT1Doc& doc, bool placedBadly = true) {
    doc.splines = false;
    doc.cutChoices = PanelCutChoices{};
    doc.cutChoices.clearance = 120.0;
    Panel& p = doc.current();
    const auto naca = MakeNaca4("2412", 20);
    ASSERT_TRUE(naca.has_value());
    p.root.profile = p.tip.profile = *naca;
    for (Section* s : {&p.root, &p.tip}) {
      s->params.basicHeight = 40.0;
      s->params.teMargin = 5.0;
      s->params.leMargin = 5.0;
    }
    p.root.params.chord = 200.0;
    p.tip.params.chord = 120.0;
    p.differentRootTip = true;
    p.wingPanel = true;
    p.span = 250.0;
    p.sweep = 30.0;
    p.blockCentredZ = false;
    p.rootAxisOffset = placedBadly ? 250 : 500;
    p.offsetX0 = placedBadly ? -20 : 40;
    p.foamThickness = 100.0;
    p.teMode = TeHorizontal;
    p.leMode = LeNone;
    p.Rebuild(false, false);
  }
};

}  // namespace orva::test
