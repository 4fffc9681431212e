#pragma once
// The number texts of the program.  Every number a user sees or a text file receives goes through one of
// these, so the blanks, the digits and the exponent form stay the same in every window and file.
//
// The digits of a single are those of the value rounded to 7 significant digits with trailing zeros
// dropped; the exponent form ("1.5E-05", "1.234568E+07") is used only when the decimal exponent is 7 or
// more, or below -4.  The point is always "." whatever the user's locale, and there is no grouping.

#include <string>
#include <string_view>

namespace vortlan {

// The general form of prints, exports and the plot readout: a blank before a value that is not
// negative, a minus sign otherwise, no zero before the point below 1, one trailing blank (" .5 ").
std::string generalNumberText(float value);

// Integers in the same form (" 3 ", "-3 "), with all their digits.
std::string generalNumberText(long value);

// Keeps an int (or a 16-bit field, which promotes to int) from being ambiguous between the two above.
inline std::string generalNumberText(int value) {
    return generalNumberText(static_cast<long>(value));
}

// The general form without its trailing blank (" .5", "-1"), as some text boxes show a value.
std::string signedNumberText(float value);

// The form of text boxes: the same digits, no blanks, a zero before the point ("0.5", "-0.5").
std::string shortNumberText(float value);

// The form of text boxes with every digit the single needs: the shortest text that reads back as the
// same single ("284.79962", "0.35", "1.2345678E+07").  Boxes that show a stored value use it, so that
// taking the box back changes nothing.
std::string exactNumberText(float value);

// The value to two significant digits in the form of text boxes ("0.0012", "4.3", "1200", "1.5E-05"),
// as an uncertainty is read beside the value it belongs to.
std::string twoDigitNumberText(double value);

// The value to `digits` significant digits (1 to 17) in the same form ("5.217", "16.73", "1").
std::string significantNumberText(double value, int digits);

// The value formatted with a pattern of '#' (optional digit), '0' (required digit) and at most one '.',
// as "#0.000" or "##0.##############".  Rounds half away from zero on the shortest decimal text of the
// value, so a float is rounded as it reads (0.01f is 0.01, not 0.0099999997...).  Never uses the
// exponent form.  Throws std::invalid_argument for a pattern with any other character.
std::string patternNumberText(double value, std::string_view pattern);
std::string patternNumberText(float value, std::string_view pattern);

}  // namespace vortlan
