#!/usr/bin/python3
"""Vortlan's Monte Carlo errors on two doublets that may trade places, against an independent Monte Carlo.

    bench/peers/monte_carlo_reference.py VORTLAN_CLI [REPLICAS] [WORKDIR]

Synthetic W 4f spectra (made here with a fixed seed, Poisson counts): two 4f doublets of the same shape
on a Shirley step, written as Kratos exports so that Vortlan takes their intensities for counts; in
the case "apart" they lie 0.5 eV apart, in "close" 0.25 eV, where how the intensity divides between
them is barely determined and replicas may swap them.  Vortlan fits each by Levenberg-Marquardt
(Shirley background, positions, areas and FWHMs free, %GL fixed) and gives its Monte Carlo errors over
REPLICAS replicas (2000 by default): `fit --monte-carlo` says in how many replicas the doublets traded
places, `export report` gives the standard deviations and half the 16-84 % ranges.

The reference is a Monte Carlo of its own: each replica a whole noisy experiment, as Vortlan's are.
Numpy draws Poisson counts around the fitted envelope (Vortlan's background plus the doublets at
Vortlan's result), except at the two end points the background is drawn through, which keep their
recorded counts as their mean, so that without noise the background would be the fit's; the Shirley
background is drawn again from each replica's counts (the program's algorithm written again in numpy,
bench/peers/lmfit_errors.py), and lmfit (MINPACK's Levenberg-Marquardt, numerical derivatives) fits the
doublets on it with the same weights, the second doublet's position written as the first's plus a
distance that cannot be negative, so that no replica can swap them.
Prints for each case
    mcdoublets CASE replicas=K matched=M QUANTITY_sd=.. QUANTITY_robust=.. QUANTITY_reference_sd=.. ...
for the position and area of both doublets.  Needs Debian's python3-lmfit.
"""
import csv
import json
import os
import re
import subprocess
import sys
import tempfile

import lmfit
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import shirley  # noqa: E402
from lmfit_errors import shirley as program_shirley  # noqa: E402
from reference_minimum import peaks  # noqa: E402

SOURCE = 1486.6
SPLITTING = 2.18
MAIN_SHARE = 4.0 / 7.0  # a 4f doublet: 4f7/2 at the position, 4f5/2 at position + splitting
GL = 30
# Position, area and FWHM of each doublet.
CASES = {
    "apart": [(31.4, 20000.0, 0.9), (31.9, 20000.0, 0.9)],
    "close": [(31.4, 20000.0, 0.9), (31.65, 15000.0, 0.9)],
}
LOWER_PERCENT, UPPER_PERCENT = 15.865525393145707, 84.13447460685429


def run(cli, *args, cwd):
    return subprocess.run([cli, *map(str, args)], cwd=cwd, check=True, capture_output=True, text=True).stdout


def doublets(x, values):
    """The doublets' sum at x; values holds position, area and FWHM of each."""
    singlets = []
    for position, area, fwhm in np.reshape(values, (-1, 3)):
        singlets += [position, area * MAIN_SHARE, fwhm, GL, position + SPLITTING, area * (1 - MAIN_SHARE), fwhm, GL]
    return peaks(x, np.array(singlets))


def write_spectrum(path, truth):
    x = np.round(np.arange(25.0, 40.0001, 0.05), 4)  # binding energy, ascending
    signal = doublets(x, np.array(truth).ravel())
    # The data are their own Shirley background, from 200 counts at the low binding-energy end to
    # 600 at the other, plus the doublets.
    mean = 200.0 + 400.0 * np.cumsum(signal) / np.sum(signal) + signal
    for _ in range(20):
        background, _ = shirley(x, mean)
        mean = background + signal
    counts = np.random.default_rng(2024).poisson(mean)
    with open(path, "w") as f:
        f.write(f"Dataset:\tW 4f\nObject name:\tW 4f\n# ordinates = {len(x)}\nSource energy = {SOURCE}\n")
        f.write("Kinetic Energy (eV) Intensity (Counts)\n")
        for energy, value in zip(x, counts):
            f.write(f"{SOURCE - energy:.2f} {value}\n")


