#include "python/python_port.h"

#include <utility>

namespace vortlan::python {

std::vector<std::string> PythonPort::takeMessages() {
    return std::exchange(messages, {});
}

void PythonPort::refuse(const std::string& fallback) {
    std::string text;
    for (const std::string& said : takeMessages()) text += (text.empty() ? "" : "\n") + said;
    throw Refused(text.empty() ? fallback : text);
}

}  // namespace vortlan::python
