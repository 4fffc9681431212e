#include "base/printable_text.h"

#include <algorithm>
#include <iterator>

namespace vortlan {

std::string printableText(std::string_view text, std::size_t length) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c >= ' ' && c <= '~'; });
    const std::size_t first = kept.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    kept = kept.substr(first, length);
    kept.erase(kept.find_last_not_of(' ') + 1);
    return kept;
}

}  // namespace vortlan
