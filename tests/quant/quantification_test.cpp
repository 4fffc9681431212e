// Atomic concentrations of synthetic samples of known composition, made from the program's own
// sensitivity factors: noise-free they come back exactly, with counting noise within their stated
// uncertainty about as often as a standard error promises.

#include "session/quantification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>
#include <variant>

#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "io/option_file.h"
#include "model/net_area.h"
#include "model/peak_shapes.h"
#include "quant/analyser.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using testing::TruePeak;

// One chemical state of an element: a line (singlet or doublet) holding `atoms` atoms of the formula.
struct State {
    float position;
    double atoms;
    short type = 1;
    float splitting = 0;
};

// A region of one core level and its states.
struct LevelRegion {
    std::string level;
    float beHigh;
    std::vector<State> states;
};

double factorOf(const std::string& level, const QuantSettings& settings = {}) {
    const CoreLevel read = std::get<CoreLevel>(readCoreLevel(level));
    return std::get<double>(sensitivityFactor(read, settings.sourceEnergy, settings));
}

// The area a state's line has when the level's factor turns it into `atoms`: a doublet measured
// by one component carries the rest of its area in the other.
float trueArea(const LevelRegion& region, const State& state, double scale) {
    const CoreLevel level = std::get<CoreLevel>(readCoreLevel(region.level));
    double area = scale * state.atoms * factorOf(region.level);
    if (!level.isWhole() && state.type != 1) area /= mainShare(state.type);
    return static_cast<float>(area);
}

// Gaussian lines, so that the spectrum is the program's Shirley background plus the peaks exactly:
// a Lorentzian part's tails would reach the ends of the range, where the background meets the data.
class Sample {
  public:
    Sample(std::vector<LevelRegion> regions, double scale) : regions_(std::move(regions)), scale_(scale) {
        ws_.options = defaultFitOptions();
        ws_.options.methodFlag = kLeastSquaresMethodFlag;
        ws_.options.glSum = kTrue;
        int peak = 0;
        for (std::size_t r = 0; r < regions_.size(); ++r) {
            const int index = static_cast<int>(r);
            std::vector<TruePeak> truth;
            for (const State& s : regions_[r].states)
                truth.push_back({s.position, trueArea(regions_[r], s, scale_), 1.2f, 0, s.type, s.splitting});
            testing::synthesize(ws_, index, truth, 200.0, 400.0, regions_[r].beHigh);
            ws_.regions[r].coreLevel = regions_[r].level;
            testing::acceptShirley(ws_, port_, index);
            for (const TruePeak& t : truth) {
                Peak& p = testing::addPeak(ws_, index, peak++, t.position, t.area, t.fwhm, t.gl, t.type);
                p.splitting = t.splitting;
            }
        }
    }

    // Counting noise on the noise-free spectrum of every region, the background then drawn from the
    // noisy data.
    void addNoise(std::mt19937_64& random) {
        for (std::size_t r = 0; r < regions_.size(); ++r) {
            Region& region = ws_.regions[r];
            for (int i = 1; i <= region.pointCount; ++i)
                region.counts[i] =
                    static_cast<float>(std::poisson_distribution<long>(region.counts[i])(random));
            testing::acceptShirley(ws_, port_, static_cast<int>(r));
        }
    }

    void fit() {
        for (std::size_t r = 0; r < regions_.size(); ++r) {
            ws_.currentRegion = static_cast<short>(r);
            optimiseRegion(ws_, port_);
        }
    }

    // The formula's share of each region's element, and of each state within it, in at.%.
    std::vector<double> regionTruth() const {
        std::vector<double> atoms;
        double total = 0;
        for (const LevelRegion& r : regions_) {
            double sum = 0;
            for (const State& s : r.states) sum += s.atoms;
            atoms.push_back(sum);
            total += sum;
        }
        for (double& a : atoms) a *= 100.0 / total;
        return atoms;
    }
    double stateTruth(std::size_t region, std::size_t state) const {
        double total = 0;
        for (const LevelRegion& r : regions_) {
            for (const State& s : r.states) total += s.atoms;
        }
        return 100.0 * regions_[region].states[state].atoms / total;
    }

    Workspace& workspace() { return ws_; }

  private:
    std::vector<LevelRegion> regions_;
    double scale_;
    Workspace ws_;
    RecordingPort port_;
};

const std::vector<LevelRegion> kTitania{{"Ti 2p", 475.0f, {{458.8f, 1, 2, 5.7f}}},
                                        {"O 1s", 545.0f, {{530.1f, 2}}}};
const std::vector<LevelRegion> kTitaniaByComponent{{"Ti 2p3/2", 475.0f, {{458.8f, 1, 2, 5.7f}}},
                                                   {"O 1s", 545.0f, {{530.1f, 2}}}};
