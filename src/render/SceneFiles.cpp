#include "render/SceneFiles.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "render/ScenePainter.h"

namespace orva {

namespace {

constexpr double kMmPerInch = 25.4;

QSizeF frameMm(const Scene& s) {
  return {s.frame.width() / s.unitsPerMm, s.frame.height() / s.unitsPerMm};
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

std::string SceneFiles::write(const Scene& scene, const std::filesystem::path& path, double dpi) {
  const std::string ext = lower(path.extension().string());
  const QString file = QString::fromStdString(path.string());
  const QSizeF mm = frameMm(scene);
  if (mm.width() <= 0.0 || mm.height() <= 0.0) return "empty picture";
  if (ext == ".png") {
    if (dpi <= 0.0 || dpi > 2400.0) return "resolution out of range";
    const double dpmm = dpi / kMmPerInch;
    const int w = std::max(1, static_cast<int>(std::ceil(mm.width() * dpmm)));
    const int h = std::max(1, static_cast<int>(std::ceil(mm.height() * dpmm)));
    if (static_cast<double>(w) * h > 400e6) return "picture too large";
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(dpmm * 1000.0));
    image.setDotsPerMeterY(static_cast<int>(dpmm * 1000.0));
    QPainter painter(&image);
    ScenePainter::paint(scene, painter, ScenePainter::fileTransform(scene, dpmm));
    painter.end();
    return image.save(file, "PNG") ? std::string() : "cannot write " + path.string();
  }
  if (ext == ".svg") {
    // 90 user units per inch keeps the numbers readable; the size is given in mm.
    const double dpmm = 90.0 / kMmPerInch;
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setResolution(90);
    svg.setSize(QSize(static_cast<int>(std::ceil(mm.width() * dpmm)),
                      static_cast<int>(std::ceil(mm.height() * dpmm))));
    svg.setViewBox(QRectF(0, 0, mm.width() * dpmm, mm.height() * dpmm));
    QPainter painter;
    if (!painter.begin(&svg)) return "cannot write " + path.string();
    ScenePainter::paint(scene, painter, ScenePainter::fileTransform(scene, dpmm));
    painter.end();
    return {};
  }
  if (ext == ".pdf") {
    QPdfWriter pdf(file);
    pdf.setResolution(1200);
    pdf.setPageLayout(
        QPageLayout(QPageSize(mm, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&pdf)) return "cannot write " + path.string();
    ScenePainter::paint(scene, painter, ScenePainter::fileTransform(scene, 1200.0 / kMmPerInch));
    painter.end();
    return {};
  }
  return "unknown picture type " + ext;
}

std::string SceneFiles::writeTiledPdf(const Scene& scene, const std::filesystem::path& path,
                                      const QPageSize& paper) {
  if (scene.frame.width() <= 0.0 || scene.frame.height() <= 0.0) return "empty picture";
  QPdfWriter pdf(QString::fromStdString(path.string()));
  pdf.setResolution(600);
  pdf.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                QPageLayout::Millimeter));
  const std::string error = printTiled(scene, pdf);
  return error == "cannot paint" ? "cannot write " + path.string() : error;
}

std::string SceneFiles::printTiled(const Scene& scene, QPagedPaintDevice& device) {
  const QSizeF mm = frameMm(scene);
  if (mm.width() <= 0.0 || mm.height() <= 0.0) return "empty picture";
  const double dpmm = device.logicalDpiX() / kMmPerInch;
  const QRectF area = device.pageLayout().paintRect(QPageLayout::Millimeter);
  constexpr double kOverlap = 10.0;
  if (area.width() <= 2 * kOverlap || area.height() <= 2 * kOverlap) return "page too small";
  const double stepX = area.width() - kOverlap;
  const double stepY = area.height() - kOverlap;
  const int cols = std::max(1, static_cast<int>(std::ceil((mm.width() - kOverlap) / stepX)));
  const int rows = std::max(1, static_cast<int>(std::ceil((mm.height() - kOverlap) / stepY)));
  if (cols * rows > 400) return "picture too large";
  QPainter painter;
  if (!painter.begin(&device)) return "cannot paint";
  const QTransform base = ScenePainter::fileTransform(scene, dpmm);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      if ((r || c) && !device.newPage()) return "cannot start a new page";
      const QTransform tile =
          base * QTransform::fromTranslate(-c * stepX * dpmm, -r * stepY * dpmm);
      painter.save();
      painter.setClipRect(QRectF(0, 0, area.width() * dpmm, area.height() * dpmm));
      ScenePainter::paint(scene, painter, tile);
      painter.restore();
      if (cols * rows == 1) continue;  // one page needs nothing to line up
      // Alignment marks: crosses at the corners of the overlap, where the next tile starts.
      painter.setPen(QPen(Qt::black, 0.2 * dpmm));
      const double m = 3.0 * dpmm;
      for (QPointF q : {QPointF(stepX * dpmm, 0), QPointF(stepX * dpmm, stepY * dpmm),
                        QPointF(0, stepY * dpmm), QPointF(kOverlap * dpmm, kOverlap * dpmm)}) {
        painter.drawLine(q - QPointF(m, 0), q + QPointF(m, 0));
        painter.drawLine(q - QPointF(0, m), q + QPointF(0, m));
      }
    }
  }
  painter.end();
  return {};
}

}  // namespace orva
