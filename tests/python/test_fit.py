"""Peaks, constraints, fits, standard errors, quantification and exports through the module, held to
what vortlan-cli gives for the same steps."""
import json
import os
import signal
import subprocess
import threading

import numpy as np
import pytest

import vortlan

C1S_PEAKS = [(284.8, 1.2), (286.3, 1.3), (287.8, 1.35), (289.0, 1.4)]


def cli(*args, cwd):
    result = subprocess.run([os.environ["VORTLAN_CLI"], *map(str, args)], cwd=cwd,
                            capture_output=True, text=True, check=True)
    return result.stdout


@pytest.fixture
def work(tmp_path):
    """A directory holding background.xps: the C 1s example with a Shirley background accepted over
    the whole range and its core level named."""
    example = os.path.join(os.environ["VORTLAN_SOURCE_DIR"], "examples", "c1s.vms")
    cli("import", "vamas", example, "-o", "imported.xps", cwd=tmp_path)
    cli("background", "imported.xps", "--region", 1, "-o", "shirley.xps", cwd=tmp_path)
    cli("element", "shirley.xps", "--region", 1, "--line", "C 1s", "-o", "background.xps", cwd=tmp_path)
    return tmp_path


def cli_model(work):
    """The four C 1s peaks added with vortlan-cli: model.xps."""
    cli("add-peak", "background.xps", "--region", 1, "--position", 284.8, "--fwhm", 1.2, "-o", "m1.xps", cwd=work)
    for n, (position, fwhm) in enumerate(C1S_PEAKS[1:], start=1):
        cli("add-peak", f"m{n}.xps", "--region", 1, "--position", position, "--fwhm", fwhm, "-o", f"m{n + 1}.xps",
            cwd=work)
    os.replace(work / "m4.xps", work / "model.xps")


def python_model(work):
    project = vortlan.open(str(work / "background.xps"))
    region = project.regions[0]
    for position, fwhm in C1S_PEAKS:
        region.add_peak(position=position, fwhm=fwhm)
    return project, region


def info(work, name):
    return json.loads(cli("info", name, "--json", cwd=work))


def same_single(a, b):
    """Equal as the single-precision numbers the program stores (JSON writes their shortest text)."""
    return (a is None and b is None) or (a is not None and b is not None and np.float32(a) == np.float32(b))


def test_lm_fit_equals_the_cli_to_the_last_stored_digit(work):
    cli_model(work)
    cli("fit", "model.xps", "--region", 1, "--method", "lm", "-o", "cli.xps", cwd=work)
    project, region = python_model(work)
    region.fit(method="lm")
    project.save(str(work / "python.xps"))
    assert (work / "python.xps").read_bytes() == (work / "cli.xps").read_bytes()

    assert region.verdict == "converged"
    assert region.flags == [] and region.restarts is None
    expected = info(work, "cli.xps")["regions"][0]
    assert same_single(region.chi_square, expected["chiSquare"])
    errors = region.standard_errors()
    assert list(errors) == [peak.number for peak in region.peaks]
    for peak in expected["peaks"]:
        for name, value in peak["stderr"].items():
            assert same_single(errors[peak["peak"]][name], value), (peak["peak"], name)

    statistics = region.fit_statistics()
    shown = expected["fitStatistics"]
    for key, name in [("reduced_chi_square", "reducedChiSquare"), ("residual_rms", "residualRms")]:
        assert same_single(statistics[key], shown[name]), key
    assert (statistics["points"], statistics["free_parameters"]) == (shown["points"], shown["freeParameters"])
    assert statistics["parameters"] == [(p["peak"], p["parameter"]) for p in shown["parameters"]]
    correlation = statistics["correlation"]
    assert correlation.shape == (shown["freeParameters"],) * 2
    assert np.allclose(correlation, correlation.T, equal_nan=True)
    assert all(same_single(a, b) for a, b in zip(correlation.ravel(), np.ravel(shown["correlation"])))
    assert vortlan.open(str(work / "imported.xps")).regions[0].fit_statistics() == {}  # no background


