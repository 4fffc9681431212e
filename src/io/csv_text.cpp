#include "io/csv_text.h"

namespace vortlan {

std::string csvField(std::string_view text, char separator) {
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (text.find_first_of(special) == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csvLine(const std::vector<std::string>& fields, char separator) {
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0) line += separator;
        line += csvField(fields[k], separator);
    }
    return line + "\n";
}

}  // namespace vortlan
