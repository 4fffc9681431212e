#pragma once
// Two workspaces compared record by record, so that a failure names the record that differs.

#include <gtest/gtest.h>

#include "workspace/records.h"

namespace vortlan::testing {

inline void expectSameWorkspace(const Workspace& a, const Workspace& b) {
    for (int r = 0; r < kRegionCount; ++r) EXPECT_TRUE(a.regions[r] == b.regions[r]) << "region " << r;
    for (int p = 0; p < kPeakCount; ++p) {
        EXPECT_TRUE(a.peaks[p] == b.peaks[p]) << "peak " << p;
        EXPECT_TRUE(a.peakBackup[p] == b.peakBackup[p]) << "peak backup " << p;
        EXPECT_TRUE(a.constraints[p] == b.constraints[p]) << "constraints " << p;
    }
    EXPECT_EQ(a.currentRegion, b.currentRegion);
    EXPECT_EQ(a.currentPeak, b.currentPeak);
    EXPECT_EQ(a.peakTotal, b.peakTotal);
    EXPECT_EQ(a.totalChiSquare, b.totalChiSquare);
    EXPECT_EQ(a.areaScrollUnit, b.areaScrollUnit);
    EXPECT_EQ(a.fileName, b.fileName);
    EXPECT_EQ(a.description, b.description);
    EXPECT_TRUE(a.options == b.options);
}

}  // namespace vortlan::testing
