// Zooming, panning and dragging a peak on the spectrum window's plot, with the mouse and the keys.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "base/number_text.h"
#include "session/peak_drag.h"
#include "session/region_dialogs.h"
#include "support/fitted_session.h"
#include "support/same_workspace.h"
#include "ui/scripted.h"
#include "ui/spectrum_window.h"

namespace vortlan {
namespace {

class PlotViewTest : public ::testing::Test {
  protected:
    // Region 0 (290-280 eV) with two peaks on an accepted background, region 3 beside it; region 0
    // current, its curves computed and drawn on a plot of 900 x 500.
    PlotViewTest() {
        Workspace& ws = program.app.workspace();
        testing::makeRegion(ws, 3, 41, 536.0f, 0.1f, testing::gaussianOn(50.0, 532.0, 400.0, 1.5));
        testing::makeRegion(ws, 0, 101, 290.0f, 0.1f, testing::gaussianOn(100.0, 285.0, 1000.0, 1.2));
        testing::acceptBackground(program.app.session(), 0);
        testing::addPeak(ws, 0, 0, 285.0f, 1300.0f, 1.2f);
        testing::addPeak(ws, 0, 1, 287.0f, 200.0f, 1.2f);
        canvas().resize(900, 500);
        // Without the residual panel the whole height of the plot reads counts.
        canvas().setStyle(PlotStyle{true, false});
        click("reg0");
        program.app.run([](Session& s) { updateRegionCurves(s.workspace, s.port); });
    }
    ui::PlotCanvas& canvas() { return static_cast<ui::SpectrumWindow*>(program.find("SpecForm"))->canvas(); }
    Workspace& ws() { return program.app.workspace(); }
    void click(const char* name) { program.find<QAbstractButton>(name)->click(); }
    QString box(const char* name) { return program.find<QLineEdit>(name)->text(); }
    bool zoomed() { return canvas().view().zoomed; }
    double energySpan() { return canvas().view().energyHigh - canvas().view().energyLow; }

    // A press, a few moves on the way and a release.
    void drag(Qt::MouseButton button, QPoint from, QPoint to) {
        QTest::mousePress(&canvas(), button, {}, from);
        for (int step = 1; step <= 4; ++step) QTest::mouseMove(&canvas(), from + (to - from) * step / 4);
        QTest::mouseRelease(&canvas(), button, {}, to);
    }
    void zoomIn() { drag(Qt::LeftButton, {300, 120}, {600, 280}); }
    void wheel(QPoint at, int angle) {
        QWheelEvent event(at, canvas().mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&canvas(), &event);
    }

    testing::DesktopProgram program;
};

TEST_F(PlotViewTest, RectangleWheelPanAndHomeChangeTheViewAndNothingElse) {
    const Workspace before = ws();
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, QPoint(300, 200));
    drag(Qt::LeftButton, {300, 200}, {302, 280});
    EXPECT_FALSE(zoomed());  // neither a click nor a line is a rectangle

    const UserPoint corner = canvas().userPoint(QPoint(300, 120));
    const UserPoint opposite = canvas().userPoint(QPoint(600, 280));
    zoomIn();
    const PlotView v = canvas().view();
    ASSERT_TRUE(v.zoomed);
    EXPECT_NEAR(v.energyHigh, corner.x, 1e-9);
    EXPECT_NEAR(v.energyLow, opposite.x, 1e-9);
    EXPECT_NEAR(v.countsHigh, corner.y, 1e-6);
    EXPECT_NEAR(v.countsLow, opposite.y, 1e-6);
    // The readout reads the zoomed frame: the plot's edges lie just beyond the view.
    const double span = energySpan();
    EXPECT_GT(canvas().userPoint(QPoint(0, 250)).x, v.energyHigh);
    EXPECT_LT(canvas().userPoint(QPoint(0, 250)).x, v.energyHigh + span / 4);

    wheel({450, 250}, 120);
    EXPECT_NEAR(energySpan(), 0.8 * span, 1e-9);
    wheel({450, 250}, -120);
    canvas().setFocus();
    QTest::keyClick(&canvas(), Qt::Key_Left);  // towards higher binding energy, on the left
    EXPECT_NEAR(canvas().view().energyHigh, v.energyHigh + span / 10, 1e-9);
    const UserPoint grabbed = canvas().userPoint(QPoint(400, 250));
    drag(Qt::MiddleButton, {400, 250}, {500, 280});  // the plot moves with the pointer
    EXPECT_NEAR(canvas().userPoint(QPoint(500, 280)).x, grabbed.x, 1e-9);
    EXPECT_NEAR(canvas().userPoint(QPoint(500, 280)).y, grabbed.y, 1e-6);

    QTest::keyClick(&canvas(), Qt::Key_Home);
    EXPECT_FALSE(zoomed());
    zoomIn();
    QTest::mouseDClick(&canvas(), Qt::LeftButton, {}, QPoint(450, 250));
    EXPECT_FALSE(zoomed());
    testing::expectSameWorkspace(before, ws());
}

TEST_F(PlotViewTest, TheViewOutlivesRedrawsButNotAnotherRegionOrOtherData) {
    zoomIn();
    click("pp0");
    click("ReDraw");
    EXPECT_TRUE(zoomed());
    click("reg3");
    EXPECT_FALSE(zoomed());
    zoomIn();
    click("reg0");
    EXPECT_FALSE(zoomed());

    zoomIn();
    program.app.run([](Session& s) {
        s.dialogs.regionShift.ShiftText = "0.5";
        acceptRegionShift(s);
    });
    click("ReDraw");
    EXPECT_FALSE(zoomed());
}

TEST_F(PlotViewTest, TheOpenPeaksTopIsDraggedAndAPressElsewhereStillZooms) {
    click("pp0");
    const Peak opened = ws().peaks[0];
    const QPoint top = canvas().widgetPoint(*peakTop(ws(), 0)).toPoint();
    QTest::mouseMove(&canvas(), top + QPoint(3, 2));
    EXPECT_EQ(canvas().cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(&canvas(), QPoint(100, 300));
    EXPECT_EQ(canvas().cursor().shape(), Qt::CrossCursor);

    const QString chi = box("chi0");
    const QPoint to = top + QPoint(-60, 80);
    const UserPoint target = canvas().userPoint(to);
    drag(Qt::LeftButton, top + QPoint(3, 2), to + QPoint(3, 2));
    EXPECT_FALSE(zoomed());
    // Where the top was grabbed, to a pixel's rounding.
    const UserPoint pixel = canvas().userPoint(QPoint(1, 1));
    const UserPoint origin = canvas().userPoint(QPoint(0, 0));
    const Peak& p = ws().peaks[0];
    EXPECT_NEAR(p.position, target.x, std::fabs(pixel.x - origin.x));
    EXPECT_NEAR(peakTop(ws(), 0)->y, target.y, std::fabs(pixel.y - origin.y));
    EXPECT_EQ(box("PosVal").toStdString(), exactNumberText(p.position));
    EXPECT_EQ(box("AreaVal").toStdString(), exactNumberText(p.area));
    EXPECT_NE(box("chi0"), chi);
    click("PeakCancel");
    EXPECT_TRUE(p == opened);

    click("pp0");
    drag(Qt::LeftButton, {100, 150}, {300, 350});
    EXPECT_TRUE(zoomed());
    EXPECT_TRUE(ws().peaks[0] == opened);
}

}  // namespace
}  // namespace vortlan
