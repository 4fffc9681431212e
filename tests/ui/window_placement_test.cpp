// Where the spectrum window opens beside the main window.

#include "ui/window_placement.h"

#include <gtest/gtest.h>

#include <QScreen>

#include "scripted.h"

namespace vortlan {
namespace {

using ui::frameBeside;

// The main window's frame at the top-left of a screen, the spectrum window's wanted and smallest frames.
const QRect kMain(0, 0, 661, 387);
const QSize kWanted(946, 462);
const QSize kMinimum(474, 260);

TEST(WindowPlacement, BesideTheMainWindowWhereTheScreenHasRoomShrunkToIt) {
    const QRect wide(0, 0, 1600, 1000);
    EXPECT_EQ(frameBeside(kMain, kWanted, kMinimum, wide), QRect(669, 0, 931, 462));
    // A main window at the right edge gets its neighbour on its left.
    const QRect atRight = kMain.translated(1600 - 661, 100);
    EXPECT_EQ(frameBeside(atRight, kWanted, kMinimum, wide), QRect(0, 100, 931, 462));
    // Room enough on the right for the whole window.
    EXPECT_EQ(frameBeside(kMain, kWanted, kMinimum, QRect(0, 0, 1920, 1080)), QRect(669, 0, 946, 462));
}

TEST(WindowPlacement, BelowTheMainWindowWhenNeitherSideHoldsTheSmallestWindow) {
    EXPECT_EQ(frameBeside(kMain, kWanted, kMinimum, QRect(0, 0, 1024, 768)), QRect(0, 395, 946, 373));
    // A panel at the top of the screen moves everything down.
    const QRect belowPanel(0, 32, 1024, 736);
    EXPECT_EQ(frameBeside(kMain.translated(0, 32), kWanted, kMinimum, belowPanel), QRect(0, 427, 946, 341));
}

TEST(WindowPlacement, InsideTheScreenEvenWhereItMustCoverPartOfTheMainWindow) {
    const QRect screen(0, 0, 1024, 768);
    const QRect centred(181, 180, 662, 420);  // as a window manager may put it
    const QRect frame = frameBeside(centred, kWanted, kMinimum, screen);
    EXPECT_TRUE(screen.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_GE(frame.width(), kMinimum.width());
    EXPECT_GE(frame.height(), kMinimum.height());
    // A screen smaller than the smallest window: its top-left corner, where the menus are.
    EXPECT_EQ(frameBeside(kMain, kWanted, kMinimum, QRect(0, 0, 400, 200)), QRect(QPoint(0, 0), kMinimum));
}

TEST(WindowPlacement, TheSpectrumWindowOpensInsideTheScreen) {
    testing::DesktopProgram program;
    QWidget* main = program.find("XPSForm");
    QWidget* spectrum = program.find("SpecForm");
    ASSERT_TRUE(main && spectrum);
    EXPECT_TRUE(spectrum->isVisible());
    const QRect screen = main->screen()->availableGeometry();
    const QRect frame = spectrum->frameGeometry();
    EXPECT_TRUE(screen.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " main "
        << main->frameGeometry().width() << "x" << main->frameGeometry().height();
}

}  // namespace
}  // namespace vortlan
