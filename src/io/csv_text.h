#pragma once
// Comma-separated text, as spreadsheets and scripts read it: one record a line, ending with a line
// feed; a field holding the separator, a quote or a line break quoted, its quotes doubled.  Tab-
// separated text, as a spreadsheet takes from the clipboard, is the same with a tab.

#include <string>
#include <string_view>
#include <vector>

namespace vortlan {

std::string csvField(std::string_view text, char separator = ',');

// The fields as one line, each quoted where it needs it.
std::string csvLine(const std::vector<std::string>& fields, char separator = ',');

}  // namespace vortlan