def test_peaks_read_back_as_the_dialog_stored_them(work):
    project, region = python_model(work)
    first, second = region.peaks[:2]
    assert [p.position for p in region.peaks] == pytest.approx([p for p, _ in C1S_PEAKS])
    assert first.type == "singlet" and first.fixed == {"position": False, "area": False, "fwhm": False, "gl": True}

    second.type = "p"
    second.splitting = 0.6
    second.fix_gl = False
    second.fixed = {"position": True}
    assert (second.type, second.fix_gl, second.fix_position) == ("p", False, True)
    assert second.splitting == pytest.approx(0.6)

    second.height = 40
    assert second.height == pytest.approx(40, rel=1e-5)
    second.gl = 30.5  # rounded half to even, as the %GL box rounds
    assert second.gl == 30
    # The tail is kept within its range and the dialog says why; the peak keeps the corrected value.
    with pytest.warns(UserWarning, match="TS above 1: kept 1"):
        second.tail = (1.5, 0.001)
    assert second.tail == pytest.approx((1.0, 0.01))

    region.delete_peak(first)
    assert [p.number for p in region.peaks] == [1, 2, 3]
    with pytest.raises(vortlan.Error, match="is not defined"):
        first.position
    # A new peak may take the deleted one's number; the old reference still names the deleted peak.
    newcomer = region.add_peak(position=284.0, area=500, fwhm=1.0)
    assert newcomer.number == first.number
    with pytest.raises(vortlan.Error, match="is not defined"):
        first.position
    assert newcomer.position == pytest.approx(284.0)


def test_refused_values_raise_with_the_programs_words_and_change_nothing(work):
    project, region = python_model(work)
    peak = region.peaks[0]
    before = (peak.position, peak.fwhm, peak.area, peak.gl)
    with pytest.raises(vortlan.Error, match="^FWHM must be >0$"):
        peak.fwhm = 0
    with pytest.raises(vortlan.Error, match="^%GL must be in the range 0-100$"):
        peak.gl = 101
    assert (peak.position, peak.fwhm, peak.area, peak.gl) == before

    with pytest.raises(vortlan.Error, match="^FWHM must be >0$"):
        region.add_peak(position=285, fwhm=-1)
    assert len(region.peaks) == 4
    with pytest.raises(ValueError):
        peak.position = float("nan")
    with pytest.raises(ValueError):
        region.add_peak(type="q")
    with pytest.raises(vortlan.Error, match="^region 1 has no accepted background$"):
        vortlan.open(str(work / "imported.xps")).regions[0].add_peak()


def test_ties_and_limits_as_the_constraint_dialog_takes_them(work):
    project, region = python_model(work)
    first, second, third = region.peaks[:3]
    second.tie("area", first, "*", 0.5)
    assert second.area == pytest.approx(first.area * 0.5)
    assert second.constraints["area"]["tie"] == {"peak": first.number, "op": "*", "operand": 0.5}

    with pytest.raises(vortlan.Error, match="^Wrong Reference Peak$"):
        third.tie("position", 40)
    with pytest.raises(vortlan.Error, match="^Wrong Reference Peak$"):
        third.tie("position", third)
    with pytest.raises(vortlan.Error, match="^Circular Reference$"):
        first.tie("area", second)
    with pytest.raises(vortlan.Error, match=r"^\*0 or /0 not allowed$"):
        third.tie("fwhm", first, "/", 0)
    assert third.constraints["position"]["tie"] is None

    third.limit("fwhm", 0.8, 2.0)
    assert third.constraints["fwhm"]["limits"] == pytest.approx((0.8, 2.0))
    with pytest.raises(vortlan.Error, match="^Range Invalid$"):
        third.limit("fwhm", 2.0, 0.8)
    with pytest.raises(vortlan.Error, match="^Out of Range$"):
        third.limit("gl", 0, 120)
    assert third.constraints["fwhm"]["limits"] == pytest.approx((0.8, 2.0))

    second.untie("area")
    third.unlimit("fwhm")
    assert second.constraints["area"]["tie"] is None and third.constraints["fwhm"]["limits"] is None


