#include "plot/painter_surface/region_pictures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>

#include "plot/painter_surface/painter_surface.h"
#include "plot/region_plot.h"
#include "session/background_dialog.h"
#include "session/import_vamas.h"
#include "session/startup.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"

namespace vortlan {
namespace {

// How many pixels of the image are close to the colour.
int pixelsOf(const QImage& image, QColor colour, int tolerance = 40) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                         std::abs(c.blue() - colour.blue()) <=
                     tolerance;
        }
    }
    return count;
}

class RegionPicturesTest : public ::testing::Test, protected testing::FittedSession {
protected:
    Workspace& ws = session.workspace;
};

TEST_F(RegionPicturesTest, ScreenPlotShowsTheSpectrumInBlueAndTheEditedPeakInRed) {
    ws.currentPeak = 1;
    const QImage image = regionImage(ws, 0, QSize(600, 400), PictureLayout::Screen, 1.0, true);
    EXPECT_GT(pixelsOf(image, Qt::blue), 200);
    EXPECT_GT(pixelsOf(image, Qt::red), 100);
    EXPECT_GT(pixelsOf(image, Qt::black), 500);
    for (QPoint corner : {QPoint(1, 1), QPoint(598, 1), QPoint(1, 398), QPoint(598, 398)}) {
        EXPECT_EQ(image.pixelColor(corner), QColor(Qt::white));
    }
}

TEST_F(RegionPicturesTest, SharpOnHighResolutionScreens) {
    const QImage image = regionImage(ws, 0, QSize(300, 200), PictureLayout::Screen, 2.0);
    EXPECT_EQ(image.size(), QSize(600, 400));
    EXPECT_EQ(image.deviceIndependentSize(), QSizeF(300, 200));
}

TEST_F(RegionPicturesTest, PrintedLayoutsAreBlackAndTheClipboardPictureHasItsSize) {
    const QImage page = regionImage(ws, 0, QSize(800, 600), PictureLayout::PageWithTable);
    EXPECT_EQ(pixelsOf(page, Qt::blue), 0);
    EXPECT_GT(pixelsOf(page, Qt::black), 1000);
    const QImage clip = clipboardPicture(ws);
    EXPECT_EQ(clip.size(), QSize(kClipboardWidth, kClipboardHeight));
    EXPECT_EQ(clip.pixelColor(2, 2), QColor(Qt::white));
}

// The screen plot after the pointer has been at each of the positions, in user units, in turn.
QImage readoutAfter(const Workspace& ws, std::initializer_list<UserPoint> pointer) {
    QImage image(600, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    PainterSurface surface(painter, QRectF(0, 0, 600, 300));
    ReadoutPosition readout;
    drawRegionFrame(surface, ws, readout);
    for (UserPoint p : pointer)
        showPointerReadout(surface, readout, static_cast<float>(p.x), static_cast<float>(p.y));
    return image;
}

// In the plot's proportional font 25 blanks are narrower than a long readout's digits.
TEST_F(RegionPicturesTest, PointerReadoutLeavesNothingOfALongerOneBehind) {
    const QImage shortOnly = readoutAfter(ws, {{284.5, 1523}});
    EXPECT_EQ(readoutAfter(ws, {{-1234.567, -123456.7}, {284.5, 1523}}), shortOnly);
    EXPECT_NE(readoutAfter(ws, {{-1234.567, -123456.7}}), shortOnly);
}

TEST_F(RegionPicturesTest, EmptyRegionIsAWhitePicture) {
    const QImage image = regionImage(ws, 7, QSize(200, 100), PictureLayout::Screen);
    EXPECT_EQ(pixelsOf(image, Qt::white, 0), 200 * 100);
}

TEST_F(RegionPicturesTest, FilesByExtension) {
    testing::TempDir dir;
    for (const char* name : {"c1s.png", "c1s.pdf", "c1s.svg"}) {
        const QString path = QString::fromStdString(dir.file(name));
        ASSERT_TRUE(saveRegionPicture(ws, 0, path, PictureLayout::Page)) << name;
        EXPECT_GT(QFile(path).size(), 1000) << name;
    }
    EXPECT_TRUE(testing::readWholeFile(dir.file("c1s.pdf")).rfind("%PDF", 0) == 0);
    EXPECT_NE(testing::readWholeFile(dir.file("c1s.svg")).find("<svg"), std::string::npos);
    EXPECT_FALSE(saveRegionPicture(ws, 0, QString::fromStdString(dir.file("missing/c1s.png")), PictureLayout::Page));
}

}  // namespace
}  // namespace vortlan

namespace vortlan {
namespace {

// The shipped examples as a new user first sees them: imported, with a background and a peak.
TEST(ExamplePictures, ImportedExamplesDrawTheirSpectrumAndFit) {
    for (const char* name : {"c1s.vms", "ti2p.vms"}) {
        RecordingPort port;
        Session session(port);
        startUp(session);
        session.workspace.fileName = std::string(VORTLAN_SOURCE_DIR) + "/examples/" + name;
        importVamas(session);
        openBackgroundDialog(session);
        ASSERT_TRUE(acceptBackground(session)) << name;
        Workspace& ws = session.workspace;
        const Region& r = ws.regions[0];
        testing::addPeak(ws, 0, 0, r.energy[r.pointCount / 2], 5000.0f, 1.5f);
        updateRegionCurves(ws, port);
        const QImage screen = regionImage(ws, 0, QSize(640, 400), PictureLayout::Screen, 1.0, true);
        EXPECT_GT(pixelsOf(screen, Qt::blue), 300) << name;
        EXPECT_GT(pixelsOf(screen, Qt::red), 100) << name;
        EXPECT_GT(pixelsOf(screen, Qt::black), 150) << name;  // background, envelope, axis and text
        EXPECT_EQ(screen.pixelColor(638, 398), QColor(Qt::white)) << name;
        const QImage page = regionImage(ws, 0, QSize(800, 600), PictureLayout::Page);
        EXPECT_EQ(page.pixelColor(4, 4), QColor(Qt::white)) << name;  // the page margin
        EXPECT_EQ(pixelsOf(page, Qt::blue), 0) << name;
    }
}

}  // namespace
}  // namespace vortlan
