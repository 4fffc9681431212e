"""Vortlan's fitting engine from Python: projects, spectra, peaks, fits, quantification.

The same core as the desktop program and vortlan-cli; see docs/python.md.
"""
from ._vortlan import *  # noqa: F401,F403
from ._vortlan import __doc__  # noqa: F401
from ._file_fits import fit_file  # noqa: F401
