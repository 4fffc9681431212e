#include "io/text_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/number_reading.h"

namespace vortlan {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool beginsLikeNumber(std::string_view text) {
    // A loop, not a call for each sign: a separator line can hold many thousands of dashes.
    const std::size_t first = std::min(text.find_first_not_of("+-"), text.size());
    text.remove_prefix(first);
    if (text.empty()) return false;
    if (isDigit(text.front())) return true;
    return text.front() == '.' && text.size() > 1 && isDigit(text[1]);
}

std::optional<double> wholeNumber(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || isLineEnd(text.front()))) text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || isLineEnd(text.back()))) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond a double's range: the caller's range checks refuse it.
        return text.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void FieldReader::pastTheEnd() const {
    throw FieldError("read past the end of the file");
}

void FieldReader::skipBlanks() {
    while (position_ < text_.size() && isBlank(text_[position_])) ++position_;
}

bool FieldReader::atLineEnd() const {
    return position_ >= text_.size() || isLineEnd(text_[position_]);
}

void FieldReader::consumeLineEnd() {
    if (position_ < text_.size() && text_[position_] == '\r') ++position_;
    if (position_ < text_.size() && text_[position_] == '\n') ++position_;
}

// After a field: blanks, then one comma or one line end.
void FieldReader::consumeDelimiter() {
    skipBlanks();
    if (position_ < text_.size() && text_[position_] == ',') {
        ++position_;
    } else {
        consumeLineEnd();
    }
}

bool FieldReader::atEnd() const {
    for (std::size_t i = position_; i < text_.size(); ++i) {
        if (!isBlank(text_[i]) && !isLineEnd(text_[i])) return false;
    }
    return true;
}

std::string FieldReader::readText() {
    skipBlanks();
    if (position_ >= text_.size()) pastTheEnd();
    std::string field;
    if (text_[position_] == '"') {
        const std::size_t close = text_.find('"', position_ + 1);
        if (close == std::string::npos) pastTheEnd();
        field = text_.substr(position_ + 1, close - position_ - 1);
        position_ = close + 1;
    } else {
        const std::size_t start = position_;
        while (position_ < text_.size() && text_[position_] != ',' && !isLineEnd(text_[position_]))
            ++position_;
        field = text_.substr(start, position_ - start);
        while (!field.empty() && isBlank(field.back())) field.pop_back();
    }
    consumeDelimiter();
    return field;
}

double FieldReader::readNumber() {
    // An empty line ahead is passed over, as blanks are, on the way to the next number.
    while (position_ < text_.size() && (isBlank(text_[position_]) || isLineEnd(text_[position_])))
        ++position_;
    if (position_ >= text_.size()) pastTheEnd();
    const std::size_t start = position_;
    while (position_ < text_.size() && !isBlank(text_[position_]) && text_[position_] != ',' &&
           !isLineEnd(text_[position_])) {
        ++position_;
    }
    const auto value = wholeNumber(std::string_view(text_).substr(start, position_ - start));
    if (!value) throw FieldError("a field that should be a number is not");
    consumeDelimiter();
    return *value;
}

std::int16_t FieldReader::readShort() {
    const auto value = roundHalfEvenToShort(readNumber());
    if (!value) throw FieldError("a whole number beyond 16 bits");
    return *value;
}

std::variant<double, std::string> FieldReader::readFree() {
    while (position_ < text_.size() && (isBlank(text_[position_]) || isLineEnd(text_[position_])))
        ++position_;
    if (position_ >= text_.size()) pastTheEnd();
    if (beginsLikeNumber(std::string_view(text_).substr(position_))) return readNumber();
    return readText();
}

std::string FieldReader::readLine() {
    if (position_ >= text_.size()) pastTheEnd();
    const std::size_t start = position_;
    while (position_ < text_.size() && text_[position_] != '\n') ++position_;
    std::string line = text_.substr(start, position_ - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (position_ < text_.size()) ++position_;
    return line;
}

}  // namespace vortlan
