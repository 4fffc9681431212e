"""One region fitted by vortlan-cli from one start: the project built command by command as a user
would build it, fitted by Levenberg-Marquardt (sum form), and read back."""
import json
import os
import re
import shutil

from . import spectra, timing


class CommandFailed(Exception):
    pass


def run(cli, args, work):
    """Runs one command; returns what it did with its wall and CPU time."""
    done, wall, cpu = timing.timed_run([cli, *args], work)
    if done.returncode != 0:
        raise CommandFailed(f"vortlan-cli {' '.join(args)}: status {done.returncode}: {done.stderr.strip()}")
    return done, wall, cpu


def number(value):
    return f"{value:.9g}"


def prepare_region(cli, region, data_file, work):
    """base.xps: the spectrum imported and its background accepted; lm.opa: the fit options."""
    os.makedirs(work, exist_ok=True)
    run(cli, ["options", "write", "lm.opa", "--method", "lm", "--gl", "sum"], work)
    source = region["source"]
    importing = ["import", source["format"], data_file, "-o", "base.xps"]
    if "block" in source:
        importing[3:3] = ["--block", str(source["block"])]
    run(cli, importing, work)
    background = region["background"]
    run(cli, ["background", "base.xps", "--region", "1", "--type", background["type"],
              "--low", number(region["range"][0]), "--high", number(region["range"][1]),
              "--average", str(background["average"]), "-o", "base.xps"], work)


def add_peaks(cli, peaks, start, work):
    for peak, (position, area, fwhm, gl) in zip(peaks, start):
        args = ["add-peak", "case.xps", "--region", "1", "--position", number(position), "--area", number(area),
                "--fwhm", number(fwhm), "--gl", str(round(gl)), "--type", peak["type"], "--fix", "none",
                "-o", "case.xps"]
        if peak["type"] != "s":
            args[-2:-2] = ["--splitting", number(peak["splitting"])]
        run(cli, args, work)


def verdict_of(stderr):
    """The verdict line `fit` prints for region 1, without its 'Region 1: '."""
    found = re.search(r"^Region 1: (.*)$", stderr, re.MULTILINE)
    return found.group(1).strip() if found else "no verdict printed"


def read_fitted(cli, work):
    info = json.loads(run(cli, ["info", "fitted.xps", "--json"], work)[0].stdout)["regions"][0]
    run(cli, ["export", "spectrum", "fitted.xps", "--region", "1", "-o", "fitted.dat"], work)
    params = [[p["position"], p["area"], p["fwhm"], p["gl"]] for p in info["peaks"]]
    numbers = [p["peak"] for p in info["peaks"]]
    return info, params, numbers


def fit_case(cli, region, start, work):
    """Fits region 1 of base.xps from `start` ((position, area, FWHM, %GL) per peak); returns what
    was reached, or the failure."""
    shutil.copyfile(os.path.join(work, "base.xps"), os.path.join(work, "case.xps"))
    try:
        add_peaks(cli, region["peaks"], start, work)
        fitted, wall, cpu = run(cli, ["fit", "case.xps", "--region", "1", "--options", "lm.opa", "-o", "fitted.xps"],
                                work)
        info, params, numbers = read_fitted(cli, work)
    except CommandFailed as failure:
        return {"failed": str(failure)}
    fit_range = spectra.fit_range_from_export(os.path.join(work, "fitted.dat"), region["background"]["average"])
    return {
        "params": params,
        "peak_numbers": numbers,
        "chi_square": info["chiSquare"],
        "verdict": verdict_of(fitted.stderr),
        "flags": info.get("flags") or [],
        "seconds": wall,
        "cpu_seconds": cpu,
        "fit_range": fit_range,
    }
