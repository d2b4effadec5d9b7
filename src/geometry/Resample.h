#pragma once

#include "geometry/Point2D.h"
#include "geometry/Section.h"

namespace orva {

// An outline holds at most 1,000,000 points after resampling; input points are
// always kept.
// One point about every millimetre along straight segments at chord `chordMm`;
// every input point is kept.
PointList ResampleStraight(const PointList& outline, double chordMm);
// One point about every 0.7 mm along a natural cubic spline through the points
// (parameter: point index); every input point is kept.
PointList ResampleSpline(const PointList& outline, double chordMm);
// The tip outline re-sampled at the relative x positions of the root outline:
// the result has exactly root.size() points (none when the tip outline is empty).
PointList MatchOutline(const PointList& tip, const PointList& root);

// Resamples the section's cutUpper then cutLower at its chord.
void Resample(Section& section, bool splines);
// Matches the tip's cut outlines point for point to the root's.
void MatchToRoot(Section& tip, const Section& root);

}  // namespace orva
