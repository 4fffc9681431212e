#include "base/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vortlan {

namespace {

// A magnitude as d1.d2d3... x 10^exponent, without trailing zeros (zero is "0" with exponent 0).
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

// Reads the scientific text of std::to_chars ("1.234568e+07", "5e-01"); the standard library writes
// it the same way in every locale, which is why it is used instead of printf.
DecimalDigits fromScientificText(std::string_view text) {
    DecimalDigits result;
    const auto e = text.find('e');
    for (const char c : text.substr(0, e)) {
        if (c != '.') result.digits += c;
    }
    auto exponentText = text.substr(e + 1);
    if (exponentText.front() == '+') exponentText.remove_prefix(1);  // from_chars takes no plus sign
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), result.exponent);
    while (result.digits.size() > 1 && result.digits.back() == '0') {
        result.digits.pop_back();
    }
    return result;
}

// The exact value of the single rounded to 7 significant digits, as the texts of the program show it.
DecimalDigits sevenDigits(float magnitude) {
    std::array<char, 64> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                   static_cast<double>(magnitude), std::chars_format::scientific, 6)
                         .ptr;
    return fromScientificText(std::string_view(buffer.data(), end - buffer.data()));
}

// The fewest digits that read back as the same value of its type (single or double).
template <typename Real>
DecimalDigits shortestDigits(Real magnitude) {
    std::array<char, 64> buffer;
    const auto end =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific)
            .ptr;
    return fromScientificText(std::string_view(buffer.data(), end - buffer.data()));
}

std::string exponentForm(const DecimalDigits& d) {
    std::string text(1, d.digits.front());
    if (d.digits.size() > 1) text += '.' + d.digits.substr(1);
    text += d.exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(d.exponent);
    if (magnitude < 10) text += '0';
    return text + std::to_string(magnitude);
}

// Plain decimal digits; below 1 the text starts with the point (".05").
std::string pointForm(const DecimalDigits& d) {
    if (d.digits == "0") return "0";
    if (d.exponent < 0) return "." + std::string(-d.exponent - 1, '0') + d.digits;
    const std::size_t integerDigits = d.exponent + 1;
    if (d.digits.size() <= integerDigits) return d.digits + std::string(integerDigits - d.digits.size(), '0');
    return d.digits.substr(0, integerDigits) + "." + d.digits.substr(integerDigits);
}

struct SignedText {
    bool negative = false;
    std::string body;
};

enum class Digits { Seven, Exact };

SignedText singleText(float value, bool zeroBeforePoint, Digits digits = Digits::Seven) {
    if (std::isnan(value)) return {false, "NaN"};
    if (std::isinf(value)) return {value < 0, "Infinity"};
    const float magnitude = std::fabs(value);
    const DecimalDigits d = digits == Digits::Seven ? sevenDigits(magnitude) : shortestDigits(magnitude);
    std::string body = (d.exponent >= 7 || d.exponent < -4) ? exponentForm(d) : pointForm(d);
    if (zeroBeforePoint && body.front() == '.') body.insert(0, 1, '0');
    return {value < 0, std::move(body)};
}

struct Pattern {
    std::size_t minIntegerDigits = 0;
    std::size_t requiredDecimals = 0;
    std::size_t optionalDecimals = 0;
};

Pattern parsePattern(std::string_view pattern) {
    Pattern result;
    bool afterPoint = false;
    for (const char c : pattern) {
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (c == '0') {
            ++(afterPoint ? result.requiredDecimals : result.minIntegerDigits);
        } else if (c == '#') {
            if (afterPoint) ++result.optionalDecimals;
        } else {
            throw std::invalid_argument("unsupported number pattern: " + std::string(pattern));
        }
    }
    if (pattern.empty()) throw std::invalid_argument("empty number pattern");
    return result;
}

