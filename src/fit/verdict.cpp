#include "fit/verdict.h"

#include <cmath>

#include "fit/trust/fit_flags.h"

namespace vortlan {

namespace {

constexpr double kLeastImprovement = 1e-6;  // the tolerance 0 stands for

}  // namespace

FitVerdict judgeLastTrial(float before, float after, float tolerance) {
    if (!std::isfinite(before) || !std::isfinite(after)) return FitVerdict::Unknown;
    // A statistic of 0 cannot be lowered.
    if (!(before > 0.0f)) return FitVerdict::Converged;
    const double threshold = tolerance > 0.0f ? static_cast<double>(tolerance) : kLeastImprovement;
    const double lowered = (static_cast<double>(before) - after) / before;
    return lowered > threshold ? FitVerdict::StillImproving : FitVerdict::Converged;
}

RegionVerdict judgedVerdict(const Workspace& ws, int region, FitVerdict verdict) {
    if (verdict == FitVerdict::Unknown) return {};
    return RegionVerdict{verdict, judgeFitFlags(ws, region), {}, {}};
}

void recordFitVerdict(Workspace& ws, Port& port, int region, RegionVerdict verdict) {
    adoptFitVerdict(ws, region, std::move(verdict));
    port.showFitVerdict(region, ws.fitVerdicts[static_cast<std::size_t>(region)]);
}

std::string fitFlagCauseText(const FitFlag& flag) {
    static const char* const kParamNames[] = {"position", "area", "FWHM", "%GL"};
    const std::string param = kParamNames[static_cast<std::size_t>(flag.param)];
    switch (flag.cause) {
        case FitFlagCause::NarrowerThanStep:
            return "narrower than the data step";
        case FitFlagCause::NarrowerThanLimit:
            return "narrower than the instrument's limit";
        case FitFlagCause::AtLimit:
            return param + " at its limit";
        case FitFlagCause::AtBound:
            return param + (flag.param == PeakParam::Fwhm ? " at its floor" : " at its bound");
        case FitFlagCause::OutsideRange:
            return "outside the fit range";
        case FitFlagCause::AreaAtFloor:
            return "area at its floor";
        case FitFlagCause::NotDetermined:
            return param + " not determined by the data";
        case FitFlagCause::MovedFar:
            return "moved far from where it was placed";
        case FitFlagCause::GlChanged:
            break;
    }
    return "%GL changed by the final refit";
}

std::string fitFlagText(const FitFlag& flag) {
    return "peak " + std::to_string(flag.peak) + ": " + fitFlagCauseText(flag);
}

std::string peakFlagsText(const RegionVerdict& verdict, int peak) {
    std::string text;
    for (const FitFlag& flag : verdict.flags) {
        if (flag.peak == peak) text += (text.empty() ? "" : "; ") + fitFlagCauseText(flag);
    }
    return text;
}

std::string fitFlagsText(const std::vector<FitFlag>& flags) {
    std::string text;
    for (const FitFlag& flag : flags) text += (text.empty() ? "" : "; ") + fitFlagText(flag);
    return text;
}

std::vector<std::string> fitFlagTexts(const RegionVerdict& verdict) {
    std::vector<std::string> texts;
    for (const FitFlag& flag : verdict.flags) texts.push_back(fitFlagText(flag));
    return texts;
}

std::string restartsText(const std::vector<PeakRestarts>& restarts) {
    std::string text;
    for (const PeakRestarts& r : restarts) {
        if (!text.empty()) text += ", ";
        text += "peak " + std::to_string(r.peak) + " restarted " + std::to_string(r.restarts) +
                (r.restarts == 1 ? " time" : " times");
    }
    return text.empty() ? text : text + "; kept the best";
}

std::string fitVerdictText(int region, const RegionVerdict& verdict) {
    std::string text = "Region " + std::to_string(region + 1) + ": ";
    if (verdict.verdict == FitVerdict::Unknown) return text + "not judged";
    text += fitVerdictWord(verdict);
    if (verdict.verdict == FitVerdict::StillImproving) text += " — optimise again";
    if (!verdict.flags.empty()) text += " — " + fitFlagsText(verdict.flags);
    const std::string restarts = restartsText(verdict.restarts);
    return restarts.empty() ? text : text + " (" + restarts + ")";
}

std::string fitVerdictText(int region, FitVerdict verdict) {
    return fitVerdictText(region, RegionVerdict{verdict, {}, {}, {}});
}

std::string fitVerdictWord(const RegionVerdict& verdict) {
    if (verdict.verdict == FitVerdict::Converged && !verdict.flags.empty()) return "converged, with flags";
    return fitVerdictWord(verdict.verdict);
}

std::string fitVerdictWord(FitVerdict verdict) {
    switch (verdict) {
        case FitVerdict::Converged:
            return "converged";
        case FitVerdict::StillImproving:
            return "still improving";
        case FitVerdict::Stopped:
            return "stopped";
        case FitVerdict::Unknown:
            break;
    }
    return "unknown";
}

}  // namespace vortlan
