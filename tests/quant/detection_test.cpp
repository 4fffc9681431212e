// What the quantification says when a region holds nothing: areas below three times their uncertainty
// are not detected and left out of the sum, their noise comes from the data's statistics, the
// recorded transmission is divided out, and a level of one component counting a whole doublet's area
// says so.  Spectra are made in the tests: loss tails, weak and clear lines, in counts and count rates.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "model/backgrounds.h"
#include "model/net_area.h"
#include "model/region_curves.h"
#include "quant/analyser.h"
#include "session/quantification.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

constexpr int kPoints = 201;
constexpr float kStep = 0.1f;

void accept(Workspace& ws, int region, BackgroundType type) {
    RecordingPort port;
    ws.currentRegion = static_cast<short>(region);
    ws.regions[region].backgroundType = static_cast<short>(type);
    ws.regions[region].averagePoints = 5;
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, port);
    ws.acceptingBackground = kFalse;
    ws.regions[region].backgroundSet = kTrue;
}

// A region of `level` whose counts are `shape` with Poisson noise from `seed` (none for seed 0),
// recorded in `unit` as counts ÷ `perCount` (a count rate when perCount is dwell × scans).
Region& spectrum(Workspace& ws, int index, const std::string& level, float beHigh,
                 const std::function<double(double)>& shape, unsigned seed = 0, double perCount = 1.0,
                 const std::string& unit = "counts") {
    std::mt19937_64 random(seed);
    const auto counts = [&](double e) {
        const double mean = shape(e);
        return seed == 0 ? mean : static_cast<double>(std::poisson_distribution<long>(mean)(random));
    };
    Region& r = testing::makeRegion(ws, index, kPoints, beHigh, kStep,
                                    [&](double e) { return counts(e) / perCount; });
    r.coreLevel = level;
    r.intensityUnit = unit;
    return r;
}

// The loss tail of a line below the region, falling away from the region's low-binding-energy end:
// nothing of the region's own.
std::function<double(double)> lossTail(float beHigh) {
    const double beLow = beHigh - kStep * (kPoints - 1);
    return [beLow](double e) { return 800.0 + 3000.0 * std::exp((beLow - e) / 6.0); };
}

std::function<double(double)> lineOn(double level, double centre, double area) {
    const double fwhm = 1.5;
    const double height = area / (fwhm * 1.0644670194);  // a Gaussian's area is 1.0645 × height × FWHM
    return testing::gaussianOn(level, centre, height, fwhm);
}

// A C 1s region of a flat 100 counts, its linear background accepted, for peaks placed by the test.
void flatCarbon(Workspace& ws) {
    spectrum(ws, 0, "C 1s", 295.0f, [](double) { return 100.0; });
    accept(ws, 0, BackgroundType::Linear);
}

// The table with the fit's area covariance given per region: σ² of its one peak.
Quantification quantifyWith(const Workspace& ws, const std::vector<double>& peakVariances) {
    return quantify(ws, [&](int region) {
        return RegionFit{{peakVariances.at(static_cast<std::size_t>(region))}, 1.0, {}};
    });
}

// Two regions of one peak each, their areas and uncertainties as given: the rule and its limit.
TEST(Detection, AnAreaBelowThreeSigmaIsNotDetectedAndLeftOutOfTheSum) {
    const struct {
        double area, sigma;
        bool detected;
        double limit;
    } cases[] = {
        {1000, 10, true, 0},    {30, 10, true, 0},    {29.9, 10, false, 59.9},
        {200, 100, false, 500}, {-20, 10, false, 30},
    };
    for (const auto& c : cases) {
        Workspace ws;
        for (int region : {0, 1}) {
            spectrum(ws, region, region == 0 ? "O 1s" : "C 1s", 540.0f - 250.0f * region,
                     [](double) { return 100.0; });
            accept(ws, region, BackgroundType::Linear);
        }
        testing::addPeak(ws, 0, 0, 530.0f, 5000.0f, 1.2f);
        testing::addPeak(ws, 1, 1, 284.8f, static_cast<float>(c.area), 1.2f);
        const Quantification table = quantifyWith(ws, {100.0, c.sigma * c.sigma});
        const QuantRow& row = table.regions[1].row;
        const QuantRow& other = table.regions[0].row;
        EXPECT_EQ(row.detected, c.detected) << c.area;
        EXPECT_EQ(table.regions[1].components[0].detected, c.detected) << c.area;
        if (c.detected) {
            EXPECT_NEAR(row.atomicPercent + other.atomicPercent, 100.0, 1e-9);
            continue;
        }
        EXPECT_FALSE(table.regions[1].inTotal());
        EXPECT_NEAR(row.upperLimitArea, c.limit, 1e-3) << c.area;
        // The detected region is the whole sum; the limit is the share the limit's area would take.
        EXPECT_NEAR(other.atomicPercent, 100.0, 1e-9);
        const double limit = row.upperLimitArea / row.factor;
        EXPECT_NEAR(row.upperLimitPercent.value(), 100.0 * limit / (other.correctedArea + limit), 1e-9);
        EXPECT_EQ(row.atomicPercent, 0.0);
        EXPECT_FALSE(row.atomicPercentError.has_value());
        const std::vector<std::string> notes = quantificationNotes(table);
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes[0], "Not detected, left out of the sum: region 2 (C 1s)");
    }
}

