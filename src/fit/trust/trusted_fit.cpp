#include "fit/trust/trusted_fit.h"

#include <algorithm>

#include "base/checked_math.h"
#include "fit/trust/fit_flags.h"
#include "fit/trust/fitted_state.h"
#include "fit/trust/gl_rounds.h"
#include "fit/trust/restart_starts.h"

namespace vortlan {

namespace {

// A restart must lower the statistic by more than the noise of its single-precision sum to be kept.
constexpr double kBetterBy = 1e-6;

bool ended(LeastSquaresFitEnd end) {
    return end == LeastSquaresFitEnd::Stopped || end == LeastSquaresFitEnd::Refused;
}

std::vector<RegionFlags> judgeRegions(const Workspace& ws, const std::vector<int>& regions,
                                      const FitHistory& history, Linearisation& linearisation) {
    std::vector<RegionFlags> judged;
    for (int region : regions) judged.push_back({region, judgeFitFlags(ws, region, history, &linearisation)});
    return judged;
}

bool hasFreeParameter(const Workspace& ws, const FitSelection& selection, int peak) {
    if (std::find(selection.peaks.begin(), selection.peaks.end(), peak) == selection.peaks.end())
        return false;
    const Peak& p = ws.peaks[peak];
    return std::any_of(kPeakParams.begin(), kPeakParams.end(), [&](PeakParam param) {
        return (!selection.onlyParam || *selection.onlyParam == param) && !isFixed(p, param) &&
               !isTrue(ws.constraints[peak].of(param).linked);
    });
}

bool flaggedForRestart(const std::vector<RegionFlags>& judged, int peak) {
    for (const RegionFlags& region : judged) {
        for (const FitFlag& flag : region.flags) {
            if (flag.peak == peak && callsForRestart(flag)) return true;
        }
    }
    return false;
}

// The peaks of the selection, in its order, that the judgement wants started afresh.
std::vector<int> peaksToRestart(const Workspace& ws, const FitSelection& selection,
                                const std::vector<RegionFlags>& judged) {
    std::vector<int> peaks;
    for (int peak : selection.peaks) {
        if (hasFreeParameter(ws, selection, peak) && flaggedForRestart(judged, peak) &&
            std::find(peaks.begin(), peaks.end(), peak) == peaks.end())
            peaks.push_back(peak);
    }
    return peaks;
}

// The fit as it stands: its values, how its last run ended and what the judgement found.
struct Attempt {
    FittedState state;
    GlRoundsEnd rounds;
    std::vector<RegionFlags> flags;
};

// Every peak's values where the user started the fit.
using UserStarts = std::array<PeakStart, kPeakCount>;

UserStarts userStartsOf(const Workspace& ws) {
    UserStarts starts;
    for (std::size_t p = 0; p < starts.size(); ++p)
        starts[p] = {ws.peaks[p].position, ws.peaks[p].area, ws.peaks[p].fwhm};
    return starts;
}

// Where the user placed the peaks whose positions the fit moves.
std::vector<PlacedPeak> placedPeaks(const Workspace& ws, const FitSelection& selection,
                                    const UserStarts& starts) {
    std::vector<PlacedPeak> placed;
    if (selection.onlyParam && *selection.onlyParam != PeakParam::Position) return placed;
    for (int peak : selection.peaks) {
        const Peak& p = ws.peaks.at(static_cast<std::size_t>(peak));
        if (isFixed(p, PeakParam::Position) || isTrue(ws.constraints[peak].position.linked)) continue;
        const PeakStart& start = starts[static_cast<std::size_t>(peak)];
        placed.push_back({peak, start.position, start.fwhm});
    }
    return placed;
}

class Rescue {
  public:
    Rescue(Workspace& ws, Port& port, FitSelection selection, std::vector<int> regions,
           const UserStarts& userStart, Attempt first)
        : ws_(ws),
          port_(port),
          selection_(std::move(selection)),
          regions_(std::move(regions)),
          userStart_(userStart),
          placed_(placedPeaks(ws, selection_, userStart)),
          best_(std::move(first)) {}

    TrustedFit run();

