#pragma once
// What a number box's text is read as, said beside the box when the text is not wholly a number.  The
// boxes read the number at the start of their text and ignore the rest ("12abc" is 12, "abc" is 0):
// long-standing files and habits rely on that reading, so it stays, and the note keeps it from passing
// unseen.

#include <string>
#include <string_view>

namespace vortlan {

// "read as 12" for "12abc", "read as 0" for "abc", "read as 12.5" for "1 2.5"; empty for a text that
// is one number, or blank.
std::string readingNote(std::string_view typed);

}  // namespace vortlan
