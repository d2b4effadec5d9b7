#pragma once

#include "geometry/Section.h"

namespace orva {

struct SectionBuildOptions {
  bool wingPanel = true;
  bool differentRootTip = false;
  bool splines = true;
  // After a new tip profile the tip is built from its own profile even when
  // root and tip are meant to be the same (it is not replaced by a copy).
  bool tipFromOwnProfile = false;
};

// Rebuilds a panel's root and tip outlines in the fixed order: extract the
// surfaces, offset the skin, resample the root, resample the tip and match it to
// the root (or copy the root into the tip), then rotate each by its washout.
void RebuildSections(Section& root, Section& tip, const SectionBuildOptions& options);

}  // namespace orva
