#pragma once
// The core's texts on a terminal, and the columns of the tool's tables for people.

#include <algorithm>
#include <string>
#include <string_view>

namespace vortlan::cli {

// The core's texts are 8-bit (Latin-1, as the files store them); a terminal takes UTF-8.
inline std::string utf8FromLatin1(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// The characters a terminal shows for a UTF-8 text ("±" is one, though two bytes).
inline std::size_t shownWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A UTF-8 text right-aligned in its width, and always at least one blank from the column before,
// however long it is.
inline std::string column(const std::string& text, std::size_t width) {
    const std::size_t shown = shownWidth(text);
    return shown + 1 >= width ? " " + text : std::string(width - shown, ' ') + text;
}

}  // namespace vortlan::cli
