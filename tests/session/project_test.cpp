#include "session/project.h"

#include <gtest/gtest.h>

#include "base/number_text.h"
#include "io/project_file.h"
#include "session/region_operations.h"
#include "support/byte_builder.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;

class ProjectCommandsTest : public ::testing::Test, protected testing::FittedSession {
protected:
    Workspace& ws = session.workspace;
    testing::TempDir dir;
};

TEST_F(ProjectCommandsTest, SavedProjectOpensWithItsFitsRecomputedAndShown) {
    ws.fileName = dir.file("sample.xps");
    ws.totalChiSquare = 999.0f;  // stale: opening recomputes it
    ASSERT_TRUE(saveProject(session));

    RecordingPort fresh;
    Session opened(fresh);
    opened.workspace.fileName = ws.fileName;
    opened.workspace.options = ws.options;  // the line-shape form is an option, not part of a project
    openProject(opened);
    const Workspace& read = opened.workspace;
    EXPECT_TRUE(fresh.messages.empty());
    EXPECT_FLOAT_EQ(read.regions[3].chiSquare, ws.regions[3].chiSquare);
    EXPECT_FLOAT_EQ(read.totalChiSquare, ws.regions[0].chiSquare + ws.regions[3].chiSquare);
    EXPECT_EQ(fresh.sumChiText, shortNumberText(read.totalChiSquare));
    EXPECT_EQ(fresh.chiTexts[3], shortNumberText(read.regions[3].chiSquare));
    EXPECT_EQ(fresh.peakButtonCaptions[2], "2");
    EXPECT_EQ(fresh.peakButtonCaptions[30], "5");
    EXPECT_TRUE(fresh.peakButtonsEnabled[0]);  // region 0 is current
    EXPECT_FALSE(fresh.peakButtonsEnabled[30]);
    EXPECT_EQ(fresh.regionColours[0], RegionColour::Current);
    EXPECT_EQ(fresh.regionColours[3], RegionColour::Defined);
    EXPECT_EQ(fresh.descriptionText, "Sample A, sputtered 5 min");
    EXPECT_EQ(read.description, "Sample A, sputtered 5 min");
    EXPECT_EQ(fresh.window(Window::Spectrum).caption, "Region 1");
    EXPECT_EQ(fresh.drawings.back(), SpectrumDrawing::FittedCurves);
}

TEST_F(ProjectCommandsTest, WrongFormatLeavesAnEmptyWorkspace) {
    ws.fileName = dir.file("notes.txt");
    writeWholeFile(ws.fileName, "Some notes about the sample, not a project.");
    port.peakButtonCaptions[4] = "4";
    port.drawings.clear();
    openProject(session);
    EXPECT_EQ(port.messages, std::vector<std::string>{"Wrong file format"});
    for (const Region& r : ws.regions) EXPECT_FALSE(isTrue(r.defined));
    EXPECT_EQ(port.peakButtonCaptions[4], "");
    EXPECT_EQ(port.chiTexts[0], "");
    EXPECT_TRUE(port.drawings.empty());
}

