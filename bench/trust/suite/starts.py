"""The starts of the suite: for every region its good start, poor starts drawn from it with a fixed
seed, and the two extreme cases."""
import zlib

import numpy as np

FAR_BELOW = 30.0  # eV below the fit range
FAR_AWAY = 1e30


def good_start(region):
    return np.array([[p["position"], p["area"], p["fwhm"], p["gl"]] for p in region["peaks"]], dtype=float)


def region_rng(seed, region):
    """A generator of its own for each region, so that adding a region changes no other's starts."""
    return np.random.default_rng([seed, zlib.crc32(region["name"].encode())])


def poor_start(good, rng):
    """Every peak moved 0.5-1 eV either way, its FWHM x1.5-2.5 and its area x0.2-0.5; %GL kept."""
    start = good.copy()
    count = len(good)
    start[:, 0] += rng.choice([-1.0, 1.0], count) * rng.uniform(0.5, 1.0, count)
    start[:, 2] *= rng.uniform(1.5, 2.5, count)
    start[:, 1] *= rng.uniform(0.2, 0.5, count)
    return start


def poor_starts(region, seed, count):
    rng = region_rng(seed, region)
    good = good_start(region)
    return [(f"poor {k + 1}", poor_start(good, rng)) for k in range(count)]


def extreme_starts(region):
    """The good start with its first peak placed 30 eV below the fit range, or at 1e30 eV."""
    below = good_start(region)
    below[0, 0] = min(region["range"]) - FAR_BELOW
    away = good_start(region)
    away[0, 0] = FAR_AWAY
    return [(f"{FAR_BELOW:g} eV below", below), ("at 1e30 eV", away)]
