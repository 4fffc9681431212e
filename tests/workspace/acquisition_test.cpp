// How a region's intensities become counts, from the unit, the dwell time and the scans its file
// records, and the transmission read between its points.

#include "workspace/acquisition.h"

#include <gtest/gtest.h>

#include "support/synthetic_region.h"
#include "workspace/intensity_unit.h"

namespace vortlan {
namespace {

using Basis = CountingScale::Basis;

TEST(Acquisition, UnitsTellCountsFromRatesAndAnythingElseSaysNothing) {
    const std::pair<const char*, IntensityKind> table[] = {
        {"counts", IntensityKind::Counts},
        {"Counts", IntensityKind::Counts},
        {"c", IntensityKind::Counts},
        {" CTS ", IntensityKind::Counts},
        {"c/s", IntensityKind::CountRate},
        {"CPS", IntensityKind::CountRate},
        {"counts / s", IntensityKind::CountRate},
        {"Counts  per\tsecond", IntensityKind::CountRate},
        {"", IntensityKind::Unknown},
        {"d", IntensityKind::Unknown},
        {"a.u.", IntensityKind::Unknown},
        {"counts per scan", IntensityKind::Unknown},
        {"kcounts", IntensityKind::Unknown},
        {"c/s/mA", IntensityKind::Unknown},
    };
    for (const auto& [unit, kind] : table) EXPECT_EQ(intensityKindOf(unit), kind) << unit;
}

TEST(Acquisition, CountsComeFromTheUnitOrFromARateTimesDwellAndScans) {
    struct Case {
        const char* unit;
        std::optional<double> dwell;
        std::optional<int> scans;
        Basis basis;
        double factor;
    };
    const Case cases[] = {
        {"counts", std::nullopt, std::nullopt, Basis::Counts, 1.0},
        {"counts", 0.4, 5, Basis::Counts, 1.0},  // counts already: the time is not counted twice
        {"c/s", 0.4, 5, Basis::RateDwellAndScans, 2.0},
        {"c/s", 0.4, std::nullopt, Basis::Unknown, 0.0},
        {"c/s", std::nullopt, 5, Basis::Unknown, 0.0},
        {"", 0.4, 5, Basis::Unknown, 0.0},  // dwell and scans do not make an unnamed unit a rate
    };
    for (const Case& c : cases) {
        Region r;
        r.intensityUnit = c.unit;
        r.acquisition.dwellTime = c.dwell;
        r.acquisition.scans = c.scans;
        const CountingScale scale = countingScaleOf(r);
        EXPECT_EQ(scale.basis, c.basis) << c.unit;
        EXPECT_DOUBLE_EQ(scale.factor, c.factor) << c.unit;
        EXPECT_EQ(scale.known(), c.basis != Basis::Unknown);
    }
}

TEST(Acquisition, TransmissionIsReadBetweenPointsAndHeldBeyondThem) {
    Workspace ws;
    Region& r = testing::makeRegion(ws, 0, 4, 290.0f, 1.0f, [](double) { return 100.0; });
    EXPECT_EQ(transmissionAt(r, 288.0), std::nullopt);
    r.acquisition.transmission = {1.0f, 2.0f, 4.0f, 8.0f};  // at 290, 289, 288 and 287 eV
    const std::pair<double, double> table[] = {{290.0, 1.0}, {289.5, 1.5}, {288.25, 3.5},
                                               {287.0, 8.0}, {300.0, 1.0}, {250.0, 8.0}};
    for (const auto& [energy, transmission] : table)
        EXPECT_DOUBLE_EQ(transmissionAt(r, energy).value(), transmission) << energy;
    // A transmission that does not belong to the points is not read.
    r.acquisition.transmission.pop_back();
    EXPECT_EQ(transmissionAt(r, 288.0), std::nullopt);
}

}  // namespace
}  // namespace vortlan
