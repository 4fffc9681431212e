// The shipped example spectra, whole and damaged: every import ends with a region or a message.

#include <gtest/gtest.h>

#include <random>

#include "session/import_kratos.h"
#include "session/import_text.h"
#include "session/import_vamas.h"
#include "session/startup.h"
#include "support/temp_dir.h"
#include "workspace/invariants.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

struct Example {
    const char* name;
    bool (*import)(Session&);
    int points;
};

const Example kExamples[] = {{"c1s.vms", importVamas, 361},  {"ti2p.vms", importVamas, 301},
                             {"c1s.des", importKratos, 361}, {"c1s.dat", importLeybold, 361},
                             {"c1s.asc", importPhi, 361},    {"c1s.txt", importAscii, 361}};

std::string examplePath(const char* name) { return std::string(VORTLAN_SOURCE_DIR) + "/examples/" + name; }

// Imports the bytes into region 0 of a started session; true when it ended with a region holding data.
bool importBytes(const Example& example, const std::string& bytes, const testing::TempDir& dir, RecordingPort& port) {
    Session session(port);
    startUp(session);
    session.workspace.fileName = dir.file(example.name);
    testing::writeWholeFile(session.workspace.fileName, bytes);
    example.import(session);
    EXPECT_EQ(firstBrokenRule(session.workspace), "") << example.name;
    return isTrue(session.workspace.regions[0].defined);
}

TEST(ExampleFiles, ImportWithoutAMessage) {
    for (const Example& example : kExamples) {
        RecordingPort port;
        Session session(port);
        startUp(session);
        session.workspace.fileName = examplePath(example.name);
        example.import(session);
        EXPECT_TRUE(port.messages.empty()) << example.name;
        const Region& r = session.workspace.regions[0];
        EXPECT_EQ(r.pointCount, example.points) << example.name;
        EXPECT_GT(r.energy[1], r.energy[r.pointCount]) << example.name;
    }
}

TEST(ExampleFiles, DamagedCopiesEndWithARegionOrAMessage) {
    testing::TempDir dir;
    std::mt19937 random(20261207);
    for (const Example& example : kExamples) {
        const std::string whole = testing::readWholeFile(examplePath(example.name));
        ASSERT_FALSE(whole.empty()) << example.name;
        std::vector<std::string> damaged;
        for (std::size_t cut = 0; cut < whole.size(); cut += 97) damaged.push_back(whole.substr(0, cut));
        for (int copy = 0; copy < 40; ++copy) {
            std::string bytes = whole;
            for (int flip = 0; flip < 1 + copy % 4; ++flip) {
                bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
            }
            damaged.push_back(bytes);
        }
        for (const std::string& bytes : damaged) {
            RecordingPort port;
            const bool defined = importBytes(example, bytes, dir, port);
            EXPECT_TRUE(defined || !port.messages.empty()) << example.name << " of " << bytes.size() << " bytes";
        }
    }
}

}  // namespace
}  // namespace vortlan
