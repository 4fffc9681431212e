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

    bool restIsBlank() const {
        for (std::size_t i = position_; i < text_.size(); ++i) {
            if (!isBlank(text_[i])) return false;
        }
        return true;
    }

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

struct Exponent {
    long long value = 0;
    bool hasDigits = false;
};

// The exponent after an exponent letter; a letter without digits after it ends the number and counts
// as no exponent.  Saturates far beyond any double so that a long run of digits cannot overflow.
Exponent readExponent(Cursor& cursor) {
    cursor.advance();
    const bool negative = readSign(cursor);
    Exponent exponent;
    while (isDigit(cursor.peek())) {
        exponent.hasDigits = true;
        if (exponent.value < 1'000'000'000) exponent.value = exponent.value * 10 + (cursor.peek() - '0');
        cursor.advance();
    }
    if (negative) exponent.value = -exponent.value;
    return exponent;
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

// The number at the cursor, leaving the cursor just past it; `complete` tells whether it had digits and
// no exponent letter left without digits.
double readNumber(Cursor& cursor, bool& complete) {
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
    complete = !digits.empty();
    if (digits.empty()) return 0.0;

    long long exponent = 0;
    if (isExponentLetter(cursor.peek())) {
        const Exponent read = readExponent(cursor);
        exponent = read.value;
        complete = read.hasDigits;
    }

    const auto firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) return negative ? -0.0 : 0.0;
    exponent += integerDigits - 1 - static_cast<long long>(firstSignificant);
    const double magnitude = magnitudeOf(digits.substr(firstSignificant), exponent);
    return negative ? -magnitude : magnitude;
}

}  // namespace

double leadingNumber(std::string_view text, InnerBlanks blanks) {
    Cursor cursor(text, blanks);
    bool complete = false;
    return readNumber(cursor, complete);
}

bool isWholeNumber(std::string_view text) {
    Cursor cursor(text, InnerBlanks::EndTheNumber);
    bool complete = false;
    readNumber(cursor, complete);
    return complete && cursor.restIsBlank();
}

std::optional<std::int16_t> roundHalfEvenToShort(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace vortlan
