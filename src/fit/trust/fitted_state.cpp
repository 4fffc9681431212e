#include "fit/trust/fitted_state.h"

#include "fit/least_squares_fit.h"

namespace vortlan {

double statisticOf(const Workspace& ws, const std::vector<int>& regions) {
    double sum = 0.0;
    for (int region : regions) sum += ws.regions.at(static_cast<std::size_t>(region)).chiSquare;
    return sum;
}

FittedState::FittedState(const Workspace& ws, std::vector<int> regions)
    : peaks_(ws.peaks), regions_(std::move(regions)), statistic_(statisticOf(ws, regions_)) {}

void FittedState::restore(Workspace& ws, Port& port) const {
    ws.peaks = peaks_;
    showFittedRegions(ws, port, regions_);
}

}  // namespace vortlan
