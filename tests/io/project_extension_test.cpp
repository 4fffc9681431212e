// The section after a project's description: what it stores, that a project with nothing to put there
// is written as before, and that neither older readers nor damaged sections lose the project.

#include "io/project_extension.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "io/project_file.h"
#include "support/byte_builder.h"
#include "support/fitted_session.h"
#include "workspace/reset.h"

namespace vortlan {
namespace {

using testing::Bytes;

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything but the units agrees: the regions' records, the peaks and the constraints.
void expectSameRecords(Workspace a, Workspace b) {
    for (Region& r : a.regions) r.intensityUnit.clear();
    for (Region& r : b.regions) r.intensityUnit.clear();
    for (int r = 0; r < kRegionCount; ++r) EXPECT_TRUE(a.regions[r] == b.regions[r]) << "region " << r;
    for (int p = 0; p < kPeakCount; ++p) EXPECT_TRUE(a.peaks[p] == b.peaks[p]) << "peak " << p;
    EXPECT_TRUE(a.constraints == b.constraints);
}

// The section of the units of regions 0 ("c/s") and 3 ("counts"), laid out by hand.
std::string unitsSection() {
    const std::string payload = Bytes().i16(2).i16(0).i16(3).text("c/s").i16(3).i16(6).text("counts").str();
    return Bytes().text("VORTLAN EXT").i16(1).i16(1).i16(1).i32(static_cast<int>(payload.size())).str() +
           payload;
}

class ProjectExtensionTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    ProjectExtensionTest() : plain(encodeProject(session.workspace)) {
        readWith("");
        withoutSection = read;
    }

    // The project as written without units, followed by `section`, read afresh.
    ProjectReadResult readWith(const std::string& section) {
        std::istringstream in(plain + section);
        read = Workspace();
        resetWorkspaceRecords(read);
        return decodeProject(in, read);
    }
    std::string unitOf(int region) const { return read.regions[region].intensityUnit; }

    const std::string plain;
    Workspace read;
    Workspace withoutSection;  // what an older reader, which stops after the description, reads
};

TEST_F(ProjectExtensionTest, ProjectsWithoutUnitsAreWrittenAsBefore) {
    // A unit left in a region without data is not stored either.
    session.workspace.regions[5].intensityUnit = "c/s";
    EXPECT_EQ(encodeProject(session.workspace), plain);
    EXPECT_EQ(encodeProjectExtension(session.workspace), "");
    // Files written before the section existed are written again byte for byte.
    for (const char* name : {"c1s.xps", "c1s-ti2p.xps"}) {
        const std::string original =
            fileBytes(std::string(VORTLAN_SOURCE_DIR) + "/fuzz/corpus/project/" + name);
        ASSERT_FALSE(original.empty()) << name;
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
    // An older reader stops after the description, so it reads exactly the file it always read.
    ASSERT_EQ(bytes.substr(0, plain.size()), plain);
    EXPECT_EQ(bytes.substr(plain.size()), unitsSection());

    const ProjectReadResult result = readWith(unitsSection());
    ASSERT_EQ(result.status, ProjectRead::Complete);
    EXPECT_EQ(result.description, session.workspace.description);
    EXPECT_EQ(unitOf(0), "c/s");
    EXPECT_EQ(unitOf(3), "counts");
    expectSameRecords(read, withoutSection);
}

TEST_F(ProjectExtensionTest, CutSectionLeavesTheProjectWhole) {
    const std::string section = unitsSection();
    for (std::size_t length = 0; length < section.size(); ++length) {
        ASSERT_EQ(readWith(section.substr(0, length)).status, ProjectRead::Complete) << length;
        EXPECT_EQ(unitOf(0), "") << length;
        expectSameRecords(read, withoutSection);
    }
}

TEST_F(ProjectExtensionTest, DamagedRecordsAreIgnoredAndUnknownOnesPassedOver) {
    const auto section = [](int version, int records, const std::string& body) {
        return Bytes().text("VORTLAN EXT").i16(version).i16(records).str() + body;
    };
    const auto record = [](int tag, const std::string& payload) {
        return Bytes().i16(tag).i32(static_cast<int>(payload.size())).str() + payload;
    };
    const auto units = [&](const std::string& entries, int count) {
        return record(1, Bytes().i16(count).str() + entries);
    };
    const std::string cps = Bytes().i16(0).i16(3).text("c/s").str();

    // A later kind of record before the units: passed over by its length.
    ASSERT_EQ(readWith(section(1, 2, record(9, "future data") + units(cps, 1))).status,
              ProjectRead::Complete);
    EXPECT_EQ(unitOf(0), "c/s");
    // A region without data or out of the table: that entry alone is dropped.
    const std::string others =
        Bytes().i16(5).i16(1).text("c").i16(-1).i16(1).text("c").i16(12).i16(1).text("c").str();
    readWith(section(1, 1, units(others + cps, 4)));
    EXPECT_EQ(unitOf(0), "c/s");
    EXPECT_EQ(unitOf(5), "");
    // Control characters and overlong texts are cleaned as an import cleans them.
    readWith(section(1, 1, units(Bytes().i16(3).i16(30).text("\ncounts\t per second, corrected").str(), 1)));
    EXPECT_EQ(unitOf(3), "counts per second, c");

    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"unknown layout", section(2, 1, units(cps, 1))},
        {"negative record count", section(1, -1, units(cps, 1))},
        {"record longer than the file", section(1, 1, Bytes().i16(1).i32(0x7fffffff).str() + cps)},
        {"negative record length", section(1, 1, Bytes().i16(1).i32(-4).str() + cps)},
        {"more entries than regions", section(1, 1, units(cps, 11))},
        {"entries beyond the record", section(1, 1, units(cps, 2))},
        {"negative text length", section(1, 1, units(Bytes().i16(0).i16(-3).text("c/s").str(), 1))},
        {"another mark", "VORTLAN EXS" + section(1, 1, units(cps, 1)).substr(11)},
    };
    for (const auto& [what, bytes] : damaged) {
        ASSERT_EQ(readWith(bytes).status, ProjectRead::Complete) << what;
        EXPECT_EQ(unitOf(0), "") << what;
        expectSameRecords(read, withoutSection);
    }
}

}  // namespace
}  // namespace vortlan
