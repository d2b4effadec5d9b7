#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "render/SceneFiles.h"
#include "render/ScenePainter.h"
#include "scene/ProfileViewScene.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

class RenderTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  RenderTest() {
    std::string foam = "Poly";
    config.foams.LoadFoamsFromText("V3\n", foam);
    doc.NewProject();
  }

  CT1Doc& rootChord(double chord) {
    Panel& p = doc.panels.front();
    p.differentRootTip = true;
    p.root.params.chord = chord;
    p.Rebuild(doc.splines, false);
    return doc;
  }

  const test::TempDir dir_;
};

TEST_F(RenderTest, PdfAtZoomOneCarriesTrueMillimetres) {
  const Scene scene = ProfileViewScene::build(rootChord(200.0));
  const auto path = dir_ / "profile.pdf";
  ASSERT_EQ(SceneFiles::write(scene, path), "");
  const std::string pdf = test::readFile(path);
  std::smatch m;
  const std::string text = pdf;
  ASSERT_TRUE(std::regex_search(text, m, std::regex(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])")));
  const double widthMm = std::stod(m[1]) * 25.4 / 72.0;
  EXPECT_NEAR(widthMm, scene.frame.width() / 10.0, 0.5);
  // The frame holds the 200 mm chord with its margins: a 1:1 template.
  EXPECT_GT(widthMm, 200.0);
  EXPECT_LT(widthMm, 260.0);
}

TEST_F(RenderTest, PngShowsTheCutOutlineColoursWhereTheSceneDrawsThem) {
  const Scene scene = ProfileViewScene::build(rootChord(200.0));
  const auto path = dir_ / "profile.png";
  const double dpi = 254.0;  // 10 pixels per mm
  ASSERT_EQ(SceneFiles::write(scene, path, dpi), "");
  QImage image(QString::fromStdString(path.string()));
  ASSERT_FALSE(image.isNull());
  const QTransform t = ScenePainter::fileTransform(scene, 10.0);
  auto colourNear = [&](Point2D p, int r, int g, int b) {
    const QPoint c = t.map(QPointF(p.x, p.y)).toPoint();
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        const QColor q = image.pixelColor(c.x() + dx, c.y() + dy);
        // The outline lies on the black surface: antialiasing darkens it, its hue stays.
        const int want = r > 0 ? q.red() : q.green();
        const int other = r > 0 ? std::max(q.green(), q.blue()) : std::max(q.red(), q.blue());
        if (g + b + r > 0 && want > other + 50) return true;
      }
    return false;
  };
  int checked = 0;
  for (const Primitive& p : scene.items) {
    if (p.kind != PrimitiveKind::Polyline || p.pen.width != 1.0 || p.pen.style != PenStyle::Solid)
      continue;
    const Point2D mid = p.points[p.points.size() / 3];
    if (p.pen.color == Color{255, 0, 0} || p.pen.color == Color{0, 255, 0}) {
      EXPECT_TRUE(colourNear(mid, p.pen.color.r, p.pen.color.g, p.pen.color.b));
      ++checked;
    }
  }
  EXPECT_EQ(checked, 4);  // upper and lower outline of root and tip
  // Away from every line the picture is white.
  EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
}

// Filled shapes with a pen of width 0 (the swept surface of the oblique cut
// view) have no outline, and two of them side by side meet without a seam of
// the background between them; a pen of width 1 outlines.
TEST_F(RenderTest, FilledShapesWithoutAPenMeetWithoutOutlineOrSeam) {
  Scene scene;
  scene.unitsPerMm = 1.0;
  scene.frame = {0.0, 0.0, 40.0, 20.0};
  const Color red{255, 0, 0};
  scene.polygon({{2, 2}, {20.3, 2}, {20.3, 18}, {2, 18}}, Pen{kBlue, 0.0, PenStyle::Solid},
                Brush{true, red});
  scene.polygon({{20.3, 2}, {38, 2}, {38, 18}, {20.3, 18}}, Pen{kBlue, 0.0, PenStyle::Solid},
                Brush{true, red});
  QImage image(400, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    ScenePainter::paint(scene, painter, ScenePainter::fileTransform(scene, 10.0));
  }
  int blue = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qBlue(image.pixel(x, y)) > 100 && qRed(image.pixel(x, y)) < 100) ++blue;
    }
  }
  EXPECT_EQ(blue, 0);
  for (int x = 25; x < 375; ++x) ASSERT_EQ(image.pixel(x, 100), qRgb(255, 0, 0)) << x;
  scene.items.front().pen.width = 1.0;
  {
    QPainter painter(&image);
    ScenePainter::paint(scene, painter, ScenePainter::fileTransform(scene, 10.0));
  }
  EXPECT_GT(qBlue(image.pixel(20, 100)), 100);
}

TEST_F(RenderTest, ALargeRibIsTiledOverSeveralA4Pages) {
  const Scene scene = ProfileViewScene::build(rootChord(400.0), {.printing = true});
  const auto path = dir_ / "rib.pdf";
  ASSERT_EQ(SceneFiles::writeTiledPdf(scene, path), "");
  const std::string pdf = test::readFile(path);
  std::size_t pages = 0;
  for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
       at = pdf.find("/Type /Page\n", at + 1))
    ++pages;
  // 400 mm plus margins is wider than two 190 mm printable widths less the overlap.
  EXPECT_GE(pages, 3u);
  EXPECT_NE(pdf.find("/MediaBox [0 0 595"), std::string::npos);  // A4
}

}  // namespace
}  // namespace orva

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
