#pragma once

#include <QMdiSubWindow>
#include <functional>

#include "model/CT1Doc.h"

namespace orva {

class SceneView;

// A child window of the main window holding one view of the project. Its
// title is the project's title followed by " - Profile", " - Wing" or " - Cut".
class CProfileFrame : public QMdiSubWindow {
  Q_OBJECT

 public:
  enum class ViewKind { Profile, Wing, Cut };

  CProfileFrame(SceneView* view, ViewKind kind, QWidget* parent = nullptr);

  SceneView* view() const { return view_; }
  ViewKind kind() const { return kind_; }
  CT1Doc* document() const;

  // The title of a project: its file name, or "Cutting" while it has none.
  static QString projectTitle(const CT1Doc& doc);
  void updateTitle();

  // Asked when the user closes the window: true lets it close. The main
  // window closes the project with its last window (after the save
  // question); while the project itself is being closed it is not asked.
  std::function<bool(CProfileFrame&)> mayClose;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  SceneView* view_;
  ViewKind kind_;
};

}  // namespace orva
