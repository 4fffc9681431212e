#pragma once
// Texts taken from files that reach windows, printed output and other files.

#include <cstddef>
#include <string>
#include <string_view>

namespace vortlan {

// Printable ASCII only, without surrounding blanks, at most `length` characters.
std::string printableText(std::string_view text, std::size_t length);

}  // namespace vortlan
