#include "session/reading_note.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vortlan {
namespace {

// The note says the value the box's reading takes from the text, and nothing for a plain number.
TEST(ReadingNote, SaysWhatATextThatIsNotWhollyANumberIsReadAs) {
    const std::pair<std::string, std::string> cases[] = {
        {"284.8", ""},
        {" -1.5E3 ", ""},
        {"2D-4", ""},
        {".5", ""},
        {"", ""},
        {"   ", ""},
        {"-", "read as 0"},
        {"1.2.3", "read as 1.2"},
        {"abc", "read as 0"},
        {"12abc", "read as 12"},
        {"1,5", "read as 1"},
        {"1 2.5", "read as 12.5"},
        {"-0.25 eV", "read as -0.25"},
        {"2e", "read as 2"},
        {"284.79962x", "read as 284.79962"},
        {"1e999 and more", "read as a number too large to store"},
    };
    for (const auto& [typed, note] : cases) EXPECT_EQ(readingNote(typed), note) << '"' << typed << '"';
}

}  // namespace
}  // namespace vortlan
