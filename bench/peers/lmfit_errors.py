#!/usr/bin/python3
"""Vortlan's standard errors against a reference made apart from it, on the same fit of a peer
spectrum.

    bench/peers/lmfit_errors.py VORTLAN_CLI [SPECTRUM] [WORKDIR]

Vortlan fits SPECTRUM (c1s by default) by Levenberg-Marquardt from the shared starting values, every
parameter free, its Shirley background drawn through single end points, and reports each peak's
standard errors (`info --json`).  lmfit (Debian's python3-lmfit, MINPACK's Levenberg-Marquardt) fits the
same statistic from Vortlan's result, %GL continuous, holding what Vortlan left on a bound.  The
reference then writes every fitted value as a linear function of every recorded count, as the standard
errors do, with numpy alone: J, the weighted residuals' derivatives, by central differences; the
residuals' response to the two end points by drawing the Shirley background again from the moved data
(the program's algorithm written again here); a count's variance σ²|y_j|.  With A = (JᵀJ)⁻¹ and
dr_j the weighted residuals' response to count j (an end point moves only through the background,
since it is the end level itself),
    cov θ = σ² Σ_j |y_j| (A Jᵀ dr_j)(A Jᵀ dr_j)ᵀ,   σ² = Σr² / Σ_j |y_j| |(I - J A Jᵀ) dr_j|²,
the second because that is what Σr² is expected to be for unit σ²: the background's noise, left in the
residuals, is not counted twice.  Prints the largest relative difference over all peaks and parameters:
    lmfit LARGEST_DIFFERENCE_PERCENT
then one line per parameter, with lmfit's own stderr (the background taken as exact) beside.
"""
import os
import sys
import tempfile

import lmfit
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reference_minimum import fit_with_vortlan, peaks  # noqa: E402

NAMES = ("position", "area", "fwhm", "gl")
BOUNDS = {"area": (0.1, np.inf), "fwhm": (0.01, np.inf), "gl": (0.0, 100.0)}
SHIRLEY_PASSES = 30


def shirley(energy, counts):
    """The program's Shirley background of counts on energy (highest binding energy first), drawn
    through the two end points, without a linear term."""
    n = len(counts)
    step = energy[0] - energy[1]
    above = counts - counts[-1]
    v = above.copy()
    for _ in range(SHIRLEY_PASSES):
        # c_i: step times the sum of v from point i to the last but one.
        c = np.zeros(n)
        c[:-1] = step * np.cumsum(v[-2::-1])[::-1]
        v = above - above[0] / c[0] * c
    return above - v + counts[-1]


def lmfit_result(x, y, weight, start, held):
    params = lmfit.Parameters()
    for k in range(len(start) // 4):
        for name, value in zip(NAMES, start[4 * k:4 * k + 4]):
            low, high = BOUNDS.get(name, (-np.inf, np.inf))
            params.add(f"{name}{k}", value=value, min=low, max=high, vary=f"{name}{k}" not in held)
    background = shirley(x, y)

    def residual(pars):
        values = np.array([pars[f"{NAMES[i % 4]}{i // 4}"].value for i in range(len(start))])
        return (y - background - peaks(x, values)) * weight

    result = lmfit.minimize(residual, params, method="leastsq", xtol=1e-12, ftol=1e-12)
    values = np.array([result.params[f"{NAMES[i % 4]}{i // 4}"].value for i in range(len(start))])
    return values, result


def weighted_residuals(x, y, weight, values):
    return (y - shirley(x, y) - peaks(x, values)) * weight


def reference_errors(x, y, weight, values, free):
    """The fitted values' standard errors as linear functions of the counts, in the order of free."""
    n = len(y)
    jacobian = np.empty((n, len(free)))
    for column, index in enumerate(free):
        h = 1e-6 * max(1.0, abs(values[index]))
        up, down = values.copy(), values.copy()
        up[index] += h
        down[index] -= h
        jacobian[:, column] = (weighted_residuals(x, y, weight, up) - weighted_residuals(x, y, weight, down)) / (2 * h)
    inverse = np.linalg.inv(jacobian.T @ jacobian)
    responses = []  # (variance per σ², dr_j)
    for j in range(1, n - 1):
        dr = np.zeros(n)
        dr[j] = weight[j]
        responses.append((abs(y[j]), dr))
    for j in (0, n - 1):
        step = 1.0
        up, down = y.copy(), y.copy()
        up[j] += step
        down[j] -= step
        dr = (weighted_residuals(x, up, weight, values) - weighted_residuals(x, down, weight, values)) / (2 * step)
        responses.append((abs(y[j]), dr))
    covariance = np.zeros_like(inverse)
    expected = 0.0
    for variance, dr in responses:
        slope = inverse @ (jacobian.T @ dr)
        covariance += variance * np.outer(slope, slope)
        left = dr - jacobian @ slope
        expected += variance * left @ left
    scale = np.sum(weighted_residuals(x, y, weight, values) ** 2) / expected
    return np.sqrt(scale * np.diag(covariance))


def main():
    cli = os.path.abspath(sys.argv[1])
    spectrum = sys.argv[2] if len(sys.argv) > 2 else "c1s"
    work = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp()
    region, table = fit_with_vortlan(cli, spectrum, work)
    x, y = table[:, 0], table[:, 1]
    weight = 1.0 / np.sqrt(np.where(y == 0, 1.0, np.abs(y)))
    start = np.array([[p["position"], p["area"], p["fwhm"], p["gl"]] for p in region["peaks"]]).ravel()
    # What Vortlan left on a bound is held there, as its errors are those with it held.
    held = {f"{name}{k}" for k, p in enumerate(region["peaks"]) for name in NAMES if p["stderr"][name] is None}
    values, result = lmfit_result(x, y, weight, start, held)
    free = [i for i in range(len(start)) if f"{NAMES[i % 4]}{i // 4}" not in held]
    reference = dict(zip(free, reference_errors(x, y, weight, values, free)))

    largest = 0.0
    lines = []
    for k, p in enumerate(region["peaks"]):
        for i, name in enumerate(NAMES):
            ours = p["stderr"][name]
            if ours is None or 4 * k + i not in reference:
                lines.append(f"peak {k} {name}: vortlan {ours}, held on a bound")
                continue
            theirs = reference[4 * k + i]
            difference = abs(ours - theirs) / theirs
            largest = max(largest, difference)
            lines.append(f"peak {k} {name}: vortlan {ours:.6g} reference {theirs:.6g} ({100 * difference:.2f} %); "
                         f"lmfit with the background exact {result.params[f'{name}{k}'].stderr:.6g}")
    print(f"lmfit {100 * largest:.2f}%")
    for line in lines:
        print(line)


if __name__ == "__main__":
    main()
