// The section after a project's description: what it stores, that a project with nothing to put there
// is written as before, and that neither older readers nor damaged sections lose the project.

#include "io/project_extension.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "io/project_file.h"
#include "session/project.h"
#include "support/byte_builder.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "workspace/fit_verdicts.h"
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

std::string record(int tag, const std::string& payload) {
    return Bytes().i16(tag).i32(static_cast<int>(payload.size())).str() + payload;
}

// A record of the regions' numbers (tag 3 the source energies, tag 4 the factors) of (region, value).
std::string numbersRecord(int tag, const std::vector<std::pair<int, double>>& entries) {
    Bytes payload;
    payload.i16(static_cast<int>(entries.size()));
    for (const auto& [region, value] : entries) payload.i16(region).f64(value);
    return record(tag, payload.str());
}

// A record of one region's acquisition: dwell time, scans (0 for none) and transmission values.
std::string acquisitionRecord(int region, double dwell, int scans, const std::vector<float>& transmission,
                              std::optional<int> count = std::nullopt) {
    Bytes payload;
    payload.i16(region).f64(dwell).i32(scans).i16(count.value_or(static_cast<int>(transmission.size())));
    for (float t : transmission) payload.f32(t);
    return record(8, payload.str());
}

std::vector<float> rampOf(int points) {
    std::vector<float> values;
    for (int i = 0; i < points; ++i) values.push_back(0.5f + 0.01f * static_cast<float>(i));
    return values;
}

