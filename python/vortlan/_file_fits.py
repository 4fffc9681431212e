"""fit_file: one spectrum file fitted as `vortlan-cli batch` fits it, for any executor."""
from . import _vortlan


# A function of Python's own rather than the extension's: executors (concurrent.futures,
# multiprocessing, Dask) send it to their workers by pickling it, and pickle names a Python function
# by its module but cannot name a function of an extension module.
def fit_file(path, model, options=None, block=None, arrays=False):
    """Fit one spectrum file exactly as ``vortlan-cli batch --jobs 1`` fits it.

    The file is imported into region 1 of a session of its own (the format told from its contents,
    or VAMAS block ``block``, numbered from 1 as the block chooser numbers them), the region parameter
    file ``model`` (.rpa) is loaded there, its background accepted and the region optimised with the
    options of ``options`` (an .opa file; without it those of default.opa in the working directory,
    or the built-in ones).  Nothing is printed.

    Returns the row ``batch`` writes to summary.csv as a plain dict with the same keys in the same
    order: file, (block, block_label when a block was given), chi_square, then for each peak N
    peakN_position, peakN_area, peakN_fwhm, peakN_gl, peakN_share, peakN_position_err,
    peakN_area_err, peakN_fwhm_err, peakN_gl_err, then (when the region has a core level)
    peakN_atomic_percent and peakN_atomic_percent_err, and converged (a bool).  Numbers are the
    single-precision values the summary writes, as Python floats; an empty cell is None.

    With ``arrays=True`` the dict also holds float32 NumPy copies over the fitted range: energy,
    counts, background, envelope and peak_curves (one row a peak, each the peak plus the background).

    The dict pickles cleanly (plain types and NumPy arrays only).  The fit runs without the GIL, so
    threads fit in parallel too.  Raises vortlan.Error with the program's message for a spectrum the
    batch would skip (a file it cannot read or import, a model it cannot load, a block the file
    lacks).
    """
    return _vortlan._fit_file(path, model, options, block, arrays)