  private:
    FitHistory historyOf(const GlRoundsEnd& rounds) const { return {rounds.glUnsettled, placed_}; }
    // One fresh start of the peak, kept when it does better; false when a stop ended it.
    bool tryStart(int peak, const PeakStart& start);
    TrustedFit result(LeastSquaresFitEnd end) const { return {end, best_.flags, restarts_}; }

    Workspace& ws_;
    Port& port_;
    const FitSelection selection_;
    const std::vector<int> regions_;
    const UserStarts userStart_;
    const std::vector<PlacedPeak> placed_;
    Linearisation linearisation_;
    Attempt best_;
    std::vector<PeakRestarts> restarts_;
};

// The workspace holds the best values when it begins and when it ends.
bool Rescue::tryStart(int peak, const PeakStart& start) {
    placePeakAt(ws_, peak, start);
    const GlRoundsEnd rounds = fitWithWholeGl(ws_, port_, selection_, linearisation_);
    const bool better = rounds.end != LeastSquaresFitEnd::Refused &&
                        rounds.end != LeastSquaresFitEnd::Stopped &&
                        statisticOf(ws_, regions_) < best_.state.statistic() * (1.0 - kBetterBy);
    if (better) {
        best_ = Attempt{FittedState(ws_, regions_), rounds,
                        judgeRegions(ws_, regions_, historyOf(rounds), linearisation_)};
    } else {
        best_.state.restore(ws_, port_);
    }
    return rounds.end != LeastSquaresFitEnd::Stopped;
}

TrustedFit Rescue::run() {
    for (int peak : peaksToRestart(ws_, selection_, best_.flags)) {
        const std::vector<PeakStart> starts =
            restartStarts(ws_, peak, userStart_[static_cast<std::size_t>(peak)]);
        short tried = 0;
        // An earlier restart may have freed the peak already.
        for (const PeakStart& start : starts) {
            if (tried == kRestartsPerPeak || !flaggedForRestart(best_.flags, peak)) break;
            if (isTrue(ws_.stopRequested)) break;
            ++tried;
            if (!tryStart(peak, start)) break;
        }
        if (tried > 0) restarts_.push_back({static_cast<short>(peak), tried});
        if (isTrue(ws_.stopRequested)) return result(LeastSquaresFitEnd::Stopped);
    }
    return result(best_.rounds.end);
}

TrustedFit fitTrusted(Workspace& ws, Port& port, FitSelection selection) {
    const UserStarts userStart = userStartsOf(ws);
    const std::vector<int> regions = SpectrumProblem(ws, selection).regions();
    Linearisation linearisation;
    const GlRoundsEnd first = fitWithWholeGl(ws, port, selection, linearisation);
    if (ended(first.end) || first.end == LeastSquaresFitEnd::NothingToFit) return {first.end, {}, {}};
    std::vector<RegionFlags> flags =
        judgeRegions(ws, regions, {first.glUnsettled, placedPeaks(ws, selection, userStart)}, linearisation);
    if (peaksToRestart(ws, selection, flags).empty()) return {first.end, std::move(flags), {}};
    Attempt attempt{FittedState(ws, regions), first, std::move(flags)};
    return Rescue(ws, port, std::move(selection), regions, userStart, std::move(attempt)).run();
}

}  // namespace

std::vector<FitFlag> TrustedFit::flagsOf(const Workspace& ws, int region) const {
    for (const RegionFlags& judged : flags) {
        if (judged.region == region) return judged.flags;
    }
    return judgeFitFlags(ws, region);
}

std::vector<PeakRestarts> TrustedFit::restartsOf(const Workspace& ws, int region) const {
    std::vector<PeakRestarts> found;
    for (const PeakRestarts& r : restarts) {
        if (ws.peaks.at(static_cast<std::size_t>(r.peak)).region == region) found.push_back(r);
    }
    return found;
}

TrustedFit fitByLeastSquares(Workspace& ws, Port& port, FitSelection selection) {
    try {
        return fitTrusted(ws, port, std::move(selection));
    } catch (const ComputationFault& fault) {
        // A relation that divides by zero or leaves the range of a single, met while storing a point.
        port.message(fault.what());
        return {LeastSquaresFitEnd::Refused, {}, {}};
    }
}

}  // namespace vortlan
