#pragma once
// The lenient reading of numbers typed by the user or found in text files, and the conversion of reals
// to 16-bit integers.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vortlan {

// Whether blanks, tabs and line feeds inside a number are skipped ("1 2.5" is 12.5) or end it ("1 2"
// is 1).  Text boxes skip them; columns of numbers in a text file need them to end a number.
enum class InnerBlanks { Skipped, EndTheNumber };

// The number at the start of the text: blanks, an optional sign, digits with an optional "." and an
// optional exponent (E, e, D or d).  Reading stops at the first character that cannot continue the
// number; a text without digits there reads as 0.  A magnitude beyond the range of a double reads as
// infinity of its sign, which the caller has to check.  Independent of the C locale.
double leadingNumber(std::string_view text, InnerBlanks blanks = InnerBlanks::Skipped);

// Whether the text is one number and nothing else, as leadingNumber reads it: blanks only before and
// after it, digits, and an exponent letter only with digits after it.  "12", " -1.5e3 " and "2D-4" are;
// "12abc", "1 2", "1,5", "1e", "abc" and an empty text are not.
bool isWholeNumber(std::string_view text);

// The value rounded half to even (200.5 is 200, 199.5 is 200), or nothing for a value that is not a
// number or that rounds to outside -32768..32767.
std::optional<std::int16_t> roundHalfEvenToShort(double value);

}  // namespace vortlan
