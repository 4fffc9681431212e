#!/usr/bin/python3
"""The poor-start suite on real regions: the program, fityk and lmfit fitting every region from the
same poor starts, each judged against the best minimum SciPy finds under the same bounds.

    bench/trust/run_suite.py [--cli build/cli/vortlan-cli] [--work build/trust-suite] [--only NAME]
    bench/trust/run_suite.py --placing-commands   # how to put the fetched files in place

Prints the table per region and in total, then the extreme cases, and writes both with every result
into the work folder (table.md, results.json).  See README.md.
"""
import argparse
import json
import os
import shutil
import sys

import numpy as np

from suite import fityk_fit, judge, lmfit_fit, manifest, reference, report, spectra, starts, vortlan_fit

RANDOM_STARTS = 20


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", default="build/cli/vortlan-cli")
    parser.add_argument("--work", default="build/trust-suite")
    parser.add_argument("--real", default=manifest.REAL, help="the folder holding the fetched files")
    parser.add_argument("--only", action="append", help="run only the regions whose name contains this")
    parser.add_argument("--random-starts", type=int, default=RANDOM_STARTS)
    parser.add_argument("--placing-commands", action="store_true")
    return parser.parse_args()


def missing_programs(cli):
    """What the suite cannot run without, said plainly."""
    missing = []
    if not os.access(cli, os.X_OK):
        missing.append(f"{cli} is not there: build it (cmake --build build --target vortlan-cli) or give --cli")
    if not shutil.which("cfityk"):
        missing.append("cfityk is not installed (Debian's fityk; tools/install-deps bench)")
    return missing


def usable_regions(regions, problems, only):
    """The regions whose file is in place, after saying which are not."""
    usable = []
    for region in regions:
        problem = problems.get(region["source"]["file"])
        if problem:
            print(f"skipped {region['name']}: {problem}", file=sys.stderr)
        elif not only or any(text in region["name"] for text in only):
            usable.append(region)
    return usable


def fit_all(cli, region, cases, work):
    """The program's result for every case, and the fit range with the background it drew (None when
    no fit succeeded)."""
    results = [vortlan_fit.fit_case(cli, region, start, work) for _, start in cases]
    drawn = [r["fit_range"] for r in results if "fit_range" in r]
    return results, drawn[0] if drawn else None


def peer_results(fit_range, peaks, cases, work):
    fityk = [fityk_fit.fit_case(fit_range, peaks, start, os.path.join(work, "fityk")) for _, start in cases]
    lmfit = [lmfit_fit.fit_case(fit_range, peaks, start) for _, start in cases]
    return fityk, lmfit


def reference_of(fit_range, region, cases, ended, seed, random_count):
    """The best minimum from the good start, every case's start, random starts and where every fitter
    ended; with the cost of holding %GL whole there."""
    good = starts.good_start(region)
    rng = starts.region_rng(seed + 1, region)
    tried = [good] + [start for _, start in cases] + reference.random_starts(good, random_count, rng)
    tried += [np.array(r["params"]) for r in ended if "params" in r and np.all(np.isfinite(r["params"]))]
    minimum, params = reference.best_minimum(fit_range, region["peaks"], tried)
    whole, _ = reference.whole_gl_minimum(fit_range, region["peaks"], params)
    return {"minimum": minimum, "params": params.reshape(-1, 4).tolist(), "whole_gl_ratio": whole / minimum,
            "starts": len(tried)}


def own_range(result, fallback):
    return result.get("fit_range", fallback)