// A weak line next to a clear one in the same region: the weak one is not detected, its region is.
TEST(Detection, AWeakComponentHasALimitWithinADetectedRegion) {
    Workspace ws;
    flatCarbon(ws);
    testing::addPeak(ws, 0, 0, 284.8f, 1000.0f, 1.2f);
    testing::addPeak(ws, 0, 1, 288.0f, 20.0f, 1.2f);
    const Quantification table = quantify(ws, [](int) {
        return RegionFit{{100.0, 0.0, 0.0, 100.0}, 1.0, {}};
    });
    const QuantRegion& carbon = table.regions[0];
    EXPECT_TRUE(carbon.row.detected);
    EXPECT_TRUE(carbon.components[0].detected);
    ASSERT_FALSE(carbon.components[1].detected);
    // Its own share of the total is replaced by its limit's: 50 / (1000 + 50).
    EXPECT_NEAR(carbon.components[1].upperLimitPercent.value(), 100.0 * 50.0 / 1050.0, 1e-9);
    EXPECT_EQ(quantRowNotes(carbon, carbon.components[1]),
              std::vector<std::string>{"not detected (< 4.76 at.%)"});
}

// The background-subtracted area of a line at 2σ and at 10σ of its noise, and of a bare loss tail, with
// and without counting noise.
TEST(Detection, BackgroundSubtractedLinesAreDetectedAtTenSigmaNotAtTwoNorALossTail) {
    const auto sigmaOfFlat = [] {
        Workspace ws;
        spectrum(ws, 0, "S 2p", 175.0f, [](double) { return 1000.0; });
        accept(ws, 0, BackgroundType::Linear);
        return backgroundSubtractedArea(ws.regions[0], 1.0).standardError;
    }();
    const struct {
        const char* name;
        double sigmas;  // the line's area in standard errors; 0 for the loss tail
        int mostDetected;
        int leastDetected;
    } cases[] = {{"loss tail", 0, 1, 0}, {"2 sigma", 2, 20, 0}, {"10 sigma", 10, 30, 30}};
    for (const auto& c : cases) {
        int detected = 0;
        for (unsigned seed = 0; seed <= 30; ++seed) {
            Workspace ws;
            const auto shape =
                c.sigmas == 0 ? lossTail(175.0f) : lineOn(1000.0, 165.0, c.sigmas * sigmaOfFlat);
            spectrum(ws, 0, "S 2p", 175.0f, shape, seed);
            accept(ws, 0, BackgroundType::Linear);
            const Quantification table = quantify(ws, [](int) { return RegionFit{}; });
            const QuantRegion& sulphur = table.regions[0];
            ASSERT_TRUE(sulphur.counted()) << sulphur.excluded;
            EXPECT_EQ(sulphur.noise, AreaNoise::Counts);
            // The noise-free spectra: exactly at their multiple of σ.
            if (seed == 0) {
                EXPECT_EQ(sulphur.row.detected, c.sigmas >= 3) << c.name;
                continue;
            }
            detected += sulphur.row.detected;
        }
        EXPECT_LE(detected, c.mostDetected) << c.name;
        EXPECT_GE(detected, c.leastDetected) << c.name;
    }
}

