"""fit_file against `vortlan-cli batch`: the same rows, cell by cell; plain, picklable results; the
batch's refusals as vortlan.Error; and the same fits spread over a local Dask cluster."""
import csv
import os
from concurrent.futures import ThreadPoolExecutor
import pickle
import subprocess

import numpy as np
import pytest

import vortlan

CLI = os.environ["VORTLAN_CLI"]
BUILD = os.path.dirname(os.path.dirname(os.path.abspath(CLI)))
SOURCE = os.environ["VORTLAN_SOURCE_DIR"]
SERIES = 200


@pytest.fixture(scope="module")
def series(tmp_path_factory):
    """A synthetic C 1s series with its model and Levenberg-Marquardt options, absolute paths."""
    directory = tmp_path_factory.mktemp("series")
    subprocess.run([os.path.join(SOURCE, "bench", "batch_spectra"), BUILD, str(SERIES), str(directory)],
                   check=True, capture_output=True)
    spectra = directory / "spectra"
    return {
        "dir": directory,
        "files": sorted(str(spectra / name) for name in os.listdir(spectra)),
        "model": str(directory / "model.rpa"),
        "options": str(directory / "lm.opa"),
        "series": str(directory / "c1s-series.vms"),
    }


def batch(series, inputs, *extra):
    """summary.csv's rows as dicts of text cells, and what the batch printed on stderr."""
    out = series["dir"] / ("out-%d" % len(os.listdir(series["dir"])))
    done = subprocess.run([CLI, "batch", "--jobs", "1", "--outputs", "none", "--model", series["model"],
                           "--options", series["options"], "--out", str(out), *extra, *inputs],
                          cwd=series["dir"], capture_output=True, text=True)
    with open(out / "summary.csv", newline="") as f:
        return list(csv.DictReader(f)), done.stderr


def assert_same_row(fitted, written):
    """Every cell of the summary's row equal to the dict's value, numbers to the single they stand for."""
    assert list(fitted) == list(written)
    for key, cell in written.items():
        value = fitted[key]
        if key == "flags":
            assert value == cell
        elif cell == "":
            assert value is None, key
        elif key == "converged":
            assert value is (cell == "yes")
        elif key in ("file", "block_label") or key.endswith("_gl") or key == "block":
            assert str(value) == cell, key
        else:
            assert type(value) is float, key
            assert float(np.float32(value)) == value, key
            assert np.float32(cell) == np.float32(value), (key, cell, value)


def test_rows_equal_the_batch_summary_cell_by_cell(series):
    files = series["files"][:12]
    written, _ = batch(series, files)
    fitted = [vortlan.fit_file(f, series["model"], options=series["options"]) for f in files]
    assert len(written) == len(fitted)
    for row, cells in zip(fitted, written):
        assert_same_row(row, cells)
    # The fits run without the GIL: threads fit side by side, each in a session of its own.
    with ThreadPoolExecutor(max_workers=3) as pool:
        fit = lambda f: vortlan.fit_file(f, series["model"], options=series["options"])  # noqa: E731
        threaded = list(pool.map(fit, files))
    assert threaded == fitted
    assert any(cell == "" for row in written for cell in row.values()), "some errors are empty cells"


def test_a_block_of_a_many_block_file_equals_the_batch_of_that_block(series):
    written, _ = batch(series, [series["series"]], "--blocks", "3,7")
    for cells in written:
        block = int(cells["block"])
        fitted = vortlan.fit_file(series["series"], series["model"], options=series["options"], block=block)
        assert_same_row(fitted, cells)
    assert [int(c["block"]) for c in written] == [3, 7]


def test_arrays_are_copies_over_the_fitted_range_and_pickle_with_the_row(series):
    row = vortlan.fit_file(series["files"][0], series["model"], options=series["options"], arrays=True)
    curves = row["peak_curves"]
    n = row["energy"].shape[0]
    assert n > 0 and curves.shape == (4, n)
    for name in ("counts", "background", "envelope"):
        assert row[name].shape == (n,)
    for array in (row["energy"], curves):
        assert array.flags.owndata and array.flags.writeable
    # Each curve is its peak over the background; the envelope is the background and every peak.
    peaks = curves.astype(np.float64) - row["background"]
    assert np.allclose(row["background"] + peaks.sum(axis=0), row["envelope"], rtol=1e-5, atol=1e-2)
    assert np.all(np.diff(row["energy"]) != 0)

    # Executors send the function itself to their workers.
    assert pickle.loads(pickle.dumps(vortlan.fit_file)) is vortlan.fit_file
    again = pickle.loads(pickle.dumps(row))
    assert again.keys() == row.keys()
    for key, value in row.items():
        if isinstance(value, np.ndarray):
            assert np.array_equal(again[key], value)
        else:
            assert type(value) in (str, int, float, bool, type(None)) and again[key] == value


def test_a_spectrum_the_batch_skips_raises_the_programs_message(series, tmp_path):
    garbage = tmp_path / "garbage.vms"
    garbage.write_text("not a spectrum at all\n")
    missing = str(tmp_path / "missing.vms")
    written, said = batch(series, [series["files"][0], str(garbage), missing])
    assert len(written) == 1
    for path in (str(garbage), missing):
        with pytest.raises(vortlan.Error) as raised:
            vortlan.fit_file(path, series["model"], options=series["options"])
        message = str(raised.value)
        assert message and all(line in said for line in message.splitlines()), message

    with pytest.raises(vortlan.Error, match="block 999: no such block in the file"):
        vortlan.fit_file(series["series"], series["model"], options=series["options"], block=999)
    with pytest.raises(vortlan.Error):
        vortlan.fit_file(series["files"][0], str(tmp_path / "no-model.rpa"), options=series["options"])


def test_a_local_dask_cluster_fits_the_series_as_the_batch_does(series):
    distributed = pytest.importorskip("distributed")
    written, _ = batch(series, series["files"])
    # The workers are processes of their own: they import vortlan from the same PYTHONPATH.
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        futures = client.map(vortlan.fit_file, series["files"], model=series["model"],
                             options=series["options"])
        fitted = client.gather(futures)
    assert len(fitted) == len(written) == SERIES
    for row, cells in zip(fitted, written):
        assert_same_row(row, cells)
