#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geometry/Point2D.h"

namespace orva {

class UserPrompt;

// One airfoil in canonical order: from the trailing edge of the first (upper)
// surface to the leading edge, then along the second (lower) surface back to
// its trailing edge. Coordinates are chord fractions, taken as given (never
// rescaled, normalised or de-rotated). A Profile is a plain value.
class Profile {
 public:
  std::string name;                // UTF-8
  PointList points;                // canonical order
  int leadingEdgeIndex = 0;        // index of the leading edge in `points`
  std::vector<double> oppositeY;   // y of the other surface at each point's x
  double maxThickness = 0.0;       // truncated to 5 decimals
  double maxThicknessX = 0.0;
  double maxCamber = 0.0;          // truncated to 5 decimals, never negative
  double maxCamberX = 0.0;
  double minY = 0.0;
  double maxY = 0.0;

  int count() const { return static_cast<int>(points.size()); }

  // Canonicalises a raw point list (Selig order, two surfaces each starting at
  // x = 0, or a header point holding the two surface counts), finds the leading
  // edge, fills oppositeY and the derived figures. Returns false and leaves the
  // profile unchanged when the list cannot form a profile (empty, a count
  // header announcing more points than follow or negative counts, no point
  // with x < 100). The name is not touched.
  bool BuildFromPoints(const PointList& raw);

  // Fills oppositeY and the derived figures from `points` and
  // `leadingEdgeIndex` as they stand (BuildFromPoints ends with it). Nothing
  // changes when the leading-edge index is not a point of the list.
  void ComputeFigures();

  // Upper surface from the leading edge to the trailing edge.
  PointList ExtractUpper() const;
  // Lower surface from the leading edge to the trailing edge.
  PointList ExtractLower() const;

  // Scales the thickness distribution so that maxThickness becomes t (chord fraction).
  void SetThickness(double t);
  // Scales the mean line's height above the chord line so that maxCamber becomes c.
  void SetCamber(double c);

  // The built-in 69-point airfoil, named "NoName".
  void MakeDefault();

  // Asks for a coordinate file through `prompt` (title as given, initial
  // directory `profileDirectory`) and reads it. On failure the profile is
  // unchanged; an unreadable file has already been reported ("Unable to Open
  // file for Reading"); the caller reports "Invalid .dat file".
  bool LoadCoordinateFile(UserPrompt& prompt, std::string_view title,
                          const std::string& profileDirectory);
};

}  // namespace orva
