#include "cli/terminal_port.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

#include "fit/drivers.h"
#include "fit/verdict.h"

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

TerminalPort::TerminalPort() : TerminalPort(std::cerr, isatty(STDERR_FILENO) != 0) {}

TerminalPort::TerminalPort(std::ostream& out, bool onTerminal) : out_(out), onTerminal_(onTerminal) {}

void TerminalPort::message(std::string_view text) {
    clearProgress();
    out_ << text << '\n';
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
            out_ << "vortlan-cli: stopping the fit; the result so far is kept\n";
        }
    }
    showProgress();
}

void TerminalPort::showWindow(Window window) {
    if (window == Window::Fitting && !fitting()) trial_ = trials_ = 0;
    shown_[static_cast<std::size_t>(window)] = true;
}

void TerminalPort::setSumChiText(std::string_view text) {
    // The total comes with or without a leading blank, as the main window's label shows it.
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    sumChi_ =
        first == std::string_view::npos ? std::string() : std::string(text.substr(first, last - first + 1));
}

void TerminalPort::showFitTrial(int trial, int trials) {
    trial_ = trial;
    trials_ = trials;
    if (fitting()) showProgress();
}

void TerminalPort::showFitVerdict(int region, const RegionVerdict& verdict) {
    if (!printVerdicts_) return;
    clearProgress();
    out_ << fitVerdictText(region, verdict) << '\n';
}

void TerminalPort::hideWindow(Window window) {
    if (window == Window::Fitting) clearProgress();
    shown_[static_cast<std::size_t>(window)] = false;
}

void TerminalPort::showProgress() {
    if (!onTerminal_) return;
    std::string line = label_.empty() ? "" : label_ + "  ";
    if (trial_ > 0) line += "trial " + std::to_string(trial_) + "/" + std::to_string(trials_) + "  ";
    line += "χ² " + (sumChi_.empty() ? std::string("-") : sumChi_);
    if (line == progressLine_) return;
    progressLine_ = line;
    out_ << "\r\033[K" << line << std::flush;
}

void TerminalPort::clearProgress() {
    if (progressLine_.empty()) return;
    progressLine_.clear();
    out_ << "\r\033[K" << std::flush;
}

}  // namespace vortlan::cli
