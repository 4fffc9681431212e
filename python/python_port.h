#pragma once
// The Port of a project opened from Python: no windows; what the program says is kept, so that a
// refusal or failure can be raised as a Python exception carrying the program's own words, and
// nothing is printed unless asked.

#include <stdexcept>
#include <string>
#include <vector>

#include "workspace/recording_port.h"

namespace vortlan::python {

// Raised in Python as vortlan.Error, its text the program's message.
class Refused : public std::runtime_error {
  public:
    explicit Refused(const std::string& message) : std::runtime_error(message) {}
};

class PythonPort : public RecordingPort {
  public:
    // The messages said since the last call, taken away.
    std::vector<std::string> takeMessages();
    // Throws Refused with the messages said since the last call (joined by line feeds), or with
    // `fallback` when there were none.
    [[noreturn]] void refuse(const std::string& fallback);

    // A project in a notebook may be fitted and drawn thousands of times: what no one looks at
    // (each drawing, trial and verdict shown) is not kept.
    void drawSpectrum(SpectrumDrawing) override {}
    void showFitTrial(int, int) override {}
    void showFitVerdict(int, const RegionVerdict&) override {}
};

}  // namespace vortlan::python