const std::vector<LevelRegion> kSilica{{"Si 2p", 118.0f, {{103.5f, 1, 2, 0.6f}}},
                                       {"O 1s", 547.0f, {{532.9f, 2}}}};
// A polyimide, C22H10N2O5: three carbon states, one of nitrogen, two of oxygen.
const std::vector<LevelRegion> kPolyimide{{"C 1s", 300.0f, {{284.8f, 12}, {285.9f, 6}, {288.6f, 4}}},
                                          {"N 1s", 414.0f, {{400.6f, 2}}},
                                          {"O 1s", 546.0f, {{532.0f, 4}, {533.4f, 1}}}};

void expectComposition(Sample& sample, double tolerance) {
    const Quantification table = quantify(sample.workspace());
    const std::vector<double> truth = sample.regionTruth();
    ASSERT_EQ(table.regions.size(), truth.size());
    for (std::size_t r = 0; r < truth.size(); ++r) {
        const QuantRegion& region = table.regions[r];
        ASSERT_TRUE(region.counted()) << region.excluded;
        EXPECT_NEAR(region.row.atomicPercent, truth[r], tolerance) << region.row.level;
        ASSERT_TRUE(region.row.atomicPercentError.has_value());
        for (std::size_t s = 0; s < region.components.size(); ++s)
            EXPECT_NEAR(region.components[s].atomicPercent, sample.stateTruth(r, s), tolerance)
                << region.row.level;
    }
}

TEST(Quantification, NoiseFreeSamplesComeBackWithinATenthOfAPercent) {
    for (const auto& formula : {kTitania, kTitaniaByComponent, kSilica, kPolyimide}) {
        Sample sample(formula, 2000.0);
        sample.fit();
        expectComposition(sample, 0.1);
    }
}

// How often the ±1σ (and ±2σ) of each region's at.% holds the truth over noisy replicas.
struct Coverage {
    int cases = 0, withinOne = 0, withinTwo = 0;
};

Coverage coverageOf(const std::vector<LevelRegion>& formula, int replicas) {
    Coverage coverage;
    std::mt19937_64 random(20261207);
    for (int k = 0; k < replicas; ++k) {
        // Bright enough for a fit to stay where it is linear in the noise: under a faint line the
        // Shirley step follows the noise of its ends far from linearly.
        Sample sample(formula, 4000.0);
        sample.addNoise(random);
        sample.fit();
        const Quantification table = quantify(sample.workspace());
        const std::vector<double> truth = sample.regionTruth();
        // The at.% of two regions are one number: count the first only.
        const QuantRow& row = table.regions[0].row;
        if (!row.atomicPercentError) continue;
        ++coverage.cases;
        const double miss = std::fabs(row.atomicPercent - truth[0]);
        coverage.withinOne += miss <= *row.atomicPercentError;
        coverage.withinTwo += miss <= 2 * *row.atomicPercentError;
    }
    return coverage;
}

TEST(Quantification, NoisyReplicasFallWithinTheirUncertaintyAsOftenAsPromised) {
    for (const auto& [name, formula] :
         {std::pair{"TiO2", kTitania}, {"SiO2", kSilica}, {"polyimide", kPolyimide}}) {
        const Coverage c = coverageOf(formula, 100);
        std::cout << name << ": within 1 sigma " << c.withinOne << " of " << c.cases << ", within 2 sigma "
                  << c.withinTwo << "\n";
        ASSERT_EQ(c.cases, 100) << name;
        EXPECT_GE(c.withinOne, 55) << name;
        EXPECT_LE(c.withinOne, 82) << name;
        EXPECT_GE(c.withinTwo, 88) << name;
    }
}

TEST(Quantification, BackgroundAreaCountsTheIntensityAboveTheBackground) {
    Sample sample(kTitania, 2000.0);
    sample.fit();
    Workspace& ws = sample.workspace();
    ws.quantSettings.area = QuantArea::Background;
    ws.regions[1].intensityUnit = "counts";
    const Quantification table = quantify(ws);
    const QuantRegion& oxygen = table.regions[1];
    EXPECT_EQ(oxygen.areaUsed, QuantArea::Background);
    EXPECT_EQ(oxygen.noise, AreaNoise::Counts);
    EXPECT_FLOAT_EQ(static_cast<float>(oxygen.row.area), backgroundArea(ws.regions[1]));
    // Counting statistics, the background's end averages included.
    const BackgroundSubtractedArea counted = backgroundSubtractedArea(ws.regions[1], 1.0);
    EXPECT_NEAR(oxygen.row.areaError.value(), counted.standardError, 1e-6 * counted.standardError);
    EXPECT_GT(counted.standardError, std::sqrt(backgroundAreaCountingVariance(ws.regions[1])));
    // The peaks split the region's amount in their proportions; the range cuts a little of the tails.
    EXPECT_NEAR(oxygen.components[0].area, oxygen.row.area, 1e-6 * oxygen.row.area);
    EXPECT_NEAR(table.regions[0].row.atomicPercent, 100.0 / 3.0, 1.0);
}

