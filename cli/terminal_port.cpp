#include "cli/terminal_port.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <iostream>

#include "fit/drivers.h"

namespace vortlan::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

}  // namespace

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return interrupted != 0;
}

TerminalPort::TerminalPort() : onTerminal_(isatty(STDERR_FILENO) != 0) {}

void TerminalPort::describeRun(std::string label, int trials, int passesPerTrial) {
    label_ = std::move(label);
    trials_ = trials;
    passesPerTrial_ = passesPerTrial;
}

void TerminalPort::message(std::string_view text) {
    clearProgress();
    std::cerr << text << '\n';
}

bool TerminalPort::askYesNo(std::string_view, std::string_view) {
    return true;
}

void TerminalPort::yield() {
    if (!fitting()) return;
    if (interruptRequested() && workspace_) {
        // The optimisers look at the request only at their checks, so it is renewed at every yield
        // until the run ends.
        requestStop(*workspace_);
        if (!stopAnnounced_) {
            stopAnnounced_ = true;
            clearProgress();
            std::cerr << "vortlan-cli: stopping the fit; the result so far is kept\n";
        }
    }
    showProgress();
}

void TerminalPort::showWindow(Window window) {
    if (window == Window::Fitting && !fitting()) passes_ = 0;
    // Every pass over a region ends with the spectrum window shown again.
    if (window == Window::Spectrum && fitting()) ++passes_;
    shown_[static_cast<std::size_t>(window)] = true;
}

void TerminalPort::hideWindow(Window window) {
    if (window == Window::Fitting) clearProgress();
    shown_[static_cast<std::size_t>(window)] = false;
}

void TerminalPort::showProgress() {
    if (!onTerminal_) return;
    std::string line = label_.empty() ? "" : label_ + "  ";
    if (trials_ > 0 && passesPerTrial_ > 0) {
        const int trial = std::min(trials_, passes_ / passesPerTrial_ + 1);
        line += "trial " + std::to_string(trial) + "/" + std::to_string(trials_) + "  ";
    }
    line += "χ² " + (sumChi_.empty() ? std::string("-") : sumChi_);
    if (line == progressLine_) return;
    progressLine_ = line;
    std::cerr << "\r\033[K" << line << std::flush;
}

void TerminalPort::clearProgress() {
    if (progressLine_.empty()) return;
    progressLine_.clear();
    std::cerr << "\r\033[K" << std::flush;
}

}  // namespace vortlan::cli
