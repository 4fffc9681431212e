#!/usr/bin/python3
"""Vortlan's standard errors against lmfit's, on the same fit of a peer spectrum.

    bench/peers/lmfit_errors.py VORTLAN_CLI [SPECTRUM] [WORKDIR]

Vortlan fits SPECTRUM (c1s by default) by Levenberg-Marquardt from the shared starting values, every
parameter free, and reports each peak's standard errors (`info --json`).  lmfit (Debian's
python3-lmfit) then fits the same statistic on Vortlan's background, from Vortlan's result, and gives
its own `stderr` (the covariance of MINPACK's Levenberg-Marquardt scaled by the reduced chi-square, as
Vortlan's is).  Prints the largest relative difference over all peaks and parameters:
    lmfit LARGEST_DIFFERENCE_PERCENT
then one line per parameter.
"""
import json
import os
import sys
import tempfile

import lmfit
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reference_minimum import fit_with_vortlan, peaks  # noqa: E402

NAMES = ("position", "area", "fwhm", "gl")


def main():
    cli = os.path.abspath(sys.argv[1])
    spectrum = sys.argv[2] if len(sys.argv) > 2 else "c1s"
    work = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp()
    region, table = fit_with_vortlan(cli, spectrum, work)
    x, y, background = table[:, 0], table[:, 1], table[:, 2]
    weight = 1.0 / np.sqrt(np.where(y == 0, 1.0, np.abs(y)))

    params = lmfit.Parameters()
    for k, p in enumerate(region["peaks"]):
        params.add(f"position{k}", value=p["position"])
        params.add(f"area{k}", value=p["area"], min=0.1)
        params.add(f"fwhm{k}", value=p["fwhm"], min=0.01)
        params.add(f"gl{k}", value=p["gl"], min=0.0, max=100.0)

    def residual(pars):
        values = np.array([[pars[f"{name}{k}"].value for name in NAMES] for k in range(len(region["peaks"]))])
        return (y - background - peaks(x, values.ravel())) * weight

    result = lmfit.minimize(residual, params, method="leastsq")
    largest = 0.0
    lines = []
    for k, p in enumerate(region["peaks"]):
        for name in NAMES:
            ours = p["stderr"][name]
            theirs = result.params[f"{name}{k}"].stderr
            if ours is None or theirs is None or theirs == 0:
                lines.append(f"peak {k} {name}: vortlan {ours} lmfit {theirs}")
                continue
            difference = abs(ours - theirs) / theirs
            largest = max(largest, difference)
            lines.append(f"peak {k} {name}: vortlan {ours:.6g} lmfit {theirs:.6g} ({100 * difference:.2f} %)")
    print(f"lmfit {100 * largest:.2f}%")
    for line in lines:
        print(line)


if __name__ == "__main__":
    main()