def fit_with_vortlan(cli, work, truth, replicas):
    write_spectrum(os.path.join(work, "w4f.des"), truth)
    run(cli, "options", "write", "lm.opa", "--method", "lm", "--gl", "sum", cwd=work)
    run(cli, "import", "kratos", "w4f.des", "-o", "s.xps", cwd=work)
    run(cli, "background", "s.xps", "--region", "1", "--type", "shirley", "--average", "1", "-o", "s.xps", cwd=work)
    for position, area, _ in truth:  # started a little off, as an analyst would
        run(cli, "add-peak", "s.xps", "--region", "1", "--type", "f", "--splitting", SPLITTING, "--position",
            position + 0.05, "--area", 0.8 * area, "--fwhm", 1.0, "--gl", GL, "--fix", "gl", "-o", "s.xps", cwd=work)
    table = run(cli, "fit", "s.xps", "--region", "1", "--options", "lm.opa", "--monte-carlo", replicas,
                "-o", "fitted.xps", cwd=work)
    matched = re.search(r"in (\d+) of them", table)
    run(cli, "export", "report", "fitted.xps", "--region", "1", "--monte-carlo", replicas, "-o", "mc.csv", cwd=work)
    run(cli, "export", "spectrum", "fitted.xps", "--region", "1", "-o", "fitted.dat", cwd=work)
    with open(os.path.join(work, "mc.csv")) as f:
        report = list(csv.DictReader(f))
    info = json.loads(run(cli, "info", "fitted.xps", "--json", cwd=work))
    spectrum = np.loadtxt(os.path.join(work, "fitted.dat"), skiprows=1, usecols=(0, 1, 3))
    return info["regions"][0], report, spectrum, int(matched.group(1)) if matched else 0


def spreads(values):
    low, high = np.percentile(values, [LOWER_PERCENT, UPPER_PERCENT])
    return float(np.std(values, ddof=1)), float((high - low) / 2)


def reference_monte_carlo(region, spectrum, replicas):
    """Each replica's position and area of both doublets, fitted by lmfit on the background drawn from
    the replica's own counts."""
    x, recorded, background = spectrum[:, 0], spectrum[:, 1], spectrum[:, 2]
    fitted = [(p["position"], p["area"], p["fwhm"]) for p in region["peaks"]]
    mean = background + doublets(x, np.array(fitted).ravel())
    mean[[0, -1]] = recorded[[0, -1]]
    params = lmfit.Parameters()
    params.add("position0", value=fitted[0][0])
    params.add("distance", value=fitted[1][0] - fitted[0][0], min=0.0)
    params.add("position1", expr="position0 + distance")
    for k in range(2):
        params.add(f"area{k}", value=fitted[k][1], min=0.1)
        params.add(f"fwhm{k}", value=fitted[k][2], min=0.01)
    random = np.random.default_rng(7)
    results = []
    for _ in range(replicas):
        y = random.poisson(mean).astype(float)
        weight = 1.0 / np.sqrt(np.where(y == 0, 1.0, np.abs(y)))
        drawn = program_shirley(x, y)

        def residual(p, y=y, weight=weight, drawn=drawn):
            values = [p[f"{name}{k}"].value for k in range(2) for name in ("position", "area", "fwhm")]
            return (y - drawn - doublets(x, np.array(values))) * weight

        fit = lmfit.minimize(residual, params, method="leastsq")
        results.append([fit.params[f"{name}{k}"].value for k in range(2) for name in ("position", "area")])
    return np.array(results)


def compare(cli, name, truth, replicas, work):
    region, report, spectrum, matched = fit_with_vortlan(cli, work, truth, replicas)
    reference = reference_monte_carlo(region, spectrum, replicas)
    fields = [f"replicas={replicas}", f"matched={matched}"]
    for k in range(2):
        for column, quantity in enumerate(("position", "area")):
            sd, robust = spreads(reference[:, 2 * k + column])
            fields += [f"{quantity}{k}_sd={float(report[k][quantity + '_mc_err']):.4g}",
                       f"{quantity}{k}_robust={float(report[k][quantity + '_mc_robust_err']):.4g}",
                       f"{quantity}{k}_reference_sd={sd:.4g}", f"{quantity}{k}_reference_robust={robust:.4g}"]
    print(f"mcdoublets {name} " + " ".join(fields))


def main():
    cli = os.path.abspath(sys.argv[1])
    replicas = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    work = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp()
    for name, truth in CASES.items():
        os.makedirs(os.path.join(work, name), exist_ok=True)
        compare(cli, name, truth, replicas, os.path.join(work, name))


if __name__ == "__main__":
    main()
