#include "geometry/SectionBuilder.h"

#include <cmath>

#include "geometry/Resample.h"

namespace orva {

namespace {

// Shrinks a section's cut outlines by its skin. The skin is a length in mm and
// the outlines are chord fractions, so only a section with a usable chord and
// a non-zero ratio is touched.
void ApplySectionSkin(Section& section) {
  const double chord = section.params.chord;
  if (chord == 0.0) return;
  const double d = section.params.skin / chord;
  if (d == 0.0 || !std::isfinite(d)) return;
  section.ApplySkin(d);
}

}  // namespace

void RebuildSections(Section& root, Section& tip, const SectionBuildOptions& options) {
  // The tip keeps its own outlines when it differs from the root, or when it
  // has just received a profile of its own; otherwise it becomes a copy of the
  // root. A copied tip's extraction and skin would be overwritten, so they are
  // skipped.
  const bool ownTip = options.differentRootTip || options.tipFromOwnProfile;

  root.ExtractSurfaces(options.wingPanel);
  if (ownTip) tip.ExtractSurfaces(options.wingPanel);

  if (options.wingPanel) {
    ApplySectionSkin(root);
    if (ownTip) ApplySectionSkin(tip);
    Resample(root, options.splines);
    if (ownTip) {
      Resample(tip, options.splines);
      MatchToRoot(tip, root);
    }
  }
  // The copy takes the root's outlines before either section is rotated, so
  // the tip's own washout (the root's, after the copy) turns them exactly once.
  if (!ownTip) tip.CopyFrom(root);

  root.ApplyWashout();
  tip.ApplyWashout();
}

}  // namespace orva
