#include <array>

#include "base/number_text.h"
#include "fit/verdict.h"
#include "session/quantification.h"
#include "session/quantification_view.h"

namespace vortlan {

namespace {

std::string percentText(double value) {
    return patternNumberText(value, "#0.00");
}

std::string notDetectedText(const QuantRow& row) {
    if (row.upperLimitPercent) return "not detected (< " + percentText(*row.upperLimitPercent) + " at.%)";
    return "not detected (area < " + quantNumberText(row.upperLimitArea) + ")";
}


std::string regionName(const QuantRow& row) {
    std::string name = "region " + std::to_string(row.region + 1);
    if (!row.level.empty()) name += " (" + row.level + ")";
    return name;
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

// "outside the fit range, FWHM at its floor".
std::string causesText(const std::vector<FitFlag>& flags) {
    std::vector<std::string> causes;
    for (const FitFlag& flag : flags) causes.push_back(fitFlagCauseText(flag));
    return joined(causes);
}

bool anyNotDetected(const QuantRegion& region) {
    if (!region.counted()) return false;
    if (!region.row.detected) return true;
    for (const QuantRow& peak : region.components) {
        if (!peak.detected) return true;
    }
    return false;
}

// "peak 3 (outside the fit range)" for each peak left out of a counted region.
std::vector<std::string> leftOutPeaks(const Quantification& table) {
    std::vector<std::string> peaks;
    for (const QuantRegion& region : table.regions) {
        for (const QuantRow& peak : region.components) {
            if (peak.leftOut)
                peaks.push_back("peak " + std::to_string(peak.peak) + " (" + causesText(peak.flags) + ")");
        }
    }
    return peaks;
}

std::string transmissionNote(const Quantification& table) {
    switch (table.transmission) {
        case TransmissionUse::Divided:
            return "Intensities divided by the analyser's transmission their files record; the transmission "
                   "exponent n is not applied";
        case TransmissionUse::NotUsed: {
            std::vector<std::string> without;
            for (const QuantRegion& region : table.regions) {
                if (region.counted() && !region.transmissionRecorded)
                    without.push_back(regionName(region.row));
            }
            return "The analyser's transmission is not used: " + joined(without) +
                   (without.size() == 1 ? " records" : " record") +
                   " none, and dividing only the others would skew the ratios";
        }
        case TransmissionUse::NoneRecorded:
            break;
    }
    return {};
}

}  // namespace

std::string areaNoiseText(AreaNoise noise) {
    // Indexed by AreaNoise.
    constexpr std::array<const char*, 5> kTexts = {"the fit's standard errors", "counting statistics",
                                                   "counting statistics of count rate x dwell time x scans",
                                                   "the scatter of the fit's residuals",
                                                   "the scatter of the data"};
    return kTexts.at(static_cast<std::size_t>(noise));
}

std::vector<std::string> quantRowNotes(const QuantRegion& region, const QuantRow& row) {
    std::vector<std::string> notes;
    if (!region.counted()) return notes;
    const bool regionRow = row.peak < 0;
    if (row.leftOut) notes.push_back("left out, flagged by the fit: " + causesText(row.flags));
    if (!row.leftOut && !row.flags.empty()) notes.push_back("flagged by the fit: " + causesText(row.flags));
    if (!row.detected) notes.push_back(notDetectedText(row) + (regionRow ? ", left out of the sum" : ""));
    if (!regionRow) return notes;
    if (region.wholeDoubletCounted) notes.push_back("whole doublet counted");
    if (!region.backgroundNote.empty()) notes.push_back(region.backgroundNote);
    return notes;
}

std::vector<std::string> quantificationNotes(const Quantification& table) {
    std::vector<std::string> notes;
    std::vector<std::string> leftOut;
    bool notDetected = false;
    for (const QuantRegion& region : table.regions) {
        if (region.counted() && !region.row.detected) leftOut.push_back(regionName(region.row));
        notDetected = notDetected || anyNotDetected(region);
    }
    if (!leftOut.empty()) notes.push_back("Not detected, left out of the sum: " + joined(leftOut));
    if (const std::vector<std::string> peaks = leftOutPeaks(table); !peaks.empty())
        notes.push_back("Left out of their regions' amounts, flagged by the fit: " + joined(peaks));
    if (notDetected)
        notes.push_back(
            "A row is not detected when its area is less than three times its uncertainty; its limit is the "
            "atomic per cent its area plus three times the uncertainty would have beside the detected "
            "regions");
    for (const QuantRegion& region : table.regions) {
        if (region.counted() && region.wholeDoubletCounted)
            notes.push_back("Whole doublet counted in " + regionName(region.row) +
                            ": its background-subtracted area holds both spin-orbit components; quantify it "
                            "by its peaks, or name the whole level");
        if (!region.backgroundNote.empty())
            notes.push_back(capitalised(regionName(region.row)) + ": " + region.backgroundNote);
    }
    if (const std::string transmission = transmissionNote(table); !transmission.empty())
        notes.push_back(transmission);
    return notes;
}

}  // namespace vortlan
