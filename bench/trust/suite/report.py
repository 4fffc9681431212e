"""The suite's tables: per region and in total, the program against fityk and lmfit from the same
starts; then the extreme cases one by one."""
import numpy as np

from . import judge

FITTERS = ("vortlan", "fityk", "lmfit")


def share(count, total):
    return f"{count}/{total} ({100.0 * count / total:.0f} %)" if total else "-"


def median_ms(results):
    """Median wall / CPU milliseconds of one fit."""
    timed = [r for r in results if "seconds" in r]
    if not timed:
        return "-"
    wall = 1000 * np.median([r["seconds"] for r in timed])
    cpu = 1000 * np.median([r["cpu_seconds"] for r in timed])
    return f"{wall:.3g} / {cpu:.3g}"


def vortlan_cells(results):
    reached = [r for r in results if judge.reaches(r)]
    rest = [r for r in results if not judge.reaches(r)]
    owning = sum(1 for r in rest if r["owns_up"])
    unflagged = sum(1 for r in results if r["unflagged"])
    failed = sum(1 for r in results if "params" not in r)
    return [share(len(reached), len(results)), f"{owning}/{len(rest)}", str(unflagged), str(failed),
            median_ms(results)]


def peer_cells(results):
    reached = sum(1 for r in results if judge.reaches(r))
    unphysical = sum(1 for r in results if r["unphysical"] or "params" not in r)
    return [share(reached, len(results)), str(unphysical), median_ms(results)]


HEADER = ["region", "step eV", "minimum", "whole %GL",
          "Vortlan <=1.001", "owns up", "unflagged narrow/outside", "failed", "ms wall / CPU",
          "fityk <=1.001", "unphysical", "ms wall / CPU", "lmfit <=1.001", "unphysical", "ms wall / CPU"]


def region_row(name, step, reference, cases):
    row = [name, f"{step:.3g}", f"{reference['minimum']:.7g}", f"{reference['whole_gl_ratio']:.6f}"]
    row += vortlan_cells([c["vortlan"] for c in cases])
    row += peer_cells([c["fityk"] for c in cases])
    row += peer_cells([c["lmfit"] for c in cases])
    return row


def markdown(rows, header):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def suite_table(regions):
    """regions: list of dicts with name, step, reference and poor (the judged poor-start cases)."""
    rows = [region_row(r["name"], r["step"], r["reference"], r["poor"]) for r in regions]
    everything = [c for r in regions for c in r["poor"]]
    total = ["all", "", "", ""] + vortlan_cells([c["vortlan"] for c in everything])
    total += peer_cells([c["fityk"] for c in everything]) + peer_cells([c["lmfit"] for c in everything])
    counted = f"{len(regions)} regions, {len(everything)} poor starts."
    return markdown(rows + [total], HEADER) + "\n\n" + counted


def ratio_text(result):
    return f"{result['ratio']:.4g}" if np.isfinite(result["ratio"]) else "failed"


def vortlan_outcome(result):
    if "params" not in result:
        return result["failed"][:80]
    first = result["params"][0]
    text = f"{ratio_text(result)}; {result['verdict']}; peak 1 at {first[0]:.5g} eV, FWHM {first[2]:.3g}"
    if result["unflagged"]:
        text += "; UNFLAGGED " + ", ".join(f"peak {k + 1} {'/'.join(c)}" for k, c in result["unflagged"].items())
    return text


def peer_outcome(result):
    if "params" not in result:
        return "failed"
    bad = "; " + ", ".join(f"peak {k + 1} {'/'.join(c)}" for k, c in result["unphysical"].items()) \
        if result["unphysical"] else ""
    return ratio_text(result) + bad


def extreme_table(regions):
    rows = []
    for r in regions:
        for case in r["extreme"]:
            rows.append([r["name"], case["name"], vortlan_outcome(case["vortlan"]), peer_outcome(case["fityk"]),
                         peer_outcome(case["lmfit"])])
    return markdown(rows, ["region", "case", "Vortlan: ratio; verdict; the moved peak", "fityk", "lmfit"])
