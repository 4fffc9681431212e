"""The sum-form Gaussian-Lorentzian peak as the program defines it, singlets and spin-orbit doublets,
its derivatives, and the program's fit statistic.

A peak's parameters are (position, area, FWHM, %GL).  A doublet's second component sits `splitting`
from the position, with its share of the area fixed by the doublet's type; both components share the
FWHM and %GL.
"""
import numpy as np

LN2 = 0.6931471806
GAUSSIAN_AREA_FACTOR = 1.06446702
AREA_FACTOR_PER_GL = 0.0050632931

# (offset from the position in units of the splitting, share of the area) of each component.
COMPONENTS = {
    "s": ((0.0, 1.0),),
    "p": ((0.0, 2.0 / 3.0), (1.0, 1.0 / 3.0)),
    "d": ((0.0, 0.6), (1.0, 0.4)),
    "f": ((0.0, 4.0 / 7.0), (1.0, 3.0 / 7.0)),
}


def area_factor(gl):
    """area / (height x FWHM) of one sum-form component."""
    return GAUSSIAN_AREA_FACTOR + AREA_FACTOR_PER_GL * gl


def components(peak):
    """(offset in eV, share of the area) of each component of a peak of the model."""
    return [(step * peak.get("splitting", 0.0), share) for step, share in COMPONENTS[peak["type"]]]


def _shape(u, m):
    lorentzian = 1.0 / (1.0 + u * u)
    gaussian = np.exp(-LN2 * u * u)
    return lorentzian, gaussian, m * lorentzian + (1.0 - m) * gaussian


def model(x, peaks, params):
    """The sum of the peaks at energies x; params holds (position, area, FWHM, %GL) per peak."""
    total = np.zeros_like(x)
    for peak, (position, area, fwhm, gl) in zip(peaks, np.reshape(params, (-1, 4))):
        for offset, share in components(peak):
            u = 2.0 * (x - position - offset) / fwhm
            total += share * area / (fwhm * area_factor(gl)) * _shape(u, gl / 100.0)[2]
    return total


def model_derivatives(x, peaks, params):
    """d model / d (position, area, FWHM, %GL) of every peak: an array of len(x) x 4 * len(peaks)."""
    columns = np.zeros((len(x), 4 * len(peaks)))
    for k, (peak, (position, area, fwhm, gl)) in enumerate(zip(peaks, np.reshape(params, (-1, 4)))):
        m = gl / 100.0
        factor = area_factor(gl)
        for offset, share in components(peak):
            u = 2.0 * (x - position - offset) / fwhm
            lorentzian, gaussian, shape = _shape(u, m)
            slope = -2.0 * u * (m * lorentzian * lorentzian + (1.0 - m) * LN2 * gaussian)
            unit_height = share / (fwhm * factor)
            height = unit_height * area
            columns[:, 4 * k] += height * slope * (-2.0 / fwhm)
            columns[:, 4 * k + 1] += unit_height * shape
            columns[:, 4 * k + 2] += -height * shape / fwhm - height * slope * u / fwhm
            columns[:, 4 * k + 3] += height * ((lorentzian - gaussian) / 100.0 - shape * AREA_FACTOR_PER_GL / factor)
    return columns


def weights(y):
    """The statistic's weight of each point: |y|, or 1 where y is 0."""
    return np.where(y == 0, 1.0, np.abs(y))


def statistic(fit_range, peaks, params):
    """mean((y - background - peaks)^2 / w) over the fit range."""
    residual = fit_range.y - fit_range.background - model(fit_range.x, peaks, params)
    return float(np.mean(residual * residual / weights(fit_range.y)))
