#include "ui/SceneView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <cmath>

#include "render/SceneFiles.h"
#include "render/ScenePainter.h"

namespace orva {

namespace {
constexpr double kMmPerInch = 25.4;
}

SceneView::SceneView(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent)
    : QAbstractScrollArea(parent), commands_(commands), doc_(&doc) {
  token_ = doc.subscribe([this](DocChanges changes) {
    if (changes.has(DocChange::ModifiedFlag) && changes.bits() == DocChanges(DocChange::ModifiedFlag).bits()) return;
    if (changes.bits() == DocChanges(DocChange::Path).bits()) return;
    invalidate();
  });
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  QPalette white = viewport()->palette();
  white.setColor(QPalette::Base, Qt::white);
  viewport()->setPalette(white);
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(20);
  setFocusPolicy(Qt::StrongFocus);
}

SceneView::~SceneView() {
  if (doc_) doc_->unsubscribe(token_);
}

void SceneView::detach() {
  doc_ = nullptr;
  scene_.reset();
}

const Scene& SceneView::scene() {
  if (!scene_) {
    scene_ = doc_ ? buildScene(false) : Scene{};
  }
  return *scene_;
}

void SceneView::invalidate() {
  scene_.reset();
  updateScrollBars();
  viewport()->update();
}

double SceneView::dotsPerMm() const { return logicalDpiX() / kMmPerInch; }

QTransform SceneView::logicalToViewport() {
  const Scene& s = scene();
  return ScenePainter::fileTransform(s, dotsPerMm()) *
         QTransform::fromTranslate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

QPointF SceneView::toLogical(QPoint viewportPoint) {
  return logicalToViewport().inverted().map(QPointF(viewportPoint));
}

void SceneView::updateScrollBars() {
  const Scene& s = scene();
  const double k = dotsPerMm() / s.unitsPerMm;
  const int width = static_cast<int>(std::ceil(s.frame.width() * k));
  const int height = static_cast<int>(std::ceil(s.frame.height() * k));
  const QSize page = viewport()->size();
  horizontalScrollBar()->setPageStep(page.width());
  verticalScrollBar()->setPageStep(page.height());
  horizontalScrollBar()->setRange(0, std::max(0, width - page.width()));
  verticalScrollBar()->setRange(0, std::max(0, height - page.height()));
}

void SceneView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  if (!doc_) return;
  ScenePainter::paint(scene(), painter, logicalToViewport());
}

void SceneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void SceneView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!doc_ || event->button() != Qt::LeftButton) return;
  hitTest(event->position().toPoint());
  emit commandRequested(CT1Doc::kCmdPanelParameters);
}

void SceneView::contextMenuEvent(QContextMenuEvent* event) {
  if (!doc_) return;
  if (event->reason() == QContextMenuEvent::Mouse) hitTest(event->pos());
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("popup%1").arg(static_cast<int>(popupMenu())));
  for (const MenuItem& item : commands_.popup(popupMenu())) {
    if (item.isSeparator()) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size())));
    action->setData(item.commandId);
  }
  const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : viewport()->mapToGlobal(QPoint(20, 20));
  if (QAction* chosen = menu.exec(at)) emit commandRequested(chosen->data().toInt());
}

std::string SceneView::print(QPrinter& printer) const {
  if (!doc_) return {};
  return SceneFiles::printTiled(buildScene(true), printer);
}

}  // namespace orva
