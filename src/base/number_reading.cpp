#include "base/number_reading.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vortlan {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isExponentLetter(char c) {
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Walks the text one character at a time; in the Skipped mode a blank never interrupts a number.
class Cursor {
  public:
    Cursor(std::string_view text, InnerBlanks blanks) : text_(text), blanks_(blanks) {}

    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[position_]; }

    void skipBlanks() {
        while (!atEnd() && isBlank(text_[position_])) {
            ++position_;
        }
    }

    // Moves past the current character, and past the blanks after it when they do not end the number.
    void advance() {
        ++position_;
        if (blanks_ == InnerBlanks::Skipped) skipBlanks();
    }

  private:
    std::string_view text_;
    InnerBlanks blanks_;
    std::size_t position_ = 0;
};

bool readSign(Cursor& cursor) {
    const char c = cursor.peek();
    if (c != '+' && c != '-') return false;
    cursor.advance();
    return c == '-';
}

// The exponent after an exponent letter; a letter without digits after it ends the number and counts
// as no exponent.  Saturates far beyond any double so that a long run of digits cannot overflow.
long long readExponent(Cursor& cursor) {
    cursor.advance();
    const bool negative = readSign(cursor);
    long long exponent = 0;
    while (isDigit(cursor.peek())) {
        if (exponent < 1'000'000'000) exponent = exponent * 10 + (cursor.peek() - '0');
        cursor.advance();
    }
    return negative ? -exponent : exponent;
}

// The magnitude of significant digits d1 d2 ... read as d1.d2... x 10^exponent.  Magnitudes far outside
// the range of a double are decided here, so that from_chars never sees a huge exponent.
double magnitudeOf(const std::string& significant, long long exponent) {
    if (exponent > 400) return std::numeric_limits<double>::infinity();
    if (exponent < -400) return 0.0;
    std::string text = significant.substr(0, 1);
    if (significant.size() > 1) text += "." + significant.substr(1);
    text += "e" + std::to_string(exponent);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

}  // namespace

double leadingNumber(std::string_view text, InnerBlanks blanks) {
    Cursor cursor(text, blanks);
    cursor.skipBlanks();
    const bool negative = readSign(cursor);

    std::string digits;
    long long integerDigits = 0;
    bool sawPoint = false;
    while (true) {
        const char c = cursor.peek();
        if (isDigit(c)) {
            digits += c;
            if (!sawPoint) ++integerDigits;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
        cursor.advance();
    }
    if (digits.empty()) return 0.0;

    long long exponent = isExponentLetter(cursor.peek()) ? readExponent(cursor) : 0;

    const auto firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) return negative ? -0.0 : 0.0;
    exponent += integerDigits - 1 - static_cast<long long>(firstSignificant);
    const double magnitude = magnitudeOf(digits.substr(firstSignificant), exponent);
    return negative ? -magnitude : magnitude;
}

std::optional<std::int16_t> roundHalfEvenToShort(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace vortlan