TEST_F(ProjectCommandsTest, ReadErrorKeepsWhatWasReadWithoutRedrawing) {
    ws.fileName = dir.file("cut.xps");
    const std::string bytes = encodeProject(ws);
    writeWholeFile(ws.fileName, bytes.substr(0, bytes.size() / 2));
    port.drawings.clear();
    port.descriptionText = "kept";
    openProject(session);
    EXPECT_EQ(port.messages, std::vector<std::string>{"Error in reading file"});
    EXPECT_TRUE(isTrue(ws.regions[0].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");
    EXPECT_TRUE(port.drawings.empty());
    EXPECT_EQ(port.descriptionText, "kept");
}

// Found by fuzzing: a region entry cut off after its peak count leaves the dropped region holding
// that count, and leaving the region for another one enabled a peak button for each of its slots.
TEST_F(ProjectCommandsTest, ARegionDroppedByAReadErrorHasNoPeakButtons) {
    testing::Bytes b;
    b.text("VORTLAN 4.0").text("DP").i16(0);
    b.i16(-1).i16(0).text("", 20).i16(0).i16(0).i16(0);  // defined, no points, no arrays
    b.f32(0).f32(0).f32(0).f32(0).i16(-1).i16(20000);    // a background set over 20000 peaks; then the end
    ws.fileName = dir.file("cut.xps");
    writeWholeFile(ws.fileName, b.str());
    ASSERT_EQ(ws.currentRegion, 0);
    EXPECT_FALSE(openProject(session));
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_NO_THROW(selectRegion(session, 1));
    EXPECT_EQ(ws.currentRegion, 1);
    for (bool enabled : port.peakButtonsEnabled) EXPECT_FALSE(enabled);
}

// The section after the description is all the project's additions; when it cannot be taken, the
// project still opens, with its regions and peaks, and the user is told what was left out.
TEST_F(ProjectCommandsTest, ASectionThatCannotBeTakenIsReportedAndTheProjectOpens) {
    ws.regions[0].coreLevel = "C 1s";
    const std::string bytes = encodeProject(ws);
    const std::size_t section = bytes.rfind("VORTLAN EXT");
    ASSERT_NE(section, std::string::npos);
    std::string newer = bytes;
    newer[section + 11] = 2;
    for (const auto& [file, notice] : {std::pair{bytes.substr(0, bytes.size() - 3), "could not be read"},
                                       std::pair{newer, "saved by a newer version of the program"}}) {
        RecordingPort fresh;
        Session opened(fresh);
        opened.workspace.fileName = dir.file("additions.xps");
        writeWholeFile(opened.workspace.fileName, file);
        EXPECT_TRUE(openProject(opened));
        ASSERT_EQ(fresh.messages.size(), 1u);
        EXPECT_NE(fresh.messages[0].find(notice), std::string::npos) << fresh.messages[0];
        EXPECT_NE(fresh.messages[0].find("its regions and peaks are opened without them"), std::string::npos);
        const Workspace& read = opened.workspace;
        EXPECT_EQ(read.regions[0].coreLevel, "");
        for (int r : {0, 3}) EXPECT_EQ(read.regions[r].energy, ws.regions[r].energy);
        for (int p : {0, 1, 2, 5}) {
            EXPECT_EQ(read.peaks[p].position, ws.peaks[p].position) << p;
            EXPECT_EQ(read.peaks[p].area, ws.peaks[p].area) << p;
            EXPECT_EQ(read.peaks[p].fwhm, ws.peaks[p].fwhm) << p;
        }
        EXPECT_EQ(fresh.window(Window::Spectrum).caption, "Region 1");
    }
}

TEST_F(ProjectCommandsTest, MissingFileIsAReadError) {
    ws.fileName = dir.file("nowhere.xps");
    openProject(session);
    EXPECT_EQ(port.messages, std::vector<std::string>{"Error in reading file"});
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
}

TEST_F(ProjectCommandsTest, SavingOverALongerFileLeavesNoOldBytes) {
    ws.fileName = dir.file("sample.xps");
    writeWholeFile(ws.fileName, std::string(2'000'000, 'Z'));
    ASSERT_TRUE(saveProject(session));
    EXPECT_EQ(readWholeFile(ws.fileName), encodeProject(ws));
}

TEST_F(ProjectCommandsTest, FailedSaveSaysSoAndKeepsThePreviousFile) {
    ws.fileName = dir.file("sample.xps");
    writeWholeFile(ws.fileName, "previous project");
    // Something in the way of the new content (a folder where it would be written) makes the save fail.
    std::filesystem::create_directory(ws.fileName + ".vortlan-new");
    EXPECT_FALSE(saveProject(session));
    EXPECT_EQ(port.messages, std::vector<std::string>{"Error in writing file"});
    EXPECT_EQ(readWholeFile(ws.fileName), "previous project");
}

TEST_F(ProjectCommandsTest, SaveToAFolderPathFailsCleanly) {
    ws.fileName = dir.path().string();
    EXPECT_FALSE(saveProject(session));
    EXPECT_EQ(port.messages, std::vector<std::string>{"Error in writing file"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

}  // namespace
}  // namespace vortlan
