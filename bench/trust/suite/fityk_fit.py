"""One region fitted by fityk (cfityk, bounded Levenberg-Marquardt: mpfit) from one start, on the
program's background subtracted, weights 1/|y|.  The bounds are fityk domains on the bounded
coordinates (see bounds.py); a peak is PseudoVoigt functions (one per component) of the
program's area, sharing their variables."""
import os

import numpy as np

from . import bounds, lineshape, timing


def write_data(fit_range, path):
    sigma = np.sqrt(lineshape.weights(fit_range.y))
    with open(path, "w") as f:
        for x, y, background, s in zip(fit_range.x, fit_range.y, fit_range.background, sigma):
            f.write(f"{x:.9g} {y - background:.12g} {s:.12g}\n")


def peak_lines(fit_range, k, peak, bounded):
    """fityk commands defining peak k: its four variables with their domains, and its components."""
    t, area, fwhm, gl = bounded
    nearest, farthest = bounds.component_offsets(peak)
    fixed_span = fit_range.high - fit_range.low + farthest - nearest
    lines = [
        f"$t{k} = ~{t:.12g} [0:1]",
        f"$a{k} = ~{area:.12g} [0:]",
        f"$w{k} = ~{fwhm / 2:.12g} [{fit_range.step / 2:.12g}:]",
        f"$s{k} = ~{gl / 100:.12g} [0:1]",
    ]
    low = f"({fit_range.low - farthest:.12g} - 2*$w{k})"
    position = f"{low} + $t{k}*({fixed_span:.12g} + 4*$w{k})"
    # The program's area: height x FWHM x its area factor, whose %GL is fityk's shape x 100.
    area_factor = f"({lineshape.GAUSSIAN_AREA_FACTOR!r} + {100 * lineshape.AREA_FACTOR_PER_GL!r}*$s{k})"
    for c, (offset, share) in enumerate(lineshape.components(peak)):
        height = f"{share:.15g}*$a{k}/(2*$w{k}*{area_factor})"
        lines.append(f"%p{k}_{c} = PseudoVoigt(height={height}, center={position} + {offset:.12g}, "
                     f"hwhm=$w{k}, shape=$s{k})")
    return lines


def script(fit_range, peaks, start, data_file):
    bounded = np.reshape(bounds.to_bounded(fit_range, peaks, np.ravel(start)), (-1, 4))
    lines = [f"@0 < '{data_file}':1:2:3:"]
    names = []
    for k, (peak, values) in enumerate(zip(peaks, bounded)):
        lines += peak_lines(fit_range, k, peak, values)
        names += [f"%p{k}_{c}" for c in range(len(lineshape.components(peak)))]
    lines += ["F = " + " + ".join(names), "set fitting_method = mpfit", "fit", "set numeric_format = '%.15g'",
              "print 'RESULT', " + ", ".join(f"$t{k}, $a{k}, $w{k}, $s{k}" for k in range(len(peaks)))]
    return "\n".join(lines) + "\n"


def parse_result(output, fit_range, peaks):
    for line in output.splitlines():
        if line.startswith("RESULT "):
            values = np.reshape([float(v) for v in line.split()[1:]], (-1, 4))
            values[:, 2] *= 2.0    # HWHM to FWHM
            values[:, 3] *= 100.0  # shape to %GL
            return bounds.from_bounded(fit_range, peaks, values.ravel())
    return None


def fit_case(fit_range, peaks, start, work):
    os.makedirs(work, exist_ok=True)
    write_data(fit_range, os.path.join(work, "fityk.dat"))
    with open(os.path.join(work, "case.fit"), "w") as f:
        f.write(script(fit_range, peaks, start, "fityk.dat"))
    done, wall, cpu = timing.timed_run(["cfityk", "-n", "-q", "case.fit"], work)
    params = parse_result(done.stdout, fit_range, peaks)
    if params is None:
        return {"failed": (done.stdout + done.stderr).strip().splitlines()[-1:]}
    return {"params": params.reshape(-1, 4).tolist(), "seconds": wall, "cpu_seconds": cpu}
