#include "workspace/recording_port.h"

namespace vortlan {

void RecordingPort::message(std::string_view text) {
    messages.emplace_back(text);
}

bool RecordingPort::askYesNo(std::string_view title, std::string_view text) {
    questions.emplace_back(std::string(title) + ": " + std::string(text));
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingPort::beep() {
    ++beeps;
}

void RecordingPort::yield() {
    ++yields;
    if (onYield) onYield();
}

void RecordingPort::setBusyPointer(bool isBusy) {
    busy = isBusy;
}

void RecordingPort::showWindow(Window w) {
    windows.at(static_cast<std::size_t>(w)).visible = true;
}

void RecordingPort::hideWindow(Window w) {
    windows.at(static_cast<std::size_t>(w)).visible = false;
}

void RecordingPort::setWindowEnabled(Window w, bool enabled) {
    windows.at(static_cast<std::size_t>(w)).enabled = enabled;
}

void RecordingPort::setWindowCaption(Window w, std::string_view caption) {
    windows.at(static_cast<std::size_t>(w)).caption = caption;
}

void RecordingPort::setChiText(int region, std::string_view text) {
    chiTexts.at(static_cast<std::size_t>(region)) = text;
}

void RecordingPort::setSumChiText(std::string_view text) {
    sumChiText = text;
}

void RecordingPort::setPeakButtonCaption(int button, std::string_view caption) {
    peakButtonCaptions.at(static_cast<std::size_t>(button)) = caption;
}

void RecordingPort::setPeakButtonEnabled(int button, bool enabled) {
    peakButtonsEnabled.at(static_cast<std::size_t>(button)) = enabled;
}

void RecordingPort::setRegionColour(int region, RegionColour colour) {
    regionColours.at(static_cast<std::size_t>(region)) = colour;
}

void RecordingPort::setDescriptionText(std::string_view text) {
    descriptionText = text;
}

void RecordingPort::drawSpectrum(SpectrumDrawing drawing) {
    drawings.push_back(drawing);
}

}  // namespace vortlan
