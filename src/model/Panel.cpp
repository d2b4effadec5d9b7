#include "model/Panel.h"

#include "geometry/SectionBuilder.h"

namespace orva {

Panel Panel::makeDefault(int entraxe, bool splines) {
  Panel panel;
  // Both the halving and the offset use integer arithmetic on purpose: a table
  // of 1501 mm gives a 750 mm panel placed 375 mm from the root support.
  const int halfTable = entraxe / 2;
  panel.span = halfTable;
  panel.rootAxisOffset = static_cast<int>(static_cast<double>(entraxe) - panel.span) / 2;
  panel.root.params = SectionParams{};
  panel.tip.params = SectionParams{};
  panel.root.profile.MakeDefault();
  panel.tip.profile.MakeDefault();
  panel.Rebuild(splines, /*afterDialog=*/true);
  return panel;
}

void Panel::Rebuild(bool splines, bool afterDialog) {
  RebuildSections(root, tip, SectionBuildOptions{wingPanel, differentRootTip, splines, false});
  if (!wingPanel) {
    teMode = TeHorizontal;
    if (afterDialog) leMode = LeNone;
  }
}

void Panel::RebuildAfterNewProfile(bool splines, bool tipChanged) {
  // The edge treatments are left alone; a new tip profile is built from its
  // own points even when the tip normally copies the root.
  RebuildSections(root, tip, SectionBuildOptions{wingPanel, differentRootTip, splines, tipChanged});
}

}  // namespace orva
