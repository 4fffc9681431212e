#pragma once
// The progress line of a batch on a terminal: "120/1000 spectra, 85.3/s, about 0:10 left", rewritten
// in place at most five times a second and cleared before any message and at the end.

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace vortlan::cli {

// The line for `done` of `total` spectra at `rate` a second (0: not known yet).
std::string progressText(std::size_t done, std::size_t total, double rate);

class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    // Nothing is written unless `onTerminal`.  `done` spectra were done before the run began (by an
    // earlier run, for --resume) and count towards the total but not the rate.
    ProgressLine(std::ostream& out, bool onTerminal, std::size_t done, std::size_t total);

    void show(std::size_t done, Clock::time_point now = Clock::now());
    void clear();

  private:
    std::ostream& out_;
    bool onTerminal_;
    std::size_t before_;
    std::size_t total_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
    bool showing_ = false;
};

}  // namespace vortlan::cli
