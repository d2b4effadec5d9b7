#pragma once

#include "geometry/Point2D.h"
#include "geometry/Profile.h"

namespace orva {

// The parameters of one end of a panel. Lengths in mm, angles in degrees.
struct SectionParams {
  double xleH1 = 5.0;       // X leading edge: upper height h1
  double xleH2 = 5.0;       // X leading edge: lower height h2
  double xleLength = 10.0;  // X leading edge: length l
  double xleBeta = 45.0;    // X leading edge: beta angle
  double xleAlpha = 45.0;   // X leading edge: alpha angle
  double reserved = 0.0;    // kept in project files, not used
  double washout = 0.0;
  double leMargin = 0.0;
  double teMargin = 0.0;
  double basicHeight = 25.0;
  double chord = 150.0;
  double skin = 0.0;

  friend bool operator==(const SectionParams&, const SectionParams&) = default;
};

// One end of a panel: its profile and parameters, and the outlines built from them.
// All lists are in chord fractions in the profile's frame.
class Section {
 public:
  SectionParams params;
  Profile profile;
  PointList upper;     // leading edge to trailing edge, rotated by the washout
  PointList lower;
  PointList cutUpper;  // the outlines the wire follows
  PointList cutLower;

  // Surfaces from the profile; for a panel that is not a wing panel, `upper`
  // becomes one closed outline and `lower` is empty. The cut outlines start as copies.
  void ExtractSurfaces(bool wingPanel);
  // Shrinks the cut outlines by d (chord fractions) and trims their crossings.
  void ApplySkin(double d);
  // Rotates all four lists about the origin by the washout.
  void ApplyWashout();
  // Copies everything but the reserved parameter.
  void CopyFrom(const Section& other);

  double MaxUpperY() const;
  double MinLowerY() const;
  // Height in mm of the chosen cut outline at X mm along the chord (see Section.cpp).
  double OutlineHeightAt(bool upperOutline, double xMm) const;
};

}  // namespace orva