TEST(Quantification, RegionsThatCannotBeCountedSayWhyAndLeaveTheRest) {
    Sample sample(kPolyimide, 2000.0);
    sample.fit();
    Workspace& ws = sample.workspace();
    ws.regions[1].coreLevel.clear();
    Quantification table = quantify(ws);
    EXPECT_EQ(table.regions[1].excluded, "No core level given");
    EXPECT_NEAR(table.regions[0].row.atomicPercent + table.regions[2].row.atomicPercent, 100.0, 1e-9);

    // An override counts a region without a level, and replaces a computed factor.
    ws.regions[1].sensitivityOverride = factorOf("N 1s");
    table = quantify(ws);
    EXPECT_TRUE(table.regions[1].counted());
    ws.regions[2].sensitivityOverride = 2 * factorOf("O 1s");
    table = quantify(ws);
    EXPECT_NEAR(table.regions[2].row.factor, 2 * factorOf("O 1s"), 1e-12);

    ws.regions[0].backgroundSet = kFalse;
    ws.regions[2].coreLevel = "O 2d";
    ws.regions[2].sensitivityOverride.reset();
    table = quantify(ws);
    EXPECT_EQ(table.regions[0].excluded, "Background not accepted");
    EXPECT_FALSE(table.regions[2].excluded.empty());
    EXPECT_NEAR(table.regions[1].row.atomicPercent, 100.0, 1e-9);

    ws.regions[1].peakCount = 0;
    ws.quantSettings.area = QuantArea::Peaks;
    table = quantify(ws);
    EXPECT_EQ(table.regions[1].excluded, "No peaks to quantify");
    EXPECT_TRUE(table.empty());
}

TEST(Quantification, UncertaintyFollowsTheFitsAreaErrorsAndTheirCorrelation) {
    Sample sample(kPolyimide, 400.0);
    std::mt19937_64 random(7);
    sample.addNoise(random);
    sample.fit();
    const Workspace& ws = sample.workspace();
    const Quantification table = quantify(ws);
    const RegionErrors carbon = standardErrors(ws, 0);
    // A peak's own area error is the fit's; the region's total is not the independent sum, since
    // overlapping peaks trade area.
    for (std::size_t k = 0; k < carbon.peaks.size(); ++k)
        EXPECT_NEAR(table.regions[0].components[k].areaError.value(), carbon.peaks[k].area.value,
                    1e-6 * carbon.peaks[k].area.value);
    double independent = 0;
    for (const PeakErrors& e : carbon.peaks) independent += e.area.value * e.area.value;
    EXPECT_LT(table.regions[0].row.areaError.value(), std::sqrt(independent));

    // A fixed area has no spread; a region's at.% still has the other regions' spread.
    Sample held(kTitania, 400.0);
    held.addNoise(random);
    held.fit();
    for (int peak : {0, 1}) held.workspace().peaks[peak].fixArea = kTrue;
    const Quantification fixedTable = quantify(held.workspace());
    EXPECT_EQ(fixedTable.regions[0].row.areaError.value(), 0.0);
    EXPECT_EQ(fixedTable.regions[0].row.atomicPercentError.value(), 0.0);
}

TEST(Quantification, TextHasOneLinePerRowAndLeavesUnknownsEmpty) {
    Sample sample(kTitania, 2000.0);
    sample.fit();
    Workspace& ws = sample.workspace();
    ws.regions[2].defined = kTrue;  // a region without a level, its caption holding the separator
    ws.regions[2].caption.assign("Survey, wide");
    const std::string csv = quantificationText(quantify(ws), ',');
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "Region,Caption,Peak,Label,Level,Area,Area \xB1,Factor,Corrected area,At.%,At.% \xB1,Note,"
              "Upper limit area,Upper limit at.%,Noise,Transmission");
    EXPECT_NE(csv.find("\n3,\"Survey, wide\",,,,,,,,,,No core level given,,,,\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n1,,0,,Ti 2p,"), std::string::npos) << csv;  // the Ti 2p peak, number 0
    std::size_t lines = 0;
    for (char c : csv) lines += c == '\n';
    EXPECT_EQ(lines, 1u + 2u + 2u + 1u);
    const std::string tsv = quantificationText(quantify(ws), '\t');
    EXPECT_NE(tsv.find("\n3\tSurvey, wide\t\t\t"), std::string::npos);
    EXPECT_NE(tsv.find("\tTi 2p\t"), std::string::npos);
}

}  // namespace
}  // namespace vortlan
