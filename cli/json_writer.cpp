#include "cli/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>

namespace vortlan::cli {

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8 either.
    if (lead == 0xE0 && byte(i + 1) < 0xA0) return 0;
    if (lead == 0xED && byte(i + 1) > 0x9F) return 0;
    if (lead == 0xF0 && byte(i + 1) < 0x90) return 0;
    if (lead == 0xF4 && byte(i + 1) > 0x8F) return 0;
    return length;
}

void appendUnicodeEscape(std::string& out, unsigned code) {
    constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                           '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    out += "\\u00";
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
}

// The shortest decimal form that reads back as the same single, as JSON writes numbers ("284.8",
// "1e-05").
std::string jsonNumberText(float number) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            if (const std::size_t length = utf8SequenceLength(text, i)) {
                out.append(text.substr(i, length));
                i += length;
            } else {
                appendUnicodeEscape(out, c);
                ++i;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    appendUnicodeEscape(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

JsonWriter& JsonWriter::beginObject() {
    beforeValue();
    out_ += '{';
    open_.push_back({});
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    const bool empty = open_.back().empty;
    open_.pop_back();
    if (!empty) newLine();
    out_ += '}';
    if (open_.empty()) out_ += '\n';
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    beforeValue();
    out_ += '[';
    open_.push_back({});
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    const bool empty = open_.back().empty;
    open_.pop_back();
    if (!empty) newLine();
    out_ += ']';
    if (open_.empty()) out_ += '\n';
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    out_ += jsonString(name);
    out_ += oneLine_ ? ":" : ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    out_ += jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::value(int number) {
    beforeValue();
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(float number) {
    if (!std::isfinite(number)) return null();
    beforeValue();
    out_ += jsonNumberText(number);
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    out_ += "null";
    return *this;
}

// A value right after its key stays on the key's line; anything else opens a line of its own.
void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) return;
    if (!open_.back().empty) out_ += ',';
    open_.back().empty = false;
    newLine();
}

void JsonWriter::newLine() {
    if (oneLine_) return;
    out_ += '\n';
    out_.append(2 * open_.size(), ' ');
}

}  // namespace vortlan::cli
