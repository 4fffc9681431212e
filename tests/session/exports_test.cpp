#include "session/exports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/exports.h"
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
    EXPECT_TRUE(fitted.port.messages.empty());
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
    EXPECT_EQ(fitted.port.messages,
              (std::vector<std::string>{"Error in writing file", "Error in writing file"}));
    EXPECT_EQ(readWholeFile(session.workspace.fileName), "old");
}

}  // namespace
}  // namespace vortlan
