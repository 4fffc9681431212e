#include "base/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vortlan {
namespace {

TEST(FixedText, KeepsExactlyTwentyCharacters) {
    struct Case {
        std::string text;
        std::string stored;
    };
    const Case cases[] = {{"", std::string(20, ' ')},
                          {"C 1s", "C 1s" + std::string(16, ' ')},
                          {"exactly twenty chars", "exactly twenty chars"},
                          {"a caption longer than twenty", "a caption longer tha"}};
    for (const auto& c : cases) {
        const Text20 text(c.text);
        EXPECT_EQ(text.str(), c.stored) << c.text;
        EXPECT_EQ(text.str().size(), 20u);
    }
    EXPECT_EQ(Text20().str(), std::string(20, ' '));
}

TEST(FixedText, AssignClearsWhatWasThere) {
    Text20 text("a long caption here!");
    text.assign("O 1s");
    EXPECT_EQ(text, Text20("O 1s"));
    EXPECT_EQ(text.str(), "O 1s" + std::string(16, ' '));
}

}  // namespace
}  // namespace vortlan
