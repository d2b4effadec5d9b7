#pragma once

#include <QWidget>
#include <optional>

#include "cutting/PanelCutForm.h"
#include "scene/Scene.h"

namespace orva {

// One of the two previews of the Panel Cutting dialog: the front (or back)
// view or the top view of the form's block on the table, fitted into the
// widget. A click in the top view marks the point with a small circle and
// shows its table coordinates ("%d %d"), snapped to a characteristic point
// of the drawing when it is close enough; a change of the form clears it.
class PreviewWidget : public QWidget {
 public:
  enum class Kind { Front, Top };

  PreviewWidget(Kind kind, const PanelCutForm& form, QWidget* parent = nullptr);

  Kind kind() const { return kind_; }
  // The scene as painted now.
  Scene scene() const;
  // How the scene is fitted into the widget at its present size, below
  // the band of its title.
  PreviewMapping mapping() const;
  // The last click of the top view; nothing before one or after a change.
  const std::optional<PreviewClick>& click() const { return click_; }
  // The form changed: the drawing follows, the click mark goes.
  void formChanged();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  PreviewRect extent() const;
  // Height of the title's band above the drawing, pixels.
  int titleBand() const;

  Kind kind_;
  const PanelCutForm& form_;
  std::optional<PreviewClick> click_;
};

}  // namespace orva
