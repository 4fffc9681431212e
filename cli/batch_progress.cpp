#include "cli/batch_progress.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace vortlan::cli {

namespace {

constexpr auto kInterval = std::chrono::milliseconds(200);

std::string minutesAndSeconds(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string progressText(std::size_t done, std::size_t total, double rate) {
    std::string text = std::to_string(done) + "/" + std::to_string(total) + " spectra";
    if (rate <= 0.0) return text;
    char perSecond[32];
    std::snprintf(perSecond, sizeof perSecond, "%.1f/s", rate);
    text += ", " + std::string(perSecond);
    return text + ", about " + minutesAndSeconds(static_cast<double>(total - done) / rate) + " left";
}

ProgressLine::ProgressLine(std::ostream& out, bool onTerminal, std::size_t done, std::size_t total)
    : out_(out), onTerminal_(onTerminal), before_(done), total_(total) {}

void ProgressLine::show(std::size_t done, Clock::time_point now) {
    if (!onTerminal_ || now - shown_ < kInterval) return;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0.0 ? static_cast<double>(done - before_) / seconds : 0.0;
    out_ << "\r\033[K" << progressText(done, total_, rate) << std::flush;
    shown_ = now;
    showing_ = true;
}

void ProgressLine::clear() {
    if (!showing_) return;
    out_ << "\r\033[K" << std::flush;
    showing_ = false;
}

}  // namespace vortlan::cli