// The same counts recorded as counts, as a count rate with its dwell time and scans, and as a rate
// alone: the area's ± is the counts' in the first two, the data's scatter in the third.
TEST(Detection, CountRatesTakeTheirNoiseFromTheCountsOrTheScatter) {
    const double dwell = 0.4;
    const int scans = 3;
    const double perCount = dwell * scans;
    const auto table = [&](const std::string& unit, bool acquisition, unsigned seed) {
        Workspace ws;
        Region& r =
            spectrum(ws, 0, "S 2p", 175.0f, lossTail(175.0f), seed, unit == "counts" ? 1.0 : perCount, unit);
        if (acquisition) {
            r.acquisition.dwellTime = dwell;
            r.acquisition.scans = scans;
        }
        accept(ws, 0, BackgroundType::Shirley);
        return quantify(ws, [](int) { return RegionFit{}; }).regions[0];
    };
    double scatterRatios = 0.0;
    const unsigned seeds = 20;
    for (unsigned seed = 1; seed <= seeds; ++seed) {
        const QuantRegion counts = table("counts", false, seed);
        const QuantRegion rate = table("c/s", true, seed);
        const QuantRegion bare = table("c/s", false, seed);
        EXPECT_EQ(counts.noise, AreaNoise::Counts);
        EXPECT_EQ(rate.noise, AreaNoise::CountsFromRate);
        EXPECT_EQ(bare.noise, AreaNoise::DataScatter);
        EXPECT_NEAR(rate.row.area * perCount, counts.row.area, 1e-4 * std::fabs(counts.row.area) + 1e-3);
        EXPECT_NEAR(rate.row.areaError.value() * perCount, counts.row.areaError.value(),
                    1e-6 * counts.row.areaError.value());
        const double ratio = bare.row.areaError.value() * perCount / counts.row.areaError.value();
        EXPECT_NEAR(ratio, 1.0, 0.3) << seed;
        scatterRatios += ratio;
        // Nothing is there, whoever measures its noise.
        for (const QuantRegion& region : {counts, rate, bare}) EXPECT_FALSE(region.row.detected);
        // The tail rises toward low binding energy: Shirley's background has no step to follow.
        EXPECT_EQ(
            counts.backgroundNote,
            "Shirley drawn as a straight line: the low-BE end lies above the high-BE end, so there is no "
            "step to follow");
    }
    // The scatter knows nothing of the units and finds the counts' noise all the same.
    EXPECT_NEAR(scatterRatios / seeds, 1.0, 0.05);
}

// Two regions with the transmission their files record: the intensities are divided by it point by
// point (and for a peak at its components' energies); a region without one leaves it unused.
TEST(Detection, TheRecordedTransmissionIsDividedOutWhenEveryRegionHasIt) {
    Workspace ws;
    const auto transmissionAtPoint = [](const Region& r, int i) {
        return 0.2f + 0.01f * (r.energy[i] - r.beLow);
    };
    for (int region : {0, 1}) {
        Region& r = spectrum(ws, region, region == 0 ? "O 1s" : "Ti 2p", 545.0f - 70.0f * region,
                             lineOn(500.0, 530.0 - 70.0 * region, 20000.0));
        for (int i = 1; i <= r.pointCount; ++i)
            r.acquisition.transmission.push_back(transmissionAtPoint(r, i));
        accept(ws, region, BackgroundType::Linear);
    }
    ws.quantSettings.area = QuantArea::Background;
    ws.quantSettings.transmissionExponent = 0.7;
    Quantification divided = quantify(ws, [](int) { return RegionFit{}; });
    EXPECT_EQ(divided.transmission, TransmissionUse::Divided);
    const Region& oxygen = ws.regions[0];
    double expected = 0.0;
    for (int i = 1; i <= oxygen.rangeCount; ++i)
        expected += (oxygen.rangeCounts[i] - oxygen.background[i]) * kStep / transmissionAtPoint(oxygen, i);
    EXPECT_NEAR(divided.regions[0].row.area, expected, 1e-3 * expected);
    EXPECT_TRUE(divided.regions[0].transmissionDivided);
    // The measured transmission takes the place of the exponent's.
    QuantSettings withoutExponent = ws.quantSettings;
    withoutExponent.transmissionExponent = 0.0;
    EXPECT_EQ(divided.regions[1].row.factor, std::get<double>(regionFactor(ws.regions[1], withoutExponent)));

    // A peak's area is divided by the transmission at its position.
    ws.quantSettings.area = QuantArea::Peaks;
    testing::addPeak(ws, 0, 0, 530.0f, 20000.0f, 1.5f);
    testing::addPeak(ws, 1, 1, 460.0f, 20000.0f, 1.5f);
    divided = quantify(ws, [](int) { return RegionFit{{1.0}, 1.0, {}}; });
    EXPECT_NEAR(divided.regions[0].row.area, 20000.0 / (0.2 + 0.01 * (530.0 - oxygen.beLow)), 1e-2);

    ws.regions[1].acquisition.transmission.clear();
    const Quantification unused = quantify(ws, [](int) { return RegionFit{{1.0}, 1.0, {}}; });
    EXPECT_EQ(unused.transmission, TransmissionUse::NotUsed);
    EXPECT_NEAR(unused.regions[0].row.area, 20000.0, 1e-9);
    EXPECT_EQ(quantificationNotes(unused).back(),
              "The analyser's transmission is not used: region 2 (Ti 2p) records none, and dividing only the "
              "others would skew the ratios");
}

