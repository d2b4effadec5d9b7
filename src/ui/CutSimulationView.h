#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "cutting/CutSimulation.h"
#include "scene/CutSimulationScene.h"
#include "ui/SceneView.h"

class QComboBox;
class QLabel;
class QListWidget;
class QSlider;
class QToolButton;

namespace orva {

struct CutEnvironment;
class JobRunner;

// The cut window's view: the planned cut of the current panel, in the front
// projection or the oblique 3D view (drag to turn it), with a time line
// below: a slider over the planned time, play and pause at 1x to 100x, the
// previous and next move, and what happens at the chosen time (move, label,
// elapsed and remaining time, the speeds of both face points and both
// towers). It plans again when the project changes. While the program's job
// runs a cut, the view follows the wire where the job reports it.
class CutSimulationView : public SceneView {
  Q_OBJECT

 public:
  // Play speeds offered, times real time.
  static constexpr int kSpeeds[] = {1, 2, 5, 10, 20, 50, 100};
  // Slider steps per second of planned time.
  static constexpr int kSliderSteps = 10;

  CutSimulationView(CT1Doc& doc, const CommandCatalogue& commands, CutEnvironment& env,
                    JobRunner* runner, QWidget* parent = nullptr);
  ~CutSimulationView() override;

  Scene buildScene(bool printing) const override;

  const CutSimulation& simulation() const { return sim_; }
  const WireState& state() const { return state_; }
  bool threeD() const { return threeD_; }
  bool playing() const { return play_.isActive(); }
  bool following() const { return following_; }
  const ObliqueAngles& angles() const { return angles_; }

  // The wire at time t (s); stops following a job's position only when the
  // job is over.
  void setTime(double seconds);
  void setThreeD(bool on);
  void play();
  void pause();
  void stepMove(int direction);
  // The time line at the end of move `index` (from 0), that move shown:
  // where a warning's entry in the list goes (the wire in its ring).
  void goToMove(std::size_t index);
  // Plans the cut again from the project.
  void replan();
  // The wire where the running job reports it.
  void followJob();

 protected:
  PopupMenu popupMenu() const override { return PopupMenu::None; }
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void buildTimeLine();
  void showState();
  void tick();
  int speedFactor() const;
  Scene build(const CutSceneStyle& style) const;
  QTransform fit(const Scene& scene) const;

  CutEnvironment& env_;
  JobRunner* runner_;
  CutSimulation sim_;
  WireState state_;
  ObliqueAngles angles_;
  // Texts and lines of the picture on screen, in millimetres of the drawing.
  CutSceneStyle screenStyle_{false, 0.0, 0.0};
  bool threeD_ = false;
  bool following_ = false;
  CT1Doc::ObserverToken token_ = 0;
  QTimer replanSoon_;
  QTimer play_;
  QElapsedTimer clock_;
  QPoint dragFrom_;

  QWidget* timeLine_ = nullptr;
  QSlider* slider_ = nullptr;
  QToolButton* playButton_ = nullptr;
  QToolButton* previous_ = nullptr;
  QToolButton* next_ = nullptr;
  QToolButton* threeDButton_ = nullptr;
  QComboBox* speedList_ = nullptr;
  QLabel* moveText_ = nullptr;
  QLabel* timeText_ = nullptr;
  QLabel* speedText_ = nullptr;
  QListWidget* warnings_ = nullptr;
};

}  // namespace orva
