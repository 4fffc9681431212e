#pragma once
// Files are replaced, never overwritten in place: the new content goes to a temporary file beside the
// old one, which is then renamed over it.  A failed or interrupted save leaves the previous file as it
// was, and a shorter new content never leaves old bytes behind it.

#include <string>
#include <string_view>

namespace vortlan {

// Whether the whole content reached the file.
bool replaceFile(const std::string& path, std::string_view content);

}  // namespace vortlan