// A peak its fit flags as caught outside the range or at a physical bound is left out of its region;
// other flags are carried; a region of nothing but such peaks is not counted.
TEST(Detection, PeaksTheFitFlagsAsCaughtAreLeftOutOfTheirRegion) {
    Workspace ws;
    flatCarbon(ws);
    testing::addPeak(ws, 0, 0, 284.8f, 1000.0f, 1.2f);
    testing::addPeak(ws, 0, 1, 286.0f, 300.0f, 1.2f);
    testing::addPeak(ws, 0, 2, 330.0f, 700.0f, 0.01f);
    const std::vector<double> covariance(9, 0.0);
    const struct {
        std::vector<FitFlag> flags;
        std::vector<bool> leftOut;
        double area;
    } cases[] = {
        {{}, {false, false, false}, 2000.0},
        {{{2, FitFlagCause::OutsideRange, PeakParam::Position}}, {false, false, true}, 1300.0},
        {{{1, FitFlagCause::AtBound, PeakParam::Fwhm}, {2, FitFlagCause::NarrowerThanStep, PeakParam::Fwhm}},
         {false, true, true},
         1000.0},
        {{{1, FitFlagCause::MovedFar, PeakParam::Position}}, {false, false, false}, 2000.0},
    };
    for (const auto& c : cases) {
        const Quantification table = quantify(ws, [&](int) { return RegionFit{covariance, 1.0, c.flags}; });
        const QuantRegion& carbon = table.regions[0];
        EXPECT_NEAR(carbon.row.area, c.area, 1e-3);
        for (std::size_t k = 0; k < 3; ++k) {
            const QuantRow& peak = carbon.components[k];
            EXPECT_EQ(peak.leftOut, c.leftOut[k]) << k;
            EXPECT_EQ(peak.sharesTheTotal(), !c.leftOut[k]) << k;
            EXPECT_NEAR(peak.area, ws.peaks[k].area, 1e-3);  // its own area, shown
        }
    }
    const Quantification moved = quantify(ws, [&](int) {
        return RegionFit{covariance, 1.0, cases[3].flags};
    });
    EXPECT_EQ(quantRowNotes(moved.regions[0], moved.regions[0].components[1]),
              std::vector<std::string>{"flagged by the fit: moved far from where it was placed"});
    const Quantification outside = quantify(ws, [&](int) {
        return RegionFit{covariance, 1.0, cases[1].flags};
    });
    EXPECT_EQ(quantRowNotes(outside.regions[0], outside.regions[0].components[2]),
              std::vector<std::string>{"left out, flagged by the fit: outside the fit range"});
    EXPECT_EQ(quantificationNotes(outside).front(),
              "Left out of their regions' amounts, flagged by the fit: peak 2 (outside the fit range)");

    std::vector<FitFlag> everyOne;
    for (short peak : {0, 1, 2}) everyOne.push_back({peak, FitFlagCause::OutsideRange, PeakParam::Position});
    const Quantification none = quantify(ws, [&](int) { return RegionFit{covariance, 1.0, everyOne}; });
    EXPECT_EQ(none.regions[0].excluded, "No peak to count: the fit flags every one");

    // Without a fit's verdict the peaks are judged as they stand: peak 2 lies far outside the range.
    const Quantification judged = quantify(ws);
    EXPECT_TRUE(judged.regions[0].components[2].leftOut);
    EXPECT_FALSE(judged.regions[0].components[0].leftOut);
}

TEST(Detection, AComponentLevelCountingABackgroundSubtractedAreaSaysTheWholeDoubletIsCounted) {
    const struct {
        const char* level;
        QuantArea area;
        bool whole;
    } cases[] = {
        {"I 3d5/2", QuantArea::Background, true},
        {"I 3d5/2", QuantArea::Peaks, false},
        {"I 3d", QuantArea::Background, false},
        {"O 1s", QuantArea::Background, false},
    };
    for (const auto& c : cases) {
        Workspace ws;
        spectrum(ws, 0, c.level, 640.0f, lineOn(500.0, 625.0, 20000.0));
        accept(ws, 0, BackgroundType::Linear);
        testing::addPeak(ws, 0, 0, 625.0f, 20000.0f, 1.5f, 30, static_cast<short>(PeakType::D)).splitting =
            11.5f;
        ws.quantSettings.area = c.area;
        const Quantification table = quantify(ws, [](int) { return RegionFit{{1.0}, 1.0, {}}; });
        EXPECT_EQ(table.regions[0].wholeDoubletCounted, c.whole) << c.level;
        const std::vector<std::string> notes = quantRowNotes(table.regions[0], table.regions[0].row);
        EXPECT_EQ(std::find(notes.begin(), notes.end(), "whole doublet counted") != notes.end(), c.whole);
    }
}

}  // namespace
}  // namespace vortlan
