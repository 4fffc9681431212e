#include "quant/sensitivity.h"

#include <gtest/gtest.h>

#include <cmath>

#include "quant/analyser.h"

namespace vortlan {
namespace {

constexpr double kAlKalpha = 1486.6;
constexpr double kMgKalpha = 1253.6;

CoreLevel level(std::string_view text) {
    return std::get<CoreLevel>(readCoreLevel(text));
}

double number(const QuantNumber& value) {
    if (const auto* reason = std::get_if<std::string>(&value)) ADD_FAILURE() << *reason;
    return std::holds_alternative<double>(value) ? std::get<double>(value) : NAN;
}

std::string reason(const QuantNumber& value) {
    return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : "no refusal";
}

// Scofield's cross-sections at Al K-alpha relative to C 1s, as XPS laboratories tabulate them.
TEST(SensitivityTest, CrossSectionsAreScofieldsWithinOnePercentAtAlKalpha) {
    const std::pair<std::string_view, double> table[] = {
        {"C 1s", 1.00},     {"N 1s", 1.80},      {"O 1s", 2.93},      {"F 1s", 4.43},
        {"Na 1s", 8.52},    {"Al 2p", 0.537},    {"Si 2p", 0.817},    {"S 2p", 1.68},
        {"Ti 2p3/2", 5.22}, {"Cu 2p3/2", 16.73}, {"Ag 3d5/2", 10.66}, {"Au 4f7/2", 9.58},
    };
    for (const auto& [text, published] : table)
        EXPECT_NEAR(number(relativeCrossSection(level(text), kAlKalpha)) / published, 1.0, 0.01) << text;
}

TEST(SensitivityTest, WholeLevelIsTheSumOfItsComponents) {
    for (std::string_view text : {"Ti 2p", "Ag 3d", "Au 4f"}) {
        const CoreLevel whole = level(text);
        double sum = 0.0;
        for (const CoreLevel& part : levelComponents(whole))
            sum += number(relativeCrossSection(part, kAlKalpha));
        EXPECT_DOUBLE_EQ(number(relativeCrossSection(whole, kAlKalpha)), sum) << text;
    }
    // The upper component holds more electrons and so is the stronger.
    EXPECT_GT(number(relativeCrossSection(level("Ti 2p3/2"), kAlKalpha)),
              1.8 * number(relativeCrossSection(level("Ti 2p1/2"), kAlKalpha)));
}

TEST(SensitivityTest, BindingEnergiesAreTheAbsorptionEdges) {
    EXPECT_NEAR(number(bindingEnergy(level("C 1s"))), 284.0, 2.0);
    EXPECT_NEAR(number(bindingEnergy(level("Ti 2p3/2"))), 455.5, 2.0);
    EXPECT_NEAR(number(bindingEnergy(level("Au 4f7/2"))), 84.0, 2.0);
    EXPECT_EQ(reason(bindingEnergy(level("Ti 2p"))),
              "Ti 2p has two components with their own binding energies");
}

TEST(SensitivityTest, LevelsWithoutAnIonisationAreRefused) {
    EXPECT_EQ(reason(relativeCrossSection(level("C 3d"), kAlKalpha)), "C 3d3/2 holds no electrons");
    EXPECT_EQ(reason(relativeCrossSection(level("O 1s"), 0.0)), "The source energy must be positive");
    EXPECT_EQ(reason(relativeCrossSection(level("Cu 1s"), kAlKalpha)),
              "Cu 1s (binding energy 8978.9 eV) is out of reach of a source of 1486.6 eV");
}

TEST(SensitivityTest, FactorFollowsTheKineticEnergyTermsRelativeToCarbon) {
    const double be = number(bindingEnergy(level("O 1s")));
    const double carbon = number(bindingEnergy(level("C 1s")));
    const double sigma = number(relativeCrossSection(level("O 1s"), kAlKalpha));
    const double ratio = (kAlKalpha - be) / (kAlKalpha - carbon);

    QuantSettings flat;
    flat.imfpExponent = 0.0;
    EXPECT_DOUBLE_EQ(number(sensitivityFactor(level("O 1s"), kAlKalpha, flat)), sigma);
    QuantSettings settings;  // m 0.6, n 0
    EXPECT_NEAR(number(sensitivityFactor(level("O 1s"), kAlKalpha, settings)), sigma * std::pow(ratio, 0.6),
                1e-12);
    settings.transmissionExponent = 1.0;
    EXPECT_NEAR(number(sensitivityFactor(level("O 1s"), kAlKalpha, settings)), sigma * std::pow(ratio, -0.4),
                1e-12);
    EXPECT_DOUBLE_EQ(number(sensitivityFactor(level("C 1s"), kAlKalpha, settings)), 1.0);
    EXPECT_DOUBLE_EQ(number(sensitivityFactor(level("C 1s"), kMgKalpha, settings)), 1.0);

    // Each component of a doublet is corrected with its own kinetic energy.
    double sum = 0.0;
    for (const CoreLevel& part : levelComponents(level("Cu 2p")))
        sum += number(sensitivityFactor(part, kAlKalpha, settings));
    EXPECT_DOUBLE_EQ(number(sensitivityFactor(level("Cu 2p"), kAlKalpha, settings)), sum);
}

TEST(SensitivityTest, RegionFactorUsesItsSourceItsLevelOrTheOverride) {
    QuantSettings settings;
    Region region;
    EXPECT_EQ(reason(regionFactor(region, settings)), "No core level given");
    region.coreLevel = "O 2d";
    EXPECT_EQ(reason(regionFactor(region, settings)), "O 2d is not a level: shell 2 has no d level");

    region.coreLevel = "Cu 2p3/2";
    const double alKalpha = number(regionFactor(region, settings));
    EXPECT_DOUBLE_EQ(alKalpha, number(sensitivityFactor(level("Cu 2p3/2"), kAlKalpha, settings)));
    region.sourceEnergy = kMgKalpha;
    EXPECT_DOUBLE_EQ(number(regionFactor(region, settings)),
                     number(sensitivityFactor(level("Cu 2p3/2"), kMgKalpha, settings)));
    // Under Mg K-alpha Cu 2p3/2 leaves with about 320 eV; under a source below its binding energy not at all.
    region.sourceEnergy = 900.0;
    EXPECT_EQ(reason(regionFactor(region, settings)),
              "Cu 2p3/2 (binding energy 931.1 eV) is out of reach of a source of 900 eV");

    region.sensitivityOverride = 12.5;
    EXPECT_EQ(number(regionFactor(region, settings)), 12.5);
    region.coreLevel.clear();
    EXPECT_EQ(number(regionFactor(region, settings)), 12.5);
}

}  // namespace
}  // namespace vortlan
