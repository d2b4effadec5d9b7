#include "cutting/CutEmitter.h"

#include "common/Messages.h"
#include "motion/MovePlanner.h"

namespace orva {

CutEmitter::CutEmitter(MovePlanner& planner, MoveList& moves, double leftDistance, double span,
                       bool swapped)
    : planner_(planner),
      moves_(moves),
      leftDistance_(leftDistance),
      span_(span),
      swapped_(swapped) {}

bool CutEmitter::cut(Point2D root, Point2D tip, std::string_view label) {
  return general(root, tip, swapped_ ? SpeedMode::Face2 : SpeedMode::Face1, label);
}

bool CutEmitter::paced(Point2D root, Point2D tip, std::string_view label) {
  return general(root, tip, SpeedMode::TowerMax, label);
}

bool CutEmitter::rapid(Point2D root, Point2D tip, std::string_view label) {
  return general(root, tip, SpeedMode::Rapid, label);
}

bool CutEmitter::general(Point2D root, Point2D tip, SpeedMode mode, std::string_view label) {
  const Point2D face1 = swapped_ ? tip : root;
  const Point2D face2 = swapped_ ? root : tip;
  auto move = planner_.PlanMove(leftDistance_, span_, mode, face1.x, face1.y, face2.x, face2.y,
                                label);
  if (!move) return false;
  moves_.push_back(std::move(*move));
  return true;
}

bool CutEmitter::dwell(double milliseconds) {
  auto move = planner_.PlanDwell(milliseconds);
  if (!move) return false;
  moves_.push_back(std::move(*move));
  return true;
}

bool CutEmitter::verticalTrim(double rootX, double tipX, double rootTop, double tipTop) {
  return general({rootX, 0.0}, {tipX, 0.0}, SpeedMode::FaceMax,
                 messageText(Msg::DownVerticalCut)) &&
         dwell(kTrimPauseMs) &&
         general({rootX, rootTop}, {tipX, tipTop}, SpeedMode::FaceMax,
                 messageText(Msg::UpVerticalCut));
}

}  // namespace orva