def test_quantification_equals_the_cli(work):
    cli_model(work)
    cli("fit", "model.xps", "--region", 1, "--method", "lm", "-o", "fitted.xps", cwd=work)
    project = vortlan.open(str(work / "fitted.xps"))
    for arguments, settings in [((), {}), (("--area", "background", "--source-energy", "1253.6"),
                                           {"area": "background", "source_energy": 1253.6})]:
        expected = json.loads(cli("quantify", "fitted.xps", "--json", *arguments, cwd=work))["regions"]
        rows = project.quantify(**settings)
        assert len(rows) == len(expected)
        for row, want in zip(rows, expected):
            assert (row["region"], row["level"], row["area_used"]) == (want["region"], want["level"], want["areaUsed"])
            for key, json_key in [("area", "area"), ("area_error", "areaError"), ("factor", "factor"),
                                  ("atomic_percent", "atomicPercent"), ("source_energy", "sourceEnergy")]:
                assert same_single(row[key], want[json_key]), key
            assert [c["peak"] for c in row["components"]] == [c["peak"] for c in want["components"]]
            for component, want_component in zip(row["components"], want["components"]):
                assert same_single(component["area_error"], want_component["areaError"])
    # The settings of a call hold for that call only.
    assert project.quantify()[0]["area_used"] == "peaks"
    # Exponents that make a factor 0 are refused with the region they spoil, as the tool refuses them.
    cli("element", "fitted.xps", "--region", 1, "--line", "O 1s", "-o", "oxygen.xps", cwd=work)
    oxygen = vortlan.open(str(work / "oxygen.xps"))
    with pytest.raises(ValueError, match=r"m = 1000 and n = 0 make the factor of region 1 \(O 1s\) 0"):
        oxygen.quantify(imfp_exponent=1000)
    assert oxygen.quantify(imfp_exponent=2)[0]["atomic_percent"] == pytest.approx(100)


def test_exports_equal_the_clis_and_a_failed_write_raises(work):
    cli_model(work)
    cli("fit", "model.xps", "--region", 1, "--method", "lm", "-o", "fitted.xps", cwd=work)
    project = vortlan.open(str(work / "fitted.xps"))
    region = project.regions[0]
    for command, method in [("spectrum", region.export_dat), ("peaks", region.export_par),
                            ("report", region.export_report)]:
        cli("export", command, "fitted.xps", "--region", 1, "-o", f"cli.{command}", cwd=work)
        method(str(work / f"python.{command}"))
        assert (work / f"python.{command}").read_bytes() == (work / f"cli.{command}").read_bytes(), command
    with pytest.raises(vortlan.Error, match="^Error in writing file$"):
        region.export_par(str(work / "missing" / "out.par"))
    with pytest.raises(vortlan.Error, match="^region 1 has no accepted background$"):
        vortlan.open(str(work / "imported.xps")).regions[0].export_par(str(work / "none.par"))

    # Ctrl+C stops a report's Monte Carlo replicas: nothing is written, the project goes on.
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            region.export_report(str(work / "python.report"), monte_carlo=100000)
    finally:
        timer.cancel()
    assert (work / "python.report").read_bytes() == (work / "cli.report").read_bytes()
    region.export_report(str(work / "python.report"), monte_carlo=5)


def test_options_and_methods_refused_before_fitting(work):
    project, region = python_model(work)
    with pytest.raises(ValueError):
        region.fit(method="simplex")
    with pytest.raises(ValueError):
        region.fit(method="lm", options={"trials": 5})
    with pytest.raises(ValueError):
        region.fit(options={"speed": 1})
    with pytest.raises(vortlan.Error, match="^Error in reading file$"):
        region.fit(options=str(work / "missing.opa"))
    with pytest.raises(vortlan.Error, match="^no region has an accepted background$"):
        vortlan.open(str(work / "imported.xps")).fit_all()
    assert region.verdict is None


