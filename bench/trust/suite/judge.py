"""What a fit reached, judged against the reference minimum and the physical bounds."""
import re

import numpy as np

from . import bounds, lineshape

GOAL_RATIO = 1.001


def flagged_peaks(flags, verdict):
    """The numbers of the peaks the program's flags name: from `flags` entries (texts such as
    "peak 3: narrower than the data step", or objects with a "peak" member) and the verdict text."""
    named = set()
    for flag in flags:
        if isinstance(flag, dict) and "peak" in flag:
            named.add(int(flag["peak"]))
        else:
            named.update(int(n) for n in re.findall(r"peak (\d+)", str(flag)))
    flag_part = verdict.split("(")[0] if "with flags" in verdict else ""
    named.update(int(n) for n in re.findall(r"peak (\d+)", flag_part))
    return named


def owns_up(result):
    """Whether the program said the fit is not to be taken as it stands: flags, or a fit that ended
    still improving or stopped."""
    verdict = result["verdict"]
    return bool(result["flags"]) or "with flags" in verdict or verdict.startswith(("still improving", "stopped"))


def judge(result, fit_range, peaks, minimum):
    """Adds to a fitter's result its statistic, the ratio to the minimum and its unphysical peaks."""
    if "params" not in result:
        # A fit that ends in a message has said it failed: that is owning up.
        return dict(result, ratio=np.inf, unphysical={}, unflagged={}, owns_up=True)
    statistic = lineshape.statistic(fit_range, peaks, result["params"])
    judged = dict(result, statistic=statistic, ratio=statistic / minimum,
                  unphysical=bounds.unphysical_peaks(fit_range, peaks, result["params"]))
    if "verdict" in result:
        named = flagged_peaks(result["flags"], result["verdict"])
        numbers = result["peak_numbers"]
        judged["unflagged"] = {k: causes for k, causes in judged["unphysical"].items()
                               if numbers[k] not in named and ("narrow" in causes or "outside" in causes)}
        judged["owns_up"] = owns_up(result)
    return judged


def reaches(judged):
    return judged["ratio"] <= GOAL_RATIO
