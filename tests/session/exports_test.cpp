#include "session/exports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/exports.h"
#include "session/fit_report.h"
#include "session/spectrum_commands.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"

namespace vortlan {
namespace {

using testing::FittedSession;
using testing::readWholeFile;
using testing::TempDir;
using testing::writeWholeFile;

TEST(Exports, WriteTheCurrentRegion) {
    FittedSession fitted;
    TempDir dir;
    Session& session = fitted.session;
    session.workspace.currentRegion = 3;
    session.workspace.fileName = dir.file("o1s.dat");
    writeWholeFile(session.workspace.fileName, std::string(100000, 'x'));  // a longer old file

    ASSERT_TRUE(exportSpectrum(session));
    EXPECT_EQ(readWholeFile(dir.file("o1s.dat")), spectrumExportText(session.workspace, 3));
    session.workspace.fileName = dir.file("o1s.par");
    ASSERT_TRUE(exportPeakParameters(session));
    EXPECT_EQ(readWholeFile(dir.file("o1s.par")), peakParameterText(session.workspace, 3));
    session.workspace.fileName = dir.file("o1s.csv");
    ASSERT_TRUE(exportFitReport(session, 0));
    EXPECT_EQ(readWholeFile(dir.file("o1s.csv")), fitReportText(session.workspace, 3, 0));
    EXPECT_TRUE(fitted.port.messages.empty());
    EXPECT_FALSE(fitted.port.busy);
}

TEST(Exports, TheReportCommandNeedsAnAcceptedBackgroundAndSaysWhenItHasWritten) {
    FittedSession fitted;
    TempDir dir;
    Session& session = fitted.session;
    session.workspace.fileName = dir.file("c1s.csv");
    ASSERT_TRUE(exportFitReportCommand(session, 5));
    EXPECT_EQ(fitted.port.messages, std::vector<std::string>{"Data file exported"});
    EXPECT_EQ(readWholeFile(dir.file("c1s.csv")), fitReportText(session.workspace, 0, 5));

    // Replicas stopped on request: nothing is written, and the file before stays.
    int asked = 0;
    EXPECT_FALSE(exportFitReportCommand(session, 100000, [&] { return ++asked == 3; }));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(fitted.port.messages.size(), 1u);
    EXPECT_EQ(readWholeFile(dir.file("c1s.csv")), fitReportText(session.workspace, 0, 5));

    session.workspace.regions[0].backgroundSet = kFalse;
    session.workspace.fileName = dir.file("none.csv");
    EXPECT_FALSE(exportFitReportCommand(session, 0));
    EXPECT_EQ(fitted.port.messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.csv")));
}

TEST(Exports, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
    FittedSession fitted;
    TempDir dir;
    Session& session = fitted.session;
    session.workspace.fileName = dir.file("c1s.dat");
    writeWholeFile(session.workspace.fileName, "old");
    // Where the new content would go first.
    std::filesystem::create_directory(session.workspace.fileName + ".vortlan-new");

    EXPECT_FALSE(exportSpectrum(session));
    EXPECT_FALSE(exportPeakParameters(session));
    EXPECT_FALSE(exportFitReportCommand(session, 0));
    EXPECT_EQ(fitted.port.messages,
              (std::vector<std::string>{"Error in writing file", "Error in writing file",
                                        "Error in writing file"}));
    EXPECT_EQ(readWholeFile(session.workspace.fileName), "old");
}

}  // namespace
}  // namespace vortlan