def run_region(cli, region, local_file, seed, count, work, random_count):
    """Every case of the region by every fitter, judged; None when the program fitted none of them."""
    os.makedirs(work, exist_ok=True)
    data_file = spectra.importable_file(region["source"], os.path.abspath(local_file), work)
    try:
        vortlan_fit.prepare_region(cli, region, data_file, work)
    except vortlan_fit.CommandFailed as failure:
        print(f"skipped {region['name']}: {failure}", file=sys.stderr)
        return None
    cases = starts.poor_starts(region, seed, count) + starts.extreme_starts(region)
    vortlan, fit_range = fit_all(cli, region, cases, work)
    if fit_range is None:
        print(f"skipped {region['name']}: no fit succeeded: {vortlan[0]['failed']}", file=sys.stderr)
        return None
    fityk, lmfit = peer_results(fit_range, region["peaks"], cases, work)
    ref = reference_of(fit_range, region, cases, vortlan + fityk + lmfit, seed, random_count)
    peaks = region["peaks"]
    judged = []
    for (name, start), v, f, m in zip(cases, vortlan, fityk, lmfit):
        judged.append({"name": name, "start": start.tolist(),
                       "vortlan": judge.judge(v, own_range(v, fit_range), peaks, ref["minimum"]),
                       "fityk": judge.judge(f, fit_range, peaks, ref["minimum"]),
                       "lmfit": judge.judge(m, fit_range, peaks, ref["minimum"])})
    backgrounds = {own_range(v, fit_range).fingerprint() for v in vortlan}
    return {"name": region["name"], "step": fit_range.step, "reference": ref, "backgrounds": len(backgrounds),
            "poor": judged[:count], "extreme": judged[count:]}


def consistency_note(regions):
    """How closely the program's own χ² agrees with the statistic recomputed here from its results."""
    deviations = [abs(c["vortlan"]["chi_square"] / c["vortlan"]["statistic"] - 1.0)
                  for r in regions for c in r["poor"] if "statistic" in c["vortlan"]]
    note = f"The program's χ² against the statistic recomputed from its results: at most {max(deviations):.2g} apart."
    several = [r["name"] for r in regions if r["backgrounds"] > 1]
    if several:
        note += " Background not the same in every fit of: " + ", ".join(several) + "."
    return note


def saved(regions):
    """The results without the fit ranges' arrays, for results.json."""
    def clean(value):
        if isinstance(value, dict):
            return {str(k): clean(v) for k, v in value.items() if k != "fit_range"}
        if isinstance(value, (list, tuple)):
            return [clean(v) for v in value]
        if isinstance(value, (np.floating, float)):
            return float(value) if np.isfinite(value) else str(value)
        return value
    return clean(regions)


def run_regions(cli, data, chosen, args):
    regions = []
    for region in chosen:
        print(f"{region['name']} ...", file=sys.stderr, flush=True)
        work = os.path.abspath(os.path.join(args.work, region["name"].replace(" ", "_").replace("/", "_")))
        local_file = manifest.local_path(data["files"][region["source"]["file"]], args.real)
        result = run_region(cli, region, local_file, data["seed"], data["starts_per_region"], work,
                            args.random_starts)
        if result:
            regions.append(result)
    return regions


def write_outputs(regions, work):
    """The tables on standard output and in table.md, every result in results.json."""
    table = "\n\n".join([report.suite_table(regions), consistency_note(regions), report.extreme_table(regions)])
    print(table)
    with open(os.path.join(work, "table.md"), "w") as f:
        f.write(table + "\n")
    with open(os.path.join(work, "results.json"), "w") as f:
        json.dump(saved(regions), f, indent=1)


def main():
    args = arguments()
    data = manifest.load()
    if args.placing_commands:
        print("\n".join(manifest.placing_commands(data, args.real)))
        return 0
    problems = manifest.file_problems(data, args.real)
    chosen = usable_regions(data["regions"], problems, args.only)
    if not chosen:
        print("no region can be run: put the files in place (run_suite.py --placing-commands)", file=sys.stderr)
        return 1
    cli = os.path.abspath(args.cli)
    problems = missing_programs(cli)
    if problems:
        print("\n".join(problems), file=sys.stderr)
        return 1
    regions = run_regions(cli, data, chosen, args)
    if not regions:
        return 1
    write_outputs(regions, args.work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
