#include "quant/core_level.h"

#include <gtest/gtest.h>

namespace vortlan {
namespace {

std::string canonical(std::string_view text) {
    const CoreLevelReading reading = readCoreLevel(text);
    if (const auto* reason = std::get_if<std::string>(&reading)) return "refused: " + *reason;
    return coreLevelText(std::get<CoreLevel>(reading));
}

TEST(CoreLevelTest, ReadsLevelsLenientlyAndWritesThemOneWay) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"Ti 2p", "Ti 2p"},
        {"Ti 2p3/2", "Ti 2p3/2"},
        {"O 1s", "O 1s"},
        {"Au 4f7/2", "Au 4f7/2"},
        {"Au4f", "Au 4f"},
        {"ti 2P3/2", "Ti 2p3/2"},
        {"  CU  2p 1 / 2 ", "Cu 2p1/2"},
        {"O 1s1/2", "O 1s"},
        {"u 4f5/2", "U 4f5/2"},
        {"Ag3d5/2", "Ag 3d5/2"},
        {"cs 3D", "Cs 3d"},
        {"C 1s   ", "C 1s"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(canonical(text), expected) << text;
}

TEST(CoreLevelTest, ComponentsCarryTheirQuantumNumbers) {
    const CoreLevel whole = std::get<CoreLevel>(readCoreLevel("Ti 2p"));
    EXPECT_EQ(whole.z, 22);
    EXPECT_TRUE(whole.isWhole());
    const std::vector<CoreLevel> parts = levelComponents(whole);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(coreLevelText(parts[0]), "Ti 2p1/2");
    EXPECT_EQ(coreLevelText(parts[1]), "Ti 2p3/2");
    EXPECT_EQ(levelComponents(std::get<CoreLevel>(readCoreLevel("O 1s"))).size(), 1u);
    EXPECT_EQ(levelComponents(std::get<CoreLevel>(readCoreLevel("Au 4f7/2"))).front().twiceJ, 7);
}

TEST(CoreLevelTest, RefusesWithTheReason) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", "refused: No core level given"},
        {"Xx 1s", "refused: \"Xx\" is not an element"},
        {"O 2d", "refused: O 2d is not a level: shell 2 has no d level"},
        {"C 1p", "refused: C 1p is not a level: shell 1 has no p level"},
        {"Ti 2p5/2", "refused: Ti 2p5/2 is not a level: 2p has the components 2p1/2 and 2p3/2"},
        {"O 1s3/2", "refused: O 1s3/2 is not a level: 1s has no spin-orbit components"},
        {"Au 9s", "refused: Au 9s is not a level: the shells run from 1 to 7"},
        {"Ti 2p O 1s", "refused: \"Ti 2p O 1s\" names more than one level"},
        {"Ti2p/O1s", "refused: \"Ti2p/O1s\" names more than one level"},
        {"Ti O 2p", "refused: \"Ti O 2p\" does not read as a core level such as \"Ti 2p3/2\" or \"O 1s\""},
        {"2p3/2", "refused: \"2p3/2\" does not read as a core level such as \"Ti 2p3/2\" or \"O 1s\""},
        {"Ti 2x", "refused: \"Ti 2x\" does not read as a core level such as \"Ti 2p3/2\" or \"O 1s\""},
        {"Ti 2p3", "refused: \"Ti 2p3\" does not read as a core level such as \"Ti 2p3/2\" or \"O 1s\""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(canonical(text), expected) << text;
}

TEST(CoreLevelTest, ImportsNameTheLevelFromLabelsThenCaption) {
    EXPECT_EQ(importedCoreLevel("Ti", "2p", "2p"), "Ti 2p");
    EXPECT_EQ(importedCoreLevel("ti", "2p3/2", ""), "Ti 2p3/2");
    EXPECT_EQ(importedCoreLevel("", "", "O 1s                "), "O 1s");
    EXPECT_EQ(importedCoreLevel("Sample", "wide", "C1s"), "C 1s");
    EXPECT_EQ(importedCoreLevel("C", "KLL", "survey"), "");
}

}  // namespace
}  // namespace vortlan
