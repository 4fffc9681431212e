#pragma once
// Comma-separated text, as spreadsheets and scripts read it: one record a line, ending with a line
// feed; a field holding a comma, a quote or a line break quoted, its quotes doubled.

#include <string>
#include <string_view>
#include <vector>

namespace vortlan {

std::string csvField(std::string_view text);

// The fields as one line, each quoted where it needs it.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace vortlan
