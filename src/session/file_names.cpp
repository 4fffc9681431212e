#include "session/file_names.h"

namespace vortlan {

std::string proposedFileName(std::string_view lastName, std::string_view extension) {
    const std::size_t dot = lastName.find('.');
    if (dot == std::string_view::npos) return std::string(lastName);
    std::string name(lastName.substr(0, dot + 1));
    name += extension;
    return name;
}

}  // namespace vortlan