// Adds one unit in the last place of integer.fraction, carrying into a new leading digit if needed.
void roundUp(std::string& integer, std::string& fraction) {
    std::string all = integer + fraction;
    auto i = all.size();
    while (i > 0 && all[i - 1] == '9') {
        all[--i] = '0';
    }
    if (i == 0) {
        all.insert(0, 1, '1');
    } else {
        ++all[i - 1];
    }
    integer = all.substr(0, all.size() - fraction.size());
    fraction = all.substr(integer.size());
}

// A single is rounded as it reads, to the 7 digits it carries (0.01f is 0.01, and 0.0123 typed and
// multiplied in single precision still shows 0.0123); a double to its shortest exact text.
DecimalDigits significantDigits(float magnitude) {
    return sevenDigits(magnitude);
}
DecimalDigits significantDigits(double magnitude) {
    return shortestDigits(magnitude);
}

template <typename Real>
std::string patternText(Real value, std::string_view format) {
    const Pattern pattern = parsePattern(format);
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

    const DecimalDigits d = significantDigits(std::fabs(value));
    std::string integer;
    std::string fraction;
    if (d.exponent >= 0) {
        const std::size_t integerDigits = d.exponent + 1;
        integer = d.digits.substr(0, integerDigits);
        integer.resize(integerDigits, '0');
        if (d.digits.size() > integerDigits) fraction = d.digits.substr(integerDigits);
    } else {
        fraction = std::string(-d.exponent - 1, '0') + d.digits;
    }

    const std::size_t maxDecimals = pattern.requiredDecimals + pattern.optionalDecimals;
    if (fraction.size() > maxDecimals) {
        const bool up = fraction[maxDecimals] >= '5';
        fraction.resize(maxDecimals);
        if (up) roundUp(integer, fraction);
    }
    fraction.resize(std::max(fraction.size(), pattern.requiredDecimals), '0');
    while (fraction.size() > pattern.requiredDecimals && fraction.back() == '0') {
        fraction.pop_back();
    }

    const auto firstNonZero = integer.find_first_not_of('0');
    integer.erase(0, firstNonZero == std::string::npos ? integer.size() : firstNonZero);
    if (integer.size() < pattern.minIntegerDigits)
        integer.insert(0, pattern.minIntegerDigits - integer.size(), '0');

    // A negative value that rounds to nothing is written without its sign.
    const bool nonZero = (integer + fraction).find_first_not_of('0') != std::string::npos;
    std::string text = value < 0 && nonZero ? "-" : "";
    text += integer;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

}  // namespace

std::string generalNumberText(float value) {
    const SignedText text = singleText(value, false);
    return (text.negative ? "-" : " ") + text.body + " ";
}

std::string generalNumberText(long value) {
    return (value < 0 ? "" : " ") + std::to_string(value) + " ";
}

std::string signedNumberText(float value) {
    const SignedText text = singleText(value, false);
    return (text.negative ? "-" : " ") + text.body;
}

std::string shortNumberText(float value) {
    const SignedText text = singleText(value, true);
    return (text.negative ? "-" : "") + text.body;
}

std::string exactNumberText(float value) {
    const SignedText text = singleText(value, true, Digits::Exact);
    return (text.negative ? "-" : "") + text.body;
}

std::string significantNumberText(double value, int digits) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    std::array<char, 64> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                   std::chars_format::scientific, std::clamp(digits, 1, 17) - 1)
                         .ptr;
    const DecimalDigits d = fromScientificText(std::string_view(buffer.data(), end - buffer.data()));
    std::string body = (d.exponent >= 7 || d.exponent < -4) ? exponentForm(d) : pointForm(d);
    if (body.front() == '.') body.insert(0, 1, '0');
    return (value < 0 && d.digits != "0" ? "-" : "") + body;
}

std::string twoDigitNumberText(double value) {
    return significantNumberText(value, 2);
}

std::string patternNumberText(double value, std::string_view pattern) {
    return patternText(value, pattern);
}

std::string patternNumberText(float value, std::string_view pattern) {
    return patternText(value, pattern);
}

}  // namespace vortlan
