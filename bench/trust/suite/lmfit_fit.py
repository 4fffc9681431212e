"""One region fitted by lmfit (its default method, MINPACK's Levenberg-Marquardt with lmfit's bound
transformation) from one start, on the program's background, weights 1/|y|, within the same bounds
in the same bounded coordinates (see bounds.py)."""
import warnings

import lmfit
import numpy as np

from . import bounds, lineshape, timing

NAMES = ("t", "a", "w", "g")


def parameters(fit_range, peaks, start):
    low, high = bounds.box(fit_range, peaks)
    bounded = bounds.to_bounded(fit_range, peaks, np.ravel(start))
    params = lmfit.Parameters()
    for i, value in enumerate(bounded):
        params.add(f"{NAMES[i % 4]}{i // 4}", value=value, min=low[i], max=high[i])
    return params


def bounded_values(params, count):
    return np.array([params[f"{name}{k}"].value for k in range(count) for name in NAMES])


def fit_case(fit_range, peaks, start):
    scale = 1.0 / np.sqrt(lineshape.weights(fit_range.y))
    net = fit_range.y - fit_range.background

    def residual(params):
        values = bounds.from_bounded(fit_range, peaks, bounded_values(params, len(peaks)))
        return (net - lineshape.model(fit_range.x, peaks, values)) * scale

    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)
        result, wall, cpu = timing.timed_call(lmfit.minimize, residual, parameters(fit_range, peaks, start),
                                              method="leastsq")
    params = bounds.from_bounded(fit_range, peaks, bounded_values(result.params, len(peaks)))
    if not np.all(np.isfinite(params)):
        return {"failed": result.message}
    return {"params": params.reshape(-1, 4).tolist(), "seconds": wall, "cpu_seconds": cpu}
