#include "ui/CProfileFrame.h"

#include <QCloseEvent>

#include "app/ProjectOpener.h"
#include "common/Messages.h"
#include "ui/SceneView.h"

namespace orva {

CProfileFrame::CProfileFrame(SceneView* view, ViewKind kind, QWidget* parent)
    : QMdiSubWindow(parent), view_(view), kind_(kind) {
  setObjectName(kind == ViewKind::Profile ? QStringLiteral("profileFrame")
                : kind == ViewKind::Wing  ? QStringLiteral("wingFrame")
                                          : QStringLiteral("cutFrame"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWidget(view);
  setWindowIcon(QIcon(QStringLiteral(":/icons/orva.svg")));
  updateTitle();
}

CT1Doc* CProfileFrame::document() const { return view_->document(); }

QString CProfileFrame::projectTitle(const CT1Doc& doc) {
  return QString::fromStdString(ProjectTitle(doc));
}

void CProfileFrame::updateTitle() {
  const CT1Doc* doc = document();
  const QString title = doc ? projectTitle(*doc) : QString();
  const Msg suffix = kind_ == ViewKind::Wing  ? Msg::WingWindowSuffix
                     : kind_ == ViewKind::Cut ? Msg::CutWindowSuffix
                                              : Msg::ProfileWindowSuffix;
  setWindowTitle(title + QString::fromUtf8(messageText(suffix)));
}

void CProfileFrame::closeEvent(QCloseEvent* event) {
  if (mayClose && !mayClose(*this)) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
}

}  // namespace orva
