// The synthetic spectra as the program reads them back: the VAMAS text of one block and of many, and
// the C 1s series the batch benchmarks fit.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "batch_spectra.h"
#include "io/vamas_file.h"
#include "synthetic_spectrum.h"

namespace vortlan::synthetic {
namespace {

const VamasExperiment kExperiment{"Lab", "maker", "title", "sample", {"first comment", "second comment"}};

VamasBlockLabels labels(int k) {
    return {"C 1s " + std::to_string(k), "C", "1s", "block " + std::to_string(k)};
}

void expectSameSpectrum(const VamasBlock& read, const Spectrum& made) {
    ASSERT_EQ(read.counts.size(), made.counts.size());
    for (std::size_t i = 0; i < made.counts.size(); ++i) {
        EXPECT_FLOAT_EQ(read.counts[i], static_cast<float>(made.counts[i])) << "point " << i;
        EXPECT_NEAR(read.energy[i], made.bindingEnergy[i], 1e-3) << "point " << i;
    }
}

TEST(SyntheticVamas, OneBlockAndManyBlocksReadBackAsMade) {
    for (const char* lineEnd : {"\r\n", "\n"}) {
        VamasExperiment experiment = kExperiment;
        experiment.lineEnd = lineEnd;
        const Spectrum one = measure(batchC1sRecipe(0));
        const VamasFile single = parseVamas(vamasText(experiment, one, labels(1)));
        ASSERT_EQ(single.blocks.size(), 1u);
        EXPECT_FALSE(single.damaged);
        EXPECT_TRUE(single.blocks[0].isXps());
        EXPECT_EQ(single.blocks[0].species, "C");
        EXPECT_EQ(single.blocks[0].transition, "1s");
        EXPECT_DOUBLE_EQ(single.blocks[0].sourceEnergy, kAlKalpha);
        expectSameSpectrum(single.blocks[0], one);

        // Streamed block by block, as the generator writes a long series.
        const int count = 7;
        std::string text = vamasHeader(experiment, count);
        for (int k = 0; k < count; ++k) text += vamasBlock(experiment, measure(batchC1sRecipe(k)), labels(k + 1));
        text += vamasEnd(experiment);
        const VamasFile many = parseVamas(text);
        ASSERT_EQ(many.blocks.size(), static_cast<std::size_t>(count));
        EXPECT_FALSE(many.damaged);
        for (int k = 0; k < count; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(many.blocks[k].identifier, labels(k + 1).identifier);
            expectSameSpectrum(many.blocks[k], measure(batchC1sRecipe(k)));
        }
    }
}

TEST(BatchC1sSeries, SpectraAreFixedBySeedAndVaryAroundTheNominalPeaks) {
    const Spectrum first = measure(batchC1sRecipe(0));
    ASSERT_EQ(first.counts.size(), 301u);
    EXPECT_DOUBLE_EQ(first.bindingEnergy.front(), 295.0);
    EXPECT_NEAR(first.bindingEnergy.back(), 280.0, 1e-9);
    EXPECT_EQ(measure(batchC1sRecipe(0)).counts, first.counts);

    const std::vector<Component>& nominal = batchC1sComponents();
    double largestShift = 0;
    for (int i = 0; i < 50; ++i) {
        const RegionRecipe r = batchC1sRecipe(i);
        ASSERT_EQ(r.components.size(), nominal.size());
        for (std::size_t c = 0; c < nominal.size(); ++c) {
            const double shift = r.components[c].shape.position - nominal[c].shape.position;
            const double scale = r.components[c].shape.area / nominal[c].shape.area;
            EXPECT_LE(std::fabs(shift), 0.08 + 1e-5);
            EXPECT_GE(scale, 0.9 - 1e-6);
            EXPECT_LE(scale, 1.1 + 1e-6);
            largestShift = std::max(largestShift, std::fabs(shift));
        }
        if (i > 0) {
            EXPECT_NE(measure(r).counts, first.counts) << "spectrum " << i;
        }
    }
    EXPECT_GT(largestShift, 0.04);  // the peaks do move
}

TEST(BatchC1sSeries, CountsCarryCountingNoiseOfPoissonSize) {
    // Two measurements of one recipe differ by their noise alone; for Poisson counts a - b has the
    // variance a + b has as its mean.
    RegionRecipe recipe = batchC1sRecipe(3);
    double ratio = 0;
    int n = 0;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        recipe.seed = seed;
        const Spectrum a = measure(recipe);
        recipe.seed = seed + 1000;
        const Spectrum b = measure(recipe);
        for (std::size_t p = 0; p < a.counts.size(); ++p) {
            const auto d = static_cast<double>(a.counts[p] - b.counts[p]);
            ratio += d * d / static_cast<double>(a.counts[p] + b.counts[p]);
            ++n;
        }
    }
    EXPECT_NEAR(ratio / n, 1.0, 0.05);
}

}  // namespace
}  // namespace vortlan::synthetic
