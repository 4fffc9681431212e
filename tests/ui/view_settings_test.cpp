// The spectrum window's View settings and the highlight of the peak whose dialog is open.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSettings>

#include "scripted.h"
#include "ui/spectrum_window.h"

namespace vortlan {
namespace {

// Every test starts from the View settings' defaults and leaves none behind.
void forgetViewSettings() {
    QSettings(QStringLiteral("Vortlan"), QStringLiteral("Vortlan")).remove("View");
}

int pixelsOf(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
    }
    return count;
}

class ViewSettingsTest : public ::testing::Test {
  protected:
    ViewSettingsTest() { forgetViewSettings(); }
    ~ViewSettingsTest() override { forgetViewSettings(); }

    QAction* viewAction(testing::DesktopProgram& p, const char* name) {
        auto* menu = p.find<QWidget>("SpecForm")->findChild<QMenu*>(QStringLiteral("View"));
        return menu ? menu->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    }
    void trigger(testing::DesktopProgram& p, const char* action) {
        auto* a = p.find<QWidget>("SpecForm")->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_TRUE(a) << action;
        a->trigger();
    }
    void fitExample(testing::DesktopProgram& p) {
        p.files.answers.push_back(QString::fromLatin1(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms");
        trigger(p, "Import_VAMAS");
        trigger(p, "Background");
        p.find<QPushButton>("BGAccept")->click();
    }
    ui::PlotCanvas& canvas(testing::DesktopProgram& p) {
        return static_cast<ui::SpectrumWindow*>(p.find<QWidget>("SpecForm"))->canvas();
    }
};

TEST_F(ViewSettingsTest, ViewSettingsStartAtTheirDefaultsAndAreRemembered) {
    {
        testing::DesktopProgram program;
        QAction* residuals = viewAction(program, "Residuals");
        QAction* colour = viewAction(program, "ColourCurves");
        QAction* printed = viewAction(program, "ColourPrinted");
        ASSERT_TRUE(residuals && colour && printed);
        EXPECT_EQ(residuals->text().remove(QLatin1Char('&')), "Residuals");
        EXPECT_EQ(colour->text().remove(QLatin1Char('&')), "Colour curves");
        EXPECT_TRUE(residuals->isChecked());
        EXPECT_TRUE(colour->isChecked());
        EXPECT_FALSE(printed->isChecked());
        EXPECT_TRUE(canvas(program).style().residuals);
        colour->trigger();
        printed->trigger();
    }
    testing::DesktopProgram next;
    EXPECT_FALSE(viewAction(next, "ColourCurves")->isChecked());
    EXPECT_FALSE(canvas(next).style().colour);
    EXPECT_TRUE(viewAction(next, "ColourPrinted")->isChecked());
    EXPECT_TRUE(viewAction(next, "Residuals")->isChecked());
}

// Red only where the highlight is: black curves, so that nothing else on the plot is red.
TEST_F(ViewSettingsTest, TheOpenDialogsPeakStaysHighlightedThroughReDrawAndAddPeak) {
    testing::DesktopProgram program;
    viewAction(program, "ColourCurves")->trigger();
    fitExample(program);
    const auto red = [&] { return pixelsOf(canvas(program).image(), QColor(Qt::red)); };

    trigger(program, "AddPeak");
    ASSERT_TRUE(program.find<QWidget>("PeakForm")->isVisible());
    EXPECT_GT(red(), 100);
    program.find<QPushButton>("ReDraw")->click();
    EXPECT_GT(red(), 100);
    trigger(program, "ReDisplay");
    EXPECT_GT(red(), 100);
    trigger(program, "AddPeak");  // a second peak while the first one's dialog is open
    EXPECT_EQ(program.app.workspace().currentPeak, currentRegionOf(program.app.workspace()).peakSlots[1]);
    EXPECT_GT(red(), 100);

    program.find<QPushButton>("PeakAccept")->click();
    EXPECT_EQ(red(), 0);
}

}  // namespace
}  // namespace vortlan
