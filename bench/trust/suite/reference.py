"""The best minimum of the program's statistic under the physical bounds, found independently of the
program: SciPy's least_squares (trust region reflective) with analytic derivatives, %GL continuous,
from many starts."""
import numpy as np
from scipy.optimize import least_squares

from . import bounds, lineshape

TOLERANCE = 1e-15
MAX_EVALUATIONS = 5000


def residual_functions(fit_range, peaks, fixed_gl=None):
    """Residuals (whose mean square is the statistic) and their Jacobian in bounded coordinates; with
    fixed_gl, %GL is held at those values and left out of the coordinates."""
    scale = 1.0 / np.sqrt(lineshape.weights(fit_range.y) * len(fit_range.y))
    free = np.ones(4 * len(peaks), dtype=bool)
    if fixed_gl is not None:
        free[3::4] = False

    def full(coordinates):
        bounded = np.empty(4 * len(peaks))
        bounded[free] = coordinates
        if fixed_gl is not None:
            bounded[3::4] = fixed_gl
        return bounded

    def residuals(coordinates):
        params = bounds.from_bounded(fit_range, peaks, full(coordinates))
        return (fit_range.y - fit_range.background - lineshape.model(fit_range.x, peaks, params)) * scale

    def jacobian(coordinates):
        bounded = full(coordinates)
        params = bounds.from_bounded(fit_range, peaks, bounded)
        derivatives = lineshape.model_derivatives(fit_range.x, peaks, params)
        return -bounds.bounded_jacobian(fit_range, peaks, bounded, derivatives)[:, free] * scale[:, None]

    return residuals, jacobian, free


def minimise(fit_range, peaks, start, fixed_gl=None):
    """One bounded least-squares run from `start` ((position, area, FWHM, %GL) per peak); returns the
    statistic and the parameters reached."""
    residuals, jacobian, free = residual_functions(fit_range, peaks, fixed_gl)
    low, high = bounds.box(fit_range, peaks)
    first = bounds.to_bounded(fit_range, peaks, np.ravel(start))
    coordinates = np.clip(first[free], low[free], high[free])
    try:
        reached = least_squares(residuals, coordinates, jac=jacobian, bounds=(low[free], high[free]), method="trf",
                                x_scale="jac", ftol=TOLERANCE, xtol=TOLERANCE, gtol=TOLERANCE,
                                max_nfev=MAX_EVALUATIONS)
    except (ValueError, np.linalg.LinAlgError):
        return np.inf, None
    bounded = first.copy()
    bounded[free] = reached.x
    if fixed_gl is not None:
        bounded[3::4] = fixed_gl
    params = bounds.from_bounded(fit_range, peaks, bounded)
    return lineshape.statistic(fit_range, peaks, params), params


def random_starts(good_start, count, rng):
    """Starts scattered about the good one: positions within 1.5 eV, FWHM x0.5-3, areas x0.1-3, any %GL."""
    good = np.reshape(good_start, (-1, 4))
    starts = []
    for _ in range(count):
        start = good.copy()
        start[:, 0] += rng.uniform(-1.5, 1.5, len(good))
        start[:, 1] *= rng.uniform(0.1, 3.0, len(good))
        start[:, 2] *= rng.uniform(0.5, 3.0, len(good))
        start[:, 3] = rng.uniform(0.0, 100.0, len(good))
        starts.append(start)
    return starts


def best_minimum(fit_range, peaks, starts):
    """The lowest statistic reached from any of the starts, with its parameters."""
    best = (np.inf, None)
    for start in starts:
        reached = minimise(fit_range, peaks, start)
        if reached[0] < best[0]:
            best = reached
    return best


def whole_gl_minimum(fit_range, peaks, params):
    """The minimum near `params` with every %GL rounded to a whole number and held there."""
    gl = np.round(np.reshape(params, (-1, 4))[:, 3])
    return minimise(fit_range, peaks, params, fixed_gl=gl)
