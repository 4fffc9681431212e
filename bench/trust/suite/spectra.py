"""A region's fit range as the program fits it, read from its spectrum export, and the input files
the program imports."""
import dataclasses
import hashlib
import os

import numpy as np


@dataclasses.dataclass(frozen=True)
class FitRange:
    x: np.ndarray           # binding energies of the fit range, as exported (high to low)
    y: np.ndarray           # the intensities the statistic compares, end points averaged
    background: np.ndarray  # the background the program drew
    step: float             # the data step: median spacing of the energies
    low: float
    high: float

    def fingerprint(self):
        """Identifies the data and background, so that results on another background are not mixed."""
        digest = hashlib.sha256()
        for array in (self.x, self.y, self.background):
            digest.update(np.ascontiguousarray(array, dtype=np.float64).tobytes())
        return digest.hexdigest()[:16]


def read_export_rows(path):
    """Every row of a spectrum export: (energy, raw intensity, background or None)."""
    rows = []
    with open(path, encoding="latin-1") as f:
        next(f)
        for line in f:
            fields = line.split()
            if len(fields) >= 4:
                rows.append((float(fields[0]), float(fields[1]), float(fields[3])))
            elif len(fields) >= 2:
                rows.append((float(fields[0]), float(fields[1]), None))
    return rows


def centred_average(raw, index, points):
    """The mean of `points` raw values centred on index; a window past an end repeats the end value."""
    half = points // 2
    chosen = np.clip(np.arange(index - half, index + half + 1), 0, len(raw) - 1)
    return float(np.mean(raw[chosen]))


def fit_range_from_export(path, average_points):
    """The fit range of an exported region: its points, the background and the averaged end points
    that stand for the first and last intensities in the statistic."""
    rows = read_export_rows(path)
    raw = np.array([r[1] for r in rows])
    inside = [i for i, r in enumerate(rows) if r[2] is not None]
    if len(inside) < 2:
        raise ValueError(f"{path}: the export holds no fit range")
    x = np.array([rows[i][0] for i in inside])
    y = raw[inside].copy()
    y[0] = centred_average(raw, inside[0], average_points)
    y[-1] = centred_average(raw, inside[-1], average_points)
    background = np.array([rows[i][2] for i in inside])
    step = float(np.median(np.abs(np.diff(x))))
    return FitRange(x, y, background, step, float(x.min()), float(x.max()))


def write_binding_energy_table(source, destination, photon_energy):
    """A two-column text table in binding energy from a comma-separated one in kinetic energy."""
    data = np.genfromtxt(source, delimiter=",", comments="#", invalid_raise=False)
    data = data[np.all(np.isfinite(data[:, :2]), axis=1)]
    with open(destination, "w") as f:
        for kinetic, intensity in data[:, :2]:
            f.write(f"{photon_energy - kinetic:.6f} {intensity:.9g}\n")


def importable_file(source, local, work):
    """The file the program imports for a region: the fetched file itself, or a binding-energy table
    made from it in `work` when the file is in kinetic energy."""
    kinetic = source.get("kinetic_energy")
    if not kinetic:
        return local
    converted = os.path.join(work, "binding_energy.txt")
    write_binding_energy_table(local, converted, kinetic["photon_energy"] - kinetic["work_function"])
    return converted
