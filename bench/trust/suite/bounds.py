"""The bounds that keep a peak physical, and the judgement of a fitted peak against them.

A peak's position may go wherever some component of it lies within the fit range widened by the
peak's own FWHM; its FWHM is at least the data step, its area at least 0, its %GL within 0..100.  The
position's bound moves with the FWHM, so the minimisers work in bounded coordinates instead:
    position = low(FWHM) + t * (high(FWHM) - low(FWHM)),  t in [0, 1],
which turns the moving bound into a box.
"""
import numpy as np

from . import lineshape


def component_offsets(peak):
    """The smallest and largest distance of a peak's components from its position."""
    offsets = [offset for offset, _ in lineshape.components(peak)]
    return min(offsets), max(offsets)


def position_span(fit_range, peak, fwhm):
    """The lowest and highest position the bounds allow the peak at this FWHM."""
    nearest, farthest = component_offsets(peak)
    return fit_range.low - fwhm - farthest, fit_range.high + fwhm - nearest


def to_bounded(fit_range, peaks, params):
    """(t, area, FWHM, %GL) per peak from (position, area, FWHM, %GL), clipped into the bounds."""
    bounded = []
    for peak, (position, area, fwhm, gl) in zip(peaks, np.reshape(params, (-1, 4))):
        fwhm = max(fwhm, fit_range.step) if np.isfinite(fwhm) else fit_range.step
        low, high = position_span(fit_range, peak, fwhm)
        t = (position - low) / (high - low) if np.isfinite(position) else 1.0
        bounded += [min(max(t, 0.0), 1.0), max(area, 0.0), fwhm, min(max(gl, 0.0), 100.0)]
    return np.array(bounded)


def from_bounded(fit_range, peaks, bounded):
    """(position, area, FWHM, %GL) per peak from bounded coordinates."""
    params = []
    for peak, (t, area, fwhm, gl) in zip(peaks, np.reshape(bounded, (-1, 4))):
        low, high = position_span(fit_range, peak, fwhm)
        params += [low + t * (high - low), area, fwhm, gl]
    return np.array(params)


def box(fit_range, peaks):
    """Lower and upper limits of the bounded coordinates."""
    low = np.tile([0.0, 0.0, fit_range.step, 0.0], len(peaks))
    high = np.tile([1.0, np.inf, np.inf, 100.0], len(peaks))
    return low, high


def bounded_jacobian(fit_range, peaks, bounded, derivatives):
    """Turns d/d(position, area, FWHM, %GL) columns into d/d(t, area, FWHM, %GL) ones."""
    columns = derivatives.copy()
    for k, (peak, (t, _, fwhm, _)) in enumerate(zip(peaks, np.reshape(bounded, (-1, 4)))):
        low, high = position_span(fit_range, peak, fwhm)
        by_position = derivatives[:, 4 * k]
        columns[:, 4 * k] = by_position * (high - low)
        columns[:, 4 * k + 2] += by_position * (2.0 * t - 1.0)
    return columns


def is_narrow(fit_range, fwhm):
    """Narrower than the data step (a single-precision FWHM on the step itself is not)."""
    return not fwhm >= fit_range.step * (1.0 - 1e-6)


def is_outside(fit_range, peak, position, fwhm):
    """No component within the fit range widened by the peak's FWHM."""
    if not (np.isfinite(position) and np.isfinite(fwhm)):
        return True
    low, high = position_span(fit_range, peak, abs(fwhm))
    slack = 1e-6 * max(1.0, abs(position))
    return not low - slack <= position <= high + slack


def unphysical_peaks(fit_range, peaks, params):
    """{peak index: [causes]} of the peaks that are narrow, outside the range or without area."""
    found = {}
    for k, (peak, (position, area, fwhm, _)) in enumerate(zip(peaks, np.reshape(params, (-1, 4)))):
        causes = []
        if is_narrow(fit_range, fwhm):
            causes.append("narrow")
        if is_outside(fit_range, peak, position, fwhm):
            causes.append("outside")
        if not area > 0:
            causes.append("no area")
        if causes:
            found[k] = causes
    return found
