// The recovery copy: written in the background, removed on request, read back after the program ended
// without saving, and set aside when it cannot be read.

#include <gtest/gtest.h>

#include <filesystem>

#include "io/project_file.h"
#include "session/history/recovery_copy.h"
#include "session/project.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"

namespace vortlan {
namespace {

using testing::FittedSession;

class RecoveryCopyTest : public ::testing::Test {
  protected:
    std::unique_ptr<const Workspace> copyOfFitted() {
        return std::make_unique<const Workspace>(f.session.workspace);
    }

    FittedSession f;
    testing::TempDir dir;
    std::string folder = dir.file("data/vortlan");  // made by the writer
};

TEST_F(RecoveryCopyTest, WrittenInTheBackgroundAsAProjectAndRemovedOnRequest) {
    RecoveryWriter writer(folder);
    writer.write(copyOfFitted());
    writer.waitUntilWritten();
    ASSERT_TRUE(recoveryCopyExists(folder));
    EXPECT_EQ(testing::readWholeFile(recoveryPath(folder)), encodeProject(f.session.workspace));

    writer.remove();
    EXPECT_FALSE(recoveryCopyExists(folder));
    // A copy still waiting when the work is saved or discarded never reaches the disk afterwards.
    writer.write(copyOfFitted());
    writer.remove();
    writer.waitUntilWritten();
    EXPECT_FALSE(recoveryCopyExists(folder));
}

TEST_F(RecoveryCopyTest, TheLastCopyAskedForSurvivesTheEndAndRestoresTheWork) {
    {
        RecoveryWriter writer(folder);
        writer.write(copyOfFitted());
    }  // the program ends here without saving
    ASSERT_TRUE(recoveryCopyExists(folder));

    RecordingPort port;
    Session next(port);
    ASSERT_TRUE(restoreRecoveryCopy(next, folder));
    // What "Open XPS" of the same work, saved, would give.
    RecordingPort openPort;
    Session opened(openPort);
    f.session.workspace.fileName = dir.file("saved.xps");
    ASSERT_TRUE(saveProject(f.session));
    opened.workspace.fileName = f.session.workspace.fileName;
    ASSERT_TRUE(openProject(opened));
    const Workspace& restored = next.workspace;
    for (int r = 0; r < kRegionCount; ++r)
        EXPECT_TRUE(restored.regions[r] == opened.workspace.regions[r]) << r;
    for (int p = 0; p < kPeakCount; ++p) {
        EXPECT_TRUE(restored.peaks[p] == opened.workspace.peaks[p]) << p;
        EXPECT_TRUE(restored.constraints[p] == opened.workspace.constraints[p]) << p;
    }
    EXPECT_EQ(restored.description, f.session.workspace.description);
    EXPECT_TRUE(restored.fileName.empty());  // a save must ask where, never overwrite the copy
    EXPECT_EQ(port.descriptionText, f.session.workspace.description);
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(RecoveryCopyTest, AnUnreadableCopyIsReportedAndSetAside) {
    std::filesystem::create_directories(folder);
    const std::string whole = encodeProject(f.session.workspace);
    for (const std::string& damaged : {whole.substr(0, whole.size() / 2), std::string("not a project")}) {
        testing::writeWholeFile(recoveryPath(folder), damaged);
        RecordingPort port;
        Session next(port);
        EXPECT_FALSE(restoreRecoveryCopy(next, folder));
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_NE(port.messages[0].find(kSetAsideFileName), std::string::npos) << port.messages[0];
        EXPECT_FALSE(recoveryCopyExists(folder));
        EXPECT_EQ(testing::readWholeFile((std::filesystem::path(folder) / kSetAsideFileName).string()),
                  damaged);
        EXPECT_FALSE(isTrue(next.workspace.regions[0].defined));
    }
}

}  // namespace
}  // namespace vortlan
