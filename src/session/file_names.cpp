#include "session/file_names.h"

namespace vortlan {

std::string proposedFileName(std::string_view lastName, std::string_view extension) {
    // The first "." of the file's own name: a dot in a folder name would cut the path short.
    const std::size_t separator = lastName.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = lastName.find('.', nameStart);
    if (dot == std::string_view::npos) return std::string(lastName);
    std::string name(lastName.substr(0, dot + 1));
    name += extension;
    return name;
}

}  // namespace vortlan
