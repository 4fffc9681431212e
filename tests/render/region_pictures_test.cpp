#include "plot/painter_surface/region_pictures.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

#include <QFile>
#include <QPainter>

#include "plot/painter_surface/painter_surface.h"
#include "plot/palette.h"
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

// The pixels of a row darker than the threshold.
int darkIn(const QImage& image, int row, int threshold = 230) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) count += qGray(image.pixel(x, row)) < threshold;
    return count;
}

// The lowest row of the image black across most of it: the energy axis.
int energyAxisRow(const QImage& image) {
    for (int y = image.height() - 1; y >= 0; --y) {
        if (darkIn(image, y, 100) > image.width() * 3 / 5) return y;
    }
    return -1;
}

TEST_F(RegionPicturesTest, HairlinesStayOneDevicePixelWhileTextAndCurvesScale) {
    for (double ratio : {1.0, 2.0}) {
        const QImage image = regionImage(ws, 0, QSize(400, 250), PictureLayout::Screen, ratio);
        const int axis = energyAxisRow(image);
        ASSERT_GT(axis, 0) << ratio;
        // One sharp row: beside it, at high energy where the curves keep away from it, only ticks.
        const QImage beside = image.copy(image.width() / 8, axis - 1, image.width() / 4, 3);
        EXPECT_GT(darkIn(beside, 1, 100), beside.width() * 9 / 10) << ratio;
        EXPECT_LT(darkIn(beside, 0), beside.width() / 10) << ratio;
        EXPECT_LT(darkIn(beside, 2), beside.width() / 10) << ratio;
    }
    // Two pixels wide in each direction: the spectrum covers four times the device pixels.
    const int once = pixelsOf(regionImage(ws, 0, QSize(400, 250), PictureLayout::Screen, 1.0), Qt::blue);
    const int twice = pixelsOf(regionImage(ws, 0, QSize(400, 250), PictureLayout::Screen, 2.0), Qt::blue);
    EXPECT_GT(twice, 3 * once);
}

QColor qtColour(Colour c) { return QColor(c.red, c.green, c.blue); }

// The printed page and the clipboard picture keep their black (below) unless colour is asked for them.
TEST_F(RegionPicturesTest, PrintedLayoutsInColourWhenAskedFor) {
    const PlotStyle colourStyle{true, false};
    const QImage page =
        regionImage(ws, 0, QSize(800, 500), PictureLayout::PageWithTable, 1.0, false, colourStyle);
    EXPECT_GT(pixelsOf(page, qtColour(peakColour(1)), 10), 50);
    EXPECT_GT(pixelsOf(clipboardPicture(ws, colourStyle), qtColour(peakColour(0)), 10), 20);
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

// Batch runs and Python draw pictures on several threads at once, from the first: none may disturb
// another.
TEST_F(RegionPicturesTest, PicturesDrawnOnSeveralThreadsAtOnceAreThoseDrawnAlone) {
    constexpr std::size_t kThreads = 8;
    std::vector<QImage> drawn(kThreads);
    {
        std::latch start(kThreads);
        std::vector<std::jthread> threads;
        for (std::size_t t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                start.arrive_and_wait();
                drawn[t] = regionImage(ws, 0, QSize(400, 300), PictureLayout::Page);
            });
    }
    const QImage alone = regionImage(ws, 0, QSize(400, 300), PictureLayout::Page);
    for (const QImage& image : drawn) EXPECT_EQ(image, alone);
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