def ten_peaks(tmp_path):
    """A project whose region has ten peaks over 4000 points, started off their places: a search of a
    second or more."""
    energies = np.linspace(320, 270, 4000)
    centres = np.linspace(275, 315, 10)
    counts = 1000 + sum(5000 * np.exp(-((energies - c) / 1.0) ** 2) for c in centres)
    np.savetxt(tmp_path / "ten.txt", np.c_[energies, counts], fmt="%.4f", delimiter="\t", header="BE\tI",
               comments="")
    cli("import", "ascii", "ten.txt", "-o", "ten.xps", cwd=tmp_path)
    cli("background", "ten.xps", "--region", 1, "--type", "linear", "-o", "linear.xps", cwd=tmp_path)
    project = vortlan.open(str(tmp_path / "linear.xps"))
    region = project.regions[0]
    for centre in centres:
        region.add_peak(position=centre + 0.7, fwhm=2.0)
    return project, region


def test_ctrl_c_stops_a_long_fit_and_keeps_its_result(tmp_path):
    project, region = ten_peaks(tmp_path)
    start = [(p.position, p.area, p.fwhm) for p in region.peaks]

    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            region.fit(method="search", options={"trials": 200})
    finally:
        timer.cancel()
    assert [(p.position, p.area, p.fwhm) for p in region.peaks] != start
    assert region.verdict == "stopped"
    region.fit(method="lm")  # the project goes on working
    assert region.verdict == "converged"


def test_a_project_being_fitted_in_another_thread_refuses_every_call_until_the_fit_ends(tmp_path):
    project, region = ten_peaks(tmp_path)
    peak = region.peaks[0]
    fit = threading.Thread(target=region.fit, kwargs={"method": "search", "options": {"trials": 60}})
    fit.start()
    refused = []
    while fit.is_alive() and not refused:
        try:
            peak.position
        except vortlan.Error as refusal:
            refused.append(str(refusal))
    calls = [lambda: region.peaks, lambda: setattr(peak, "fwhm", 1.5), lambda: region.add_peak(position=300),
             lambda: region.fit(), lambda: region.standard_errors(), lambda: project.options,
             lambda: project.save(str(tmp_path / "during.xps")), lambda: region.render(200, 100)]
    for call in calls:
        try:
            call()
        except vortlan.Error as refusal:
            refused.append(str(refusal))
    running = fit.is_alive()
    fit.join()
    assert refused, "the fit ended before it was seen running"
    if running:  # every call came while the fit ran
        assert refused == ["the project is being fitted in another thread"] * (len(calls) + 1)
        assert not (tmp_path / "during.xps").exists()
    assert len(region.peaks) == 10 and region.peaks[0].fwhm != 1.5
    region.fit(method="lm")  # the project goes on working


def test_flags_and_the_instrument_limit_are_those_of_the_cli(work):
    """A fifth peak with nothing to fit is flagged, in the same words as info's; the instrument's limit
    is checked as the Options window checks it and is saved with the project."""
    cli_model(work)
    cli("add-peak", "model.xps", "--region", 1, "--position", 293.0, "--fwhm", 0.3, "--area", 5,
        "-o", "five.xps", cwd=work)
    cli("fit", "five.xps", "--region", 1, "--method", "lm", "--instrument-fwhm", 0.4, "-o", "cli.xps", cwd=work)
    project = vortlan.open(str(work / "five.xps"))
    assert project.instrument_fwhm is None
    for refused in (0.0, -1.0, 25.0):
        with pytest.raises(vortlan.Error):
            project.instrument_fwhm = refused
    project.instrument_fwhm = 0.4
    region = project.regions[0]
    region.fit(method="lm")
    expected = info(work, "cli.xps")["regions"][0]
    assert region.verdict == expected["verdict"] == "converged, with flags"
    assert region.flags == expected["flags"] and any(flag.startswith("peak 4: ") for flag in region.flags)
    assert region.restarts == expected["restarts"]
    project.save(str(work / "python.xps"))
    assert vortlan.open(str(work / "python.xps")).instrument_fwhm == 0.4
    assert vortlan.open(str(work / "python.xps")).regions[0].flags == region.flags
