// Random workspaces written and read back through every file format come back as they were.

#include <gtest/gtest.h>

#include <sstream>

#include "io/option_file.h"
#include "io/project_file.h"
#include "io/records_io.h"
#include "session/region_parameters.h"
#include "support/random_workspace.h"
#include "support/temp_dir.h"
#include "workspace/invariants.h"
#include "workspace/recording_port.h"
#include "workspace/reset.h"

namespace vortlan {
namespace {

constexpr int kWorkspaces = 40;

// A region without an accepted background has no fit range: the reader resets its range fields.
Region asRead(Region region) {
    resetUnusedFitRange(region);
    return region;
}

// What the fixed records hold of a region, without what the section after the description keeps.
Region withoutAdditions(Region region) {
    region.intensityUnit.clear();
    region.coreLevel.clear();
    region.sourceEnergy.reset();
    region.sensitivityOverride.reset();
    region.acquisition = {};
    return region;
}

Workspace withoutAdditions(const Workspace& ws) {
    Workspace stripped = ws;
    for (Region& region : stripped.regions) region = withoutAdditions(region);
    stripped.quantSettings = {};
    return stripped;
}

TEST(RoundTripProperty, ProjectFiles) {
    for (unsigned seed = 1; seed <= kWorkspaces; ++seed) {
        testing::RandomWorkspace random(seed);
        const Workspace written = random.make();
        ASSERT_EQ(firstBrokenRule(written), "") << "seed " << seed;
        std::istringstream in(encodeProject(written));
        Workspace read;
        resetWorkspaceRecords(read);
        const ProjectReadResult result = decodeProject(in, read);
        ASSERT_EQ(result.status, ProjectRead::Complete) << "seed " << seed;
        EXPECT_EQ(result.description, written.description) << "seed " << seed;
        for (int r = 0; r < kRegionCount; ++r) {
            if (!isTrue(written.regions[r].defined)) continue;
            EXPECT_TRUE(read.regions[r] == asRead(written.regions[r])) << "seed " << seed << " region " << r;
        }
        // Only the peaks in use are stored, each with its constraints.
        for (int p = 0; p < kPeakCount; ++p) {
            if (!isTrue(written.peaks[p].defined)) continue;
            EXPECT_TRUE(read.peaks[p] == written.peaks[p]) << "seed " << seed << " peak " << p;
            EXPECT_TRUE(read.constraints[p] == written.constraints[p]) << "seed " << seed << " peak " << p;
        }
        EXPECT_TRUE(read.scratchPeak == written.scratchPeak) << seed;
        EXPECT_EQ(read.currentRegion, written.currentRegion);
        EXPECT_EQ(read.currentPeak, written.currentPeak);
        EXPECT_EQ(read.areaScrollUnit, written.areaScrollUnit);
        EXPECT_TRUE(read.quantSettings == written.quantSettings) << seed;
    }
}

// The section after the description is only appended: the file without it is the file of a
// workspace without additions, and it reads, as an older reader reads the whole file, to the same
// regions and peaks.
TEST(RoundTripProperty, ProjectFilesWithoutTheirSectionKeepRegionsAndPeaks) {
    for (unsigned seed = 1; seed <= kWorkspaces; ++seed) {
        testing::RandomWorkspace random(seed);
        const Workspace written = random.make();
        const std::string whole = encodeProject(written);
        const std::string plain = encodeProject(withoutAdditions(written));
        ASSERT_EQ(whole.substr(0, plain.size()), plain) << "seed " << seed;
        std::istringstream in(plain);
        Workspace read;
        resetWorkspaceRecords(read);
        const ProjectReadResult result = decodeProject(in, read);
        ASSERT_EQ(result.status, ProjectRead::Complete) << "seed " << seed;
        EXPECT_EQ(result.extension, ProjectExtensionRead::Absent) << "seed " << seed;
        for (int r = 0; r < kRegionCount; ++r) {
            if (!isTrue(written.regions[r].defined)) continue;
            EXPECT_TRUE(read.regions[r] == withoutAdditions(asRead(written.regions[r])))
                << "seed " << seed << " region " << r;
        }
        for (int p = 0; p < kPeakCount; ++p) {
            if (!isTrue(written.peaks[p].defined)) continue;
            EXPECT_TRUE(read.peaks[p] == written.peaks[p]) << "seed " << seed << " peak " << p;
            EXPECT_TRUE(read.constraints[p] == written.constraints[p]) << "seed " << seed << " peak " << p;
        }
    }
}

// The previous version keeps every field but the tail parameters and the FWHM fix flag of its peaks.
TEST(RoundTripProperty, Version3ProjectFiles) {
    for (unsigned seed = 1; seed <= kWorkspaces; ++seed) {
        testing::RandomWorkspace random(seed);
        const Workspace written = random.make();
        std::istringstream in(encodeProject(written, PeakLayout::Version3));
        Workspace read;
        resetWorkspaceRecords(read);
        ASSERT_EQ(decodeProject(in, read).status, ProjectRead::Complete) << "seed " << seed;
        for (int r = 0; r < kRegionCount; ++r) {
            if (!isTrue(written.regions[r].defined)) continue;
            EXPECT_TRUE(read.regions[r] == asRead(written.regions[r])) << "seed " << seed << " region " << r;
        }
        for (int p = 0; p < kPeakCount; ++p) {
            if (!isTrue(written.peaks[p].defined)) continue;
            Peak expected = written.peaks[p];
            expected.ts = 0.0f;
            expected.tl = 1.0f;
            expected.fixFwhm = expected.fixArea;
            EXPECT_TRUE(read.peaks[p] == expected) << "seed " << seed << " peak " << p;
            EXPECT_TRUE(read.constraints[p] == written.constraints[p]) << "seed " << seed << " peak " << p;
        }
    }
}

TEST(RoundTripProperty, OptionFiles) {
    for (unsigned seed = 1; seed <= kWorkspaces; ++seed) {
        testing::RandomWorkspace random(seed);
        const FitOptions written = random.options();
        std::istringstream in(encodeOptionFile(written));
        FitOptions read;
        ASSERT_EQ(decodeOptionFile(in, read), OptionFileRead::Complete) << seed;
        EXPECT_TRUE(read == written) << seed;
    }
}

// A region's model saved and loaded into the same slot gives back its peaks, range and background choice;
// only the links between peaks are dropped, as loading always does.
TEST(RoundTripProperty, RegionParameterFiles) {
    testing::TempDir dir;
    for (unsigned seed = 1; seed <= kWorkspaces; ++seed) {
        testing::RandomWorkspace random(seed);
        RecordingPort port;
        Session session(port);
        session.workspace = random.make();
        Workspace& ws = session.workspace;
        int region = -1;
        for (int r = 0; r < kRegionCount && region < 0; ++r) {
            if (isTrue(ws.regions[r].defined) && ws.regions[r].peakCount > 0) region = r;
        }
        if (region < 0) continue;
        Region& r = ws.regions[region];
        // A fit range of several points inside the data, as an accepted background leaves it.
        r.rangeLow = r.beLow + random.real(0, 0.3) * (r.beHigh - r.beLow);
        r.rangeHigh = r.beHigh - random.real(0, 0.3) * (r.beHigh - r.beLow);
        ws.currentRegion = static_cast<short>(region);
        ws.fileName = dir.file("model.rpa");
        ASSERT_TRUE(saveRegionParameters(session)) << seed;
        std::vector<Peak> saved;
        std::vector<PeakConstraints> savedConstraints;
        for (int s = 0; s < r.peakCount; ++s) {
            saved.push_back(ws.peaks[r.peakSlots[s]]);
            savedConstraints.push_back(ws.constraints[r.peakSlots[s]]);
        }
        const Region before = r;
        ASSERT_TRUE(loadRegionParameters(session)) << seed << ": " << port.messages.back();
        EXPECT_EQ(firstBrokenRule(ws), "") << seed;
        EXPECT_EQ(r.backgroundType, before.backgroundType) << seed;
        EXPECT_EQ(r.rangeLow, before.rangeLow) << seed;
        EXPECT_EQ(r.rangeHigh, before.rangeHigh) << seed;
        ASSERT_EQ(r.peakCount, static_cast<short>(saved.size())) << seed;
        for (int s = 0; s < r.peakCount; ++s) {
            // The heights come back; the areas follow the recomputed range, as loading always does.
            const Peak& loaded = ws.peaks[r.peakSlots[s]];
            const Peak& stored = saved[s];
            EXPECT_EQ(loaded.position, stored.position) << seed;
            EXPECT_EQ(loaded.fwhm, stored.fwhm) << seed;
            EXPECT_EQ(loaded.gl, stored.gl) << seed;
            EXPECT_EQ(loaded.type, stored.type) << seed;
            EXPECT_EQ(loaded.splitting, stored.splitting) << seed;
            EXPECT_EQ(loaded.ts, stored.ts) << seed;
            EXPECT_EQ(loaded.tl, stored.tl) << seed;
            EXPECT_EQ(loaded.label, stored.label) << seed;
            for (PeakParam param : kPeakParams) {
                ParamConstraint expected = savedConstraints[s].of(param);
                expected.linked = kFalse;
                expected.isReference = kFalse;
                EXPECT_TRUE(ws.constraints[r.peakSlots[s]].of(param) == expected) << seed;
            }
        }
    }
}

// The oldest layout's fixed blocks hold every region of up to 2000 points whole.
TEST(RoundTripProperty, RegionRecordsInFixedBlocks) {
    for (unsigned seed = 1; seed <= kWorkspaces; ++seed) {
        testing::RandomWorkspace random(seed);
        const Workspace written = random.make();
        for (const Region& region : written.regions) {
            if (!isTrue(region.defined)) continue;
            BinaryWriter out;
            writeRegionRecord(out, region, RegionArrays::FixedBlocks);
            std::istringstream in(out.bytes());
            BinaryReader reader(in);
            Region read;
            readRegionRecord(reader, read, RegionArrays::FixedBlocks);
            EXPECT_TRUE(read == withoutAdditions(region)) << "seed " << seed;
        }
    }
}

}  // namespace
}  // namespace vortlan
