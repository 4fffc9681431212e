#!/usr/bin/python3
"""The minimum of Vortlan's own statistic on a peer spectrum, found independently of Vortlan's fitter.

    bench/peers/reference_minimum.py VORTLAN_CLI SPECTRUM [WORKDIR]

Vortlan fits SPECTRUM (c1s or big) by Levenberg-Marquardt from the shared starting values and exports
the spectrum with its background; SciPy's least_squares (trust region reflective, a different
algorithm with its own numerical derivatives) then minimises the same statistic,
mean((y - background - peaks)^2 / |y|), on that background, with the same bounds and %GL continuous,
started from Vortlan's result and run to its tightest tolerances.  Prints both statistics and their
ratio.  Needs Debian's python3-scipy.
"""
import json
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy.optimize import least_squares

HERE = os.path.dirname(os.path.abspath(__file__))
LN2 = 0.6931471806


def run(cli, *args, cwd):
    return subprocess.run([cli, *args], cwd=cwd, check=True, capture_output=True, text=True).stdout


def fit_with_vortlan(cli, spectrum, work):
    run(cli, "options", "write", "lm.opa", "--method", "lm", "--gl", "sum", cwd=work)
    run(cli, "import", "ascii", os.path.join(HERE, spectrum + ".dat"), "-o", "s.xps", cwd=work)
    run(cli, "background", "s.xps", "--region", "1", "--type", "shirley", "--average", "1", "-o", "s.xps", cwd=work)
    with open(os.path.join(HERE, spectrum + ".start")) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            position, area, fwhm, gl = line.split()
            run(cli, "add-peak", "s.xps", "--region", "1", "--position", position, "--area", area, "--fwhm", fwhm,
                "--gl", gl, "--fix", "none", "-o", "s.xps", cwd=work)
    run(cli, "fit", "s.xps", "--region", "1", "--options", "lm.opa", "-o", "fitted.xps", cwd=work)
    run(cli, "export", "spectrum", "fitted.xps", "--region", "1", "-o", "fitted.dat", cwd=work)
    info = json.loads(run(cli, "info", "fitted.xps", "--json", cwd=work))
    return info["regions"][0], np.loadtxt(os.path.join(work, "fitted.dat"), skiprows=1, usecols=(0, 1, 3))


def peaks(x, params):
    total = np.zeros_like(x)
    for position, area, fwhm, gl in params.reshape(-1, 4):
        m = gl / 100.0
        height = area / (fwhm * (1.06446702 + 0.0050632931 * gl))
        u = 2.0 * (x - position) / fwhm
        total += height * (m / (1.0 + u * u) + (1.0 - m) * np.exp(-LN2 * u * u))
    return total


def main():
    cli, spectrum = sys.argv[1], sys.argv[2]
    work = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp()
    region, table = fit_with_vortlan(os.path.abspath(cli), spectrum, work)
    x, y, background = table[:, 0], table[:, 1], table[:, 2]
    weight = 1.0 / np.sqrt(np.where(y == 0, 1.0, np.abs(y)))
    start = np.array([[p["position"], p["area"], p["fwhm"], p["gl"]] for p in region["peaks"]]).ravel()
    low = np.tile([-np.inf, 0.1, 0.01, 0.0], len(region["peaks"]))
    high = np.tile([np.inf, np.inf, np.inf, 100.0], len(region["peaks"]))
    residuals = lambda p: (y - background - peaks(x, p)) * weight
    vortlan = float(np.mean(residuals(start) ** 2))
    best = least_squares(residuals, np.clip(start, low, high), bounds=(low, high), method="trf", x_scale="jac",
                         ftol=1e-15, xtol=1e-15, gtol=1e-15, max_nfev=20000)
    minimum = float(np.mean(best.fun ** 2))
    print(f"{spectrum} vortlan={vortlan:.9g} minimum={minimum:.9g} ratio={vortlan / minimum:.7f} "
          f"program_chi2={region['chiSquare']:.9g}")


if __name__ == "__main__":
    main()
