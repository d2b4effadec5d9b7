#pragma once

#include <optional>

namespace orva {

class CT1Doc;
struct CutEnvironment;

// Where the block of a panel cut could go so that every tower target of the
// cut stays within the table's X travel: the offsetX0 nearest to the panel's
// that does (the least one when the cut reaches below X zero), and, with the
// offsetX0 kept, the rootAxisOffset nearest to the panel's that does (only
// when the span leaves room along the wire). Each value is checked by
// planning the cut with it. Nothing when no value of that field helps, or
// when the cut is in travel already.
struct PanelPlacement {
  std::optional<int> offsetX0;
  std::optional<int> rootAxisOffset;
};

// Plans the cut of the project's current panel in the move planner's survey
// mode on a table whose X travel is widened, reads the X reach of the tower
// targets, and derives the fields above. The project, the table and the
// planner's position are put back as they were; nothing is executed or sent.
PanelPlacement SuggestPanelPlacement(CT1Doc& doc, CutEnvironment& env);

}  // namespace orva
