#pragma once

#include <QAbstractScrollArea>
#include <optional>

#include "app/CommandCatalogue.h"
#include "model/CT1Doc.h"
#include "scene/Scene.h"

class QPrinter;

namespace orva {

// A scrolling view that paints a scene of its project at true size (at zoom
// 100 % one millimetre of the scene is one millimetre of the screen), builds
// the scene again when the project tells it something changed, prints it
// tiled at true scale, and turns mouse events into commands
// (commandRequested). The project must outlive the view or be let go of
// with detach() first.
class SceneView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  SceneView(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent);
  ~SceneView() override;

  CT1Doc* document() const { return doc_; }
  // The project is going away: forget it without touching it.
  void detach();

  // The picture as shown (printing = false) or as printed.
  virtual Scene buildScene(bool printing) const = 0;
  // The scene on screen, built when the project changed.
  const Scene& scene();

  // Prints the printed scene at true scale over as many pages as it needs;
  // returns an error text, empty on success.
  std::string print(QPrinter& printer) const;

  // Logical units (of the scene on screen) of a viewport point, and back.
  QPointF toLogical(QPoint viewportPoint);
  QTransform logicalToViewport();

 signals:
  void commandRequested(int commandId);

 protected:
  virtual PopupMenu popupMenu() const = 0;
  // The hit test before a click's command; the wing view selects a panel.
  virtual void hitTest(QPoint) {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

  const CommandCatalogue& commands_;

 private:
  double dotsPerMm() const;
  void invalidate();
  void updateScrollBars();

  CT1Doc* doc_;
  CT1Doc::ObserverToken token_ = 0;
  std::optional<Scene> scene_;
};

}  // namespace orva
