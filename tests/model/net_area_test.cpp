// The background-subtracted area divided point by point, and the noise the data themselves show.

#include "model/net_area.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/backgrounds.h"
#include "model/data_scatter.h"
#include "support/synthetic_region.h"

namespace vortlan {
namespace {

Region& lineOnStep(Workspace& ws) {
    Region& r = testing::makeRegion(ws, 0, 201, 300.0f, 0.1f, [](double e) {
        return testing::step(290.0, 100.0, 400.0)(e) + testing::gaussianOn(0.0, 290.0, 1000.0, 1.5)(e);
    });
    r.averagePoints = 5;
    r.backgroundType = static_cast<short>(BackgroundType::Shirley);
    computeBackground(ws, 0);
    return r;
}

// Dividing by ones changes nothing; by a constant, the area and its error alike; by a varying
// divisor, each point's net intensity.
TEST(NetArea, DivisorsDivideTheAreaAndItsErrorPointByPoint) {
    Workspace ws;
    const Region& r = lineOnStep(ws);
    const BackgroundSubtractedArea plain = backgroundSubtractedArea(r, 2.0);
    const auto divided = [&](const std::function<double(int)>& divisor) {
        std::vector<double> divisors;
        for (int i = 1; i <= r.rangeCount; ++i) divisors.push_back(divisor(i));
        return backgroundSubtractedArea(r, 2.0, divisors);
    };
    const BackgroundSubtractedArea ones = divided([](int) { return 1.0; });
    EXPECT_NEAR(ones.area, plain.area, 1e-5 * plain.area);
    EXPECT_NEAR(ones.standardError, plain.standardError, 1e-12 * plain.standardError);
    EXPECT_NEAR(ones.backgroundVariance, plain.backgroundVariance, 1e-9 * plain.backgroundVariance);
    const BackgroundSubtractedArea quarter = divided([](int) { return 4.0; });
    EXPECT_NEAR(quarter.area, plain.area / 4, 1e-5 * plain.area);
    EXPECT_NEAR(quarter.standardError, plain.standardError / 4, 1e-12 * plain.standardError);
    const auto ramp = [](int i) { return 0.5 + 0.01 * i; };
    double expected = 0.0;
    for (int i = 1; i <= r.rangeCount; ++i)
        expected += (static_cast<double>(r.rangeCounts[i]) - r.background[i]) * 0.1 / ramp(i);
    EXPECT_NEAR(divided(ramp).area, expected, 1e-4 * expected);
    // Divisors that do not match the range are not used.
    EXPECT_NEAR(backgroundSubtractedArea(r, 2.0, {4.0}).area, plain.area, 1e-5 * plain.area);
}

// Noise of variance s² × |value| on smooth spectra, from a few counts to many, in any units.
TEST(NetArea, PointScatterFindsTheNoiseOfSmoothData) {
    std::mt19937_64 random(11);
    for (double scale : {0.01, 1.0, 25.0}) {
        for (double level : {100.0, 5000.0}) {
            double estimates = 0.0;
            const int spectra = 40;
            for (int k = 0; k < spectra; ++k) {
                Workspace ws;
                Region& r = testing::makeRegion(ws, 0, 301, 300.0f, 0.1f, [&](double e) {
                    const double mean = level * (1.0 + 0.5 * std::exp(-(300.0 - e) / 8.0));
                    return mean + std::normal_distribution<double>(0.0, std::sqrt(scale * mean))(random);
                });
                computeBackground(ws, 0);
                estimates += pointScatterScale(r).value();
            }
            EXPECT_NEAR(estimates / spectra / scale, 1.0, 0.08) << "scale " << scale << ", level " << level;
        }
    }
    Workspace ws;
    Region& r = testing::makeRegion(ws, 0, 2, 300.0f, 0.1f, [](double) { return 5.0; });
    computeBackground(ws, 0);
    EXPECT_FALSE(pointScatterScale(r).has_value());
}

}  // namespace
}  // namespace vortlan
