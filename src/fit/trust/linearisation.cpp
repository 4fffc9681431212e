#include "fit/trust/linearisation.h"

namespace vortlan {

const std::optional<Covariance>& Linearisation::of(const SpectrumProblem& problem) {
    if (!known_ || problem.variables() != variables_ || problem.start() != point_) {
        covariance_ = covarianceAt(problem, problem.start());
        variables_ = problem.variables();
        point_ = problem.start();
        known_ = true;
    }
    return covariance_;
}

SpectrumProblem problemAtBounds(const Workspace& ws, FitSelection selection) {
    selection.glFree = true;
    selection.held = SpectrumProblem(ws, selection).parametersOnBounds();
    return SpectrumProblem(ws, selection);
}

}  // namespace vortlan
