// The section after a project's description: what it stores, that a project with nothing to put there
// is written as before, and that neither older readers nor damaged sections lose the project.

#include "io/project_extension.h"

#include <gtest/gtest.h>

#include <sstream>

#include "io/project_file.h"
#include "support/byte_builder.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "workspace/reset.h"

namespace vortlan {
namespace {

using testing::Bytes;

std::string section(int version, int records, const std::string& body) {
    return Bytes().text("VORTLAN EXT").i16(version).i16(records).str() + body;
}

// A record of the regions' units with `count` entries of (region, text).
std::string unitsRecord(int count, const std::string& entries) {
    const std::string payload = Bytes().i16(count).str() + entries;
    return Bytes().i16(1).i32(static_cast<int>(payload.size())).str() + payload;
}

std::string entry(int region, const std::string& text) {
    return Bytes().i16(region).i16(static_cast<int>(text.size())).text(text).str();
}

class ProjectExtensionTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    ProjectExtensionTest() : plain(encodeProject(session.workspace)) {
        readWith("");
        withoutSection = read;
    }

    // The project as written without units, followed by `extra`, read afresh.
    ProjectReadResult readWith(const std::string& extra) {
        std::istringstream in(plain + extra);
        read = Workspace();
        resetWorkspaceRecords(read);
        return decodeProject(in, read);
    }
    std::string unitOf(int region) const { return read.regions[region].intensityUnit; }

    // Everything but the units is what an older reader, which stops after the description, reads.
    void expectOnlyUnitsAdded() {
        Workspace a = read;
        for (Region& r : a.regions) r.intensityUnit.clear();
        for (int r = 0; r < kRegionCount; ++r) EXPECT_TRUE(a.regions[r] == withoutSection.regions[r]) << r;
        for (int p = 0; p < kPeakCount; ++p) EXPECT_TRUE(a.peaks[p] == withoutSection.peaks[p]) << p;
        EXPECT_TRUE(a.constraints == withoutSection.constraints);
    }

    const std::string plain;
    Workspace read;
    Workspace withoutSection;
};

TEST_F(ProjectExtensionTest, ProjectsWithoutUnitsAreWrittenAsBefore) {
    // A unit left in a region without data is not stored either.
    session.workspace.regions[5].intensityUnit = "c/s";
    EXPECT_EQ(encodeProject(session.workspace), plain);
    for (const char* name : {"c1s.xps", "c1s-ti2p.xps"}) {
        const std::string original =
            testing::readWholeFile(std::string(VORTLAN_SOURCE_DIR) + "/fuzz/corpus/project/" + name);
        std::istringstream in(original);
        Workspace ws;
        const ProjectReadResult result = decodeProject(in, ws);
        ASSERT_EQ(result.status, ProjectRead::Complete) << name;
        ws.description = result.description.value_or("");
        EXPECT_EQ(encodeProject(ws), original) << name;
    }
}

TEST_F(ProjectExtensionTest, UnitsFollowTheUnchangedRecordsAndComeBack) {
    session.workspace.regions[0].intensityUnit = "c/s";
    session.workspace.regions[3].intensityUnit = "counts";
    const std::string bytes = encodeProject(session.workspace);
    const std::string expected = section(1, 1, unitsRecord(2, entry(0, "c/s") + entry(3, "counts")));
    ASSERT_EQ(bytes, plain + expected);

    const ProjectReadResult result = readWith(expected);
    ASSERT_EQ(result.status, ProjectRead::Complete);
    EXPECT_EQ(result.description, session.workspace.description);
    EXPECT_EQ(unitOf(0), "c/s");
    EXPECT_EQ(unitOf(3), "counts");
    expectOnlyUnitsAdded();
}

TEST_F(ProjectExtensionTest, UnknownRecordsAndEntriesArePassedOverAndTextsCleaned) {
    readWith(
        section(1, 2, Bytes().i16(9).i32(11).text("future data").str() + unitsRecord(1, entry(0, "c/s"))));
    EXPECT_EQ(unitOf(0), "c/s");
    // Entries for a region without data or outside the table are dropped alone.
    readWith(
        section(1, 1, unitsRecord(4, entry(5, "c") + entry(-1, "c") + entry(12, "c") + entry(0, "c/s"))));
    EXPECT_EQ(unitOf(0), "c/s");
    EXPECT_EQ(unitOf(5), "");
    readWith(section(1, 1, unitsRecord(1, entry(3, "\ncounts\t per second, corrected"))));
    EXPECT_EQ(unitOf(3), "counts per second, c");
    expectOnlyUnitsAdded();
}

TEST_F(ProjectExtensionTest, CutOrDamagedSectionLeavesTheProjectWhole) {
    const std::string sound = section(1, 1, unitsRecord(1, entry(0, "c/s")));
    std::vector<std::pair<std::string, std::string>> damaged = {
        {"unknown layout", section(2, 1, unitsRecord(1, entry(0, "c/s")))},
        {"negative record count", section(1, -1, unitsRecord(1, entry(0, "c/s")))},
        {"record longer than the file",
         section(1, 1, Bytes().i16(1).i32(0x7fffffff).str() + entry(0, "c/s"))},
        {"entries beyond the record", section(1, 1, unitsRecord(2, entry(0, "c/s")))},
        {"another mark", "VORTLAN EXS" + sound.substr(11)},
    };
    for (std::size_t length = 0; length < sound.size(); ++length)
        damaged.emplace_back("cut at " + std::to_string(length), sound.substr(0, length));
    for (const auto& [what, bytes] : damaged) {
        ASSERT_EQ(readWith(bytes).status, ProjectRead::Complete) << what;
        EXPECT_EQ(unitOf(0), "") << what;
        expectOnlyUnitsAdded();
    }
}

}  // namespace
}  // namespace vortlan
