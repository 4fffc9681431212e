#pragma once
// File names proposed by the save commands.

#include <string>
#include <string_view>

namespace vortlan {

// The name last used with its extension replaced: everything up to and including the first "." of the
// file's name (not of its folders) followed by `extension` (given without its dot); a name without a
// "." is proposed unchanged.
std::string proposedFileName(std::string_view lastName, std::string_view extension);

}  // namespace vortlan