std::string settingsRecord(double sourceEnergy, double imfp, double transmission, int area) {
    return record(5, Bytes().f64(sourceEnergy).f64(imfp).f64(transmission).i16(area).str());
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

    // Everything the section does not hold is what an older reader, which stops after the
    // description, reads.
    void expectOnlyUnitsAdded() {
        Workspace a = read;
        for (Region& r : a.regions) {
            r.intensityUnit.clear();
            r.coreLevel.clear();
            r.sourceEnergy.reset();
            r.sensitivityOverride.reset();
            r.acquisition = {};
        }
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
    session.workspace.regions[5].coreLevel = "Ti 2p";
    session.workspace.regions[5].sourceEnergy = 1253.6;
    session.workspace.regions[5].sensitivityOverride = 5.2;
    session.workspace.regions[0].coreLevel = " \t ";
    // Settings changed and set back to their defaults are not stored.
    session.workspace.quantSettings.imfpExponent = 0.7;
    session.workspace.quantSettings.imfpExponent = QuantSettings{}.imfpExponent;
    EXPECT_EQ(encodeProject(session.workspace), plain);
    // Nor are numbers the reader would refuse, which would cost the whole section on opening.
    session.workspace.regions[0].sourceEnergy = 0.0;
    session.workspace.regions[3].sensitivityOverride = std::numeric_limits<double>::infinity();
    session.workspace.quantSettings.transmissionExponent = std::numeric_limits<double>::quiet_NaN();
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

TEST_F(ProjectExtensionTest, CoreLevelsEnergiesFactorsAndSettingsHaveTheirRecordsAndComeBack) {
    Workspace& ws = session.workspace;
    ws.regions[0].coreLevel = "Ti 2p3/2";
    ws.regions[3].coreLevel = "O 1s";
    ws.regions[0].sourceEnergy = 1253.6;
    ws.regions[3].sensitivityOverride = 2.93;
    ws.quantSettings = {1253.6, 0.75, 1.0, QuantArea::Background};
    const std::string expected =
        section(1, 4,
                record(2, Bytes().i16(2).str() + entry(0, "Ti 2p3/2") + entry(3, "O 1s")) +
                    numbersRecord(3, {{0, 1253.6}}) + numbersRecord(4, {{3, 2.93}}) +
                    settingsRecord(1253.6, 0.75, 1.0, 2));
    ASSERT_EQ(encodeProject(ws), plain + expected);

    ASSERT_EQ(readWith(expected).extension, ProjectExtensionRead::Complete);
    EXPECT_EQ(read.regions[0].coreLevel, "Ti 2p3/2");
    EXPECT_EQ(read.regions[3].coreLevel, "O 1s");
    EXPECT_EQ(read.regions[0].sourceEnergy, 1253.6);
    EXPECT_EQ(read.regions[3].sourceEnergy, std::nullopt);
    EXPECT_EQ(read.regions[3].sensitivityOverride, 2.93);
    EXPECT_EQ(read.regions[0].sensitivityOverride, std::nullopt);
    EXPECT_TRUE(read.quantSettings == ws.quantSettings);
    expectOnlyUnitsAdded();

    // The fuzzing seed holds every record, so that the fuzzer starts inside each of them.
    std::istringstream seed(
        testing::readWholeFile(std::string(VORTLAN_SOURCE_DIR) + "/fuzz/corpus/project/c1s-quantified.xps"));
    Workspace seeded;
    ASSERT_EQ(decodeProject(seed, seeded).extension, ProjectExtensionRead::Complete);
    EXPECT_EQ(seeded.regions[0].coreLevel, "C 1s");
    EXPECT_EQ(seeded.regions[0].sourceEnergy, 1486.6);
    EXPECT_EQ(seeded.regions[0].sensitivityOverride, 1.0);
    EXPECT_EQ(seeded.quantSettings.area, QuantArea::Background);
    EXPECT_EQ(seeded.regions[0].acquisition.scans, 10);
    EXPECT_EQ(seeded.regions[0].acquisition.transmission.size(), 361u);
}

TEST_F(ProjectExtensionTest, EachRegionsAcquisitionHasARecordOfItsOwnAndComesBack) {
    Workspace& ws = session.workspace;
    ws.regions[0].acquisition = {0.4, 5, rampOf(121)};
    ws.regions[3].acquisition.scans = 12;
    ws.regions[5].acquisition.dwellTime = 1.0;  // a region without data stores nothing
    const std::string expected =
        section(1, 2, acquisitionRecord(0, 0.4, 5, rampOf(121)) + acquisitionRecord(3, 0.0, 12, {}));
    ASSERT_EQ(encodeProject(ws), plain + expected);
    ASSERT_EQ(readWith(expected).extension, ProjectExtensionRead::Complete);
    EXPECT_EQ(read.regions[0].acquisition, ws.regions[0].acquisition);
    EXPECT_EQ(read.regions[3].acquisition, (Acquisition{std::nullopt, 12, {}}));
    EXPECT_EQ(read.regions[5].acquisition, Acquisition{});
    expectOnlyUnitsAdded();

    // Records for a region without data, or outside the table, are passed over, whatever their length.
    ASSERT_EQ(
        readWith(section(1, 2, acquisitionRecord(7, 0.4, 5, rampOf(3)) + acquisitionRecord(12, 0.4, 5, {})))
            .extension,
        ProjectExtensionRead::Complete);
    EXPECT_EQ(read.regions[7].acquisition, Acquisition{});

    // Values the reader would refuse are not written: the rest of the section stays readable.
    ws.regions[0].acquisition.transmission.pop_back();
    ws.regions[3].acquisition.scans = 0;
    EXPECT_EQ(encodeProject(ws), plain);
}

// A verdict is written while it holds for the peaks beside it, and holds for them when read; the
// instrument's limit comes back with it.  Opening the project shows both as the fit left them.
TEST_F(ProjectExtensionTest, VerdictAndInstrumentLimitComeBackWhileTheyHold) {
    Workspace& ws = session.workspace;
    ws.instrumentFwhm = 0.25;
    fitWithShippedOptions();
    const RegionVerdict fitted = heldVerdictOf(ws, 0);
    ASSERT_EQ(fitted.verdict, FitVerdict::Converged);
    ASSERT_FALSE(fitted.flags.empty());  // the doublet with nothing to fit
    const std::string bytes = encodeProject(ws);
    std::istringstream in(bytes);
    Workspace back;
    ASSERT_EQ(decodeProject(in, back).extension, ProjectExtensionRead::Complete);
    EXPECT_EQ(back.instrumentFwhm, 0.25);
    const RegionVerdict& read = heldVerdictOf(back, 0);
    EXPECT_EQ(read.verdict, fitted.verdict);
    EXPECT_EQ(read.flags, fitted.flags);
    EXPECT_EQ(read.restarts, fitted.restarts);
    EXPECT_EQ(heldVerdictOf(back, 3).verdict, FitVerdict::Unknown);  // never fitted

    testing::TempDir dir;
    ws.fileName = dir.file("fitted.xps");
    ASSERT_TRUE(saveProject(session));
    port.fitVerdicts.clear();
    ASSERT_TRUE(openProject(session));
    EXPECT_EQ(heldVerdictOf(ws, 0), fitted);
    EXPECT_EQ(port.fitVerdicts, (std::vector<std::pair<int, FitVerdict>>{{0, FitVerdict::Converged}}));

    // A verdict that no longer holds is not written.
    ws.peaks[0].position += 0.5f;
    std::istringstream changed(encodeProject(ws));
    Workspace stale;
    decodeProject(changed, stale);
    EXPECT_EQ(stale.fitVerdicts[0].verdict, FitVerdict::Unknown);
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
    // Numbers for regions without data are passed over too; bytes a later version adds at the end of
    // a record are passed over, and the record is read.
    const std::string longerSettings = settingsRecord(1253.6, 0.5, 0.0, 1);
    readWith(section(1, 3,
                     record(2, Bytes().i16(1).str() + entry(0,
                                                            "\x01"
                                                            "Au 4f7/2 as measured on the day")) +
                         numbersRecord(3, {{5, 1253.6}, {3, 1486.7}}) +
                         record(5, longerSettings.substr(6) + "later")));
    EXPECT_EQ(read.regions[0].coreLevel, "Au 4f7/2 as measured");
    EXPECT_EQ(read.regions[5].sourceEnergy, std::nullopt);
    EXPECT_EQ(read.regions[3].sourceEnergy, 1486.7);
    EXPECT_TRUE(read.quantSettings == (QuantSettings{1253.6, 0.5, 0.0, QuantArea::Peaks}));
    expectOnlyUnitsAdded();
}

TEST_F(ProjectExtensionTest, CutOrDamagedSectionLeavesTheProjectWholeAndIsReported) {
    const std::string sound = section(1, 1, unitsRecord(1, entry(0, "c/s")));
    const std::string units = unitsRecord(1, entry(0, "c/s"));
    // A sound record before the damage is not taken either.
    const auto after = [&units](const std::string& bad) { return section(1, 2, units + bad); };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<std::pair<std::string, std::string>> damaged = {
        {"negative record count", section(1, -1, units)},
        {"older layout", section(0, 1, units)},
        {"record longer than the file",
         section(1, 1, Bytes().i16(1).i32(0x7fffffff).str() + entry(0, "c/s"))},
        {"entries beyond the record", section(1, 1, unitsRecord(2, entry(0, "c/s")))},
        {"another mark", "VORTLAN EXS" + sound.substr(11)},
        {"bytes that are no section", "\r\n"},
        {"a text longer than any written",
         after(record(2, Bytes().i16(1).str() + entry(0, std::string(256, 'C'))))},
        {"more entries than regions",
         after(numbersRecord(3, std::vector<std::pair<int, double>>(11, {0, 1486.6})))},
        {"an energy that is no number", after(numbersRecord(3, {{0, nan}}))},
        {"a negative energy", after(numbersRecord(3, {{3, -1486.6}}))},
        {"a factor of zero", after(numbersRecord(4, {{0, 0.0}}))},
        {"an infinite factor", after(numbersRecord(4, {{0, infinity}}))},
        {"a source energy setting of zero", after(settingsRecord(0.0, 0.6, 0.0, 0))},
        {"an exponent that is no number", after(settingsRecord(1486.6, nan, 0.0, 0))},
        {"an infinite exponent", after(settingsRecord(1486.6, 0.6, -infinity, 0))},
        {"an unknown area", after(settingsRecord(1486.6, 0.6, 0.0, 3))},
        {"a settings record too short", after(record(5, Bytes().f64(1486.6).f64(0.6).str()))},
        {"an unknown verdict", after(record(6, Bytes().i16(1).i16(0).i16(4).i16(0).i16(0).str()))},
        {"a flag of a peak beyond the table",
         after(record(6, Bytes().i16(1).i16(0).i16(1).i16(1).i16(51).i16(0).i16(2).i16(0).str()))},
        {"a flag of an unknown cause",
         after(record(6, Bytes().i16(1).i16(0).i16(1).i16(1).i16(3).i16(9).i16(2).i16(0).str()))},
        {"a flag of an unknown parameter",
         after(record(6, Bytes().i16(1).i16(0).i16(1).i16(1).i16(3).i16(0).i16(4).i16(0).str()))},
        {"more flags than written", after(record(6, Bytes().i16(1).i16(0).i16(1).i16(32000).str()))},
        {"a restart never made",
         after(record(6, Bytes().i16(1).i16(0).i16(1).i16(0).i16(1).i16(3).i16(0).str()))},
        {"an instrument limit of zero", after(record(7, Bytes().f64(0.0).str()))},
        {"a transmission of another region's length", after(acquisitionRecord(0, 0.4, 5, rampOf(81)))},
        {"a transmission longer than any region", after(acquisitionRecord(7, 0.4, 5, {}, 5001))},
        {"a transmission of zero", after(acquisitionRecord(3, 0.4, 5, std::vector<float>(81, 0.0f)))},
        {"a negative dwell time", after(acquisitionRecord(0, -0.4, 5, {}))},
        {"a dwell time that is no number", after(acquisitionRecord(0, nan, 5, {}))},
        {"a negative number of scans", after(acquisitionRecord(0, 0.4, -5, {}))},
        {"a transmission cut short", after(acquisitionRecord(0, 0.4, 5, rampOf(120), 121))},
    };
    for (std::size_t length = 1; length < sound.size(); ++length)
        damaged.emplace_back("cut at " + std::to_string(length), sound.substr(0, length));
    for (const auto& [what, bytes] : damaged) {
        const ProjectReadResult result = readWith(bytes);
        ASSERT_EQ(result.status, ProjectRead::Complete) << what;
        EXPECT_EQ(result.extension, ProjectExtensionRead::Damaged) << what;
        EXPECT_EQ(unitOf(0), "") << what;
        expectOnlyUnitsAdded();
    }
    EXPECT_EQ(readWith("").extension, ProjectExtensionRead::Absent);
    // A later layout is passed over whole as well, and reported as such.
    EXPECT_EQ(readWith(section(2, 1, units)).extension, ProjectExtensionRead::NewerLayout);
    EXPECT_EQ(unitOf(0), "");
    expectOnlyUnitsAdded();
}

}  // namespace
}  // namespace vortlan
