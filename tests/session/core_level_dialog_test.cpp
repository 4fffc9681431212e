#include "session/core_level_dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <variant>

#include "quant/analyser.h"
#include "quant/core_level.h"
#include "session/quantification_view.h"

namespace vortlan {
namespace {

class CoreLevelDialogTest : public ::testing::Test {
  protected:
    CoreLevelDialogTest() {
        region.defined = kTrue;
        region.coreLevel = "Ti 2p";
    }
    double computed(const char* level, double source) {
        return std::get<double>(
            sensitivityFactor(std::get<CoreLevel>(readCoreLevel(level)), source, settings));
    }
    Region region;
    QuantSettings settings;
};

TEST_F(CoreLevelDialogTest, TheEntryStartsFromTheFactorTheRegionHasNow) {
    CoreLevelEntry entry = coreLevelEntryOf(region, settings);
    EXPECT_EQ(entry.level, "Ti 2p");
    EXPECT_FALSE(entry.ownFactor);
    EXPECT_DOUBLE_EQ(entry.factor, computed("Ti 2p", 1486.6));

    region.sensitivityOverride = 12.5;
    entry = coreLevelEntryOf(region, settings);
    EXPECT_TRUE(entry.ownFactor);
    EXPECT_EQ(entry.factor, 12.5);
}

TEST_F(CoreLevelDialogTest, ThePreviewComputesAtTheRegionsSourceOrGivesTheReason) {
    // The setting's source energy, as the file records none; the override does not hide the computed.
    region.sensitivityOverride = 3.0;
    settings.sourceEnergy = 1253.6;
    CoreLevelPreview preview = previewCoreLevel(region, settings, "o 1S");
    EXPECT_TRUE(preview.computed);
    EXPECT_EQ(preview.factor, quantNumberText(computed("O 1s", 1253.6)));
    EXPECT_EQ(preview.source, "1253.6 eV, the quantification setting");

    region.sourceEnergy = 1486.6;
    preview = previewCoreLevel(region, settings, "O 1s");
    EXPECT_EQ(preview.factor, quantNumberText(computed("O 1s", 1486.6)));
    EXPECT_EQ(preview.source, "1486.6 eV, recorded in the file");

    for (const char* text : {"Xx 1s", "O 2d", "Ti 2p O 1s"}) {
        preview = previewCoreLevel(region, settings, text);
        EXPECT_FALSE(preview.computed) << text;
        EXPECT_EQ(preview.factor, std::get<std::string>(readCoreLevel(text))) << text;
    }
    preview = previewCoreLevel(region, settings, "  ");
    EXPECT_FALSE(preview.computed);
    EXPECT_EQ(preview.factor, "No core level given");
}

TEST_F(CoreLevelDialogTest, AcceptStoresTheCanonicalLevelAndTheFactorChoice) {
    EXPECT_EQ(acceptCoreLevel(region, {"ti 2P3/2", true, 5.5}), "");
    EXPECT_EQ(region.coreLevel, "Ti 2p3/2");
    EXPECT_EQ(region.sensitivityOverride, 5.5);

    EXPECT_EQ(acceptCoreLevel(region, {"Ti 2p3/2", false, 5.5}), "");
    EXPECT_FALSE(region.sensitivityOverride);

    // A blank level is a region whose level is not known; its own factor may still count it.
    EXPECT_EQ(acceptCoreLevel(region, {" ", true, 2.0}), "");
    EXPECT_EQ(region.coreLevel, "");
    EXPECT_EQ(region.sensitivityOverride, 2.0);
}

TEST_F(CoreLevelDialogTest, RefusalsLeaveTheRegionAsItWas) {
    region.sensitivityOverride = 4.0;
    const Region before = region;
    EXPECT_EQ(acceptCoreLevel(region, {"Ti 2p5/2", false, 1.0}),
              std::get<std::string>(readCoreLevel("Ti 2p5/2")));
    EXPECT_EQ(region, before);
    for (double factor : {0.0, -1.0, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(acceptCoreLevel(region, {"O 1s", true, factor}), "The factor must be a positive number");
        EXPECT_EQ(region, before) << factor;
    }
}

}  // namespace
}  // namespace vortlan
