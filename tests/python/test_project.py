"""Projects and regions through the module agree with vortlan-cli on the same files."""
import json
import os
import struct
import subprocess
import sys
import warnings

import numpy as np
import pytest

import vortlan

CLI = os.environ["VORTLAN_CLI"]
EXAMPLES = os.path.join(os.environ["VORTLAN_SOURCE_DIR"], "examples")
C1S = os.path.join(EXAMPLES, "c1s.vms")

READERS = [
    ("vamas", "c1s.vms"),
    ("vamas", "ti2p.vms"),
    ("kratos", "c1s.des"),
    ("leybold", "c1s.dat"),
    ("phi", "c1s.asc"),
    ("ascii", "c1s.txt"),
]


def cli(*args, cwd):
    return subprocess.run([CLI, *map(str, args)], cwd=cwd, capture_output=True, text=True, check=True).stdout


def saved_bytes(project, path):
    project.save(str(path))
    return path.read_bytes()


@pytest.fixture
def c1s_with_peak(tmp_path):
    """A C 1s project with a Shirley background and one peak, made by the tool."""
    cli("import", "vamas", C1S, "-o", "a.xps", cwd=tmp_path)
    cli("background", "a.xps", "--region", 1, "--low", 280, "--high", 294, "-o", "b.xps", cwd=tmp_path)
    cli("add-peak", "b.xps", "--region", 1, "--position", 284.8, "--fwhm", 1.2, "-o", "c.xps", cwd=tmp_path)
    return tmp_path / "c.xps"


@pytest.fixture
def two_blocks(tmp_path):
    """c1s.vms with its block twice, and a copy whose second block breaks off."""
    lines = open(C1S).read().split("\n")
    end = lines.index("end of experiment")
    header, block = lines[:17], lines[17:end]
    header[16] = "2"  # the number of blocks
    whole, damaged = tmp_path / "two.vms", tmp_path / "damaged.vms"
    whole.write_text("\n".join(header + block + block + lines[end:]))
    damaged.write_text("\n".join(header + block + block[:12] + ["x"]) + "\n")
    return whole, damaged


@pytest.mark.parametrize("fmt,name", READERS)
def test_every_reader_gives_the_project_the_tool_gives(tmp_path, fmt, name):
    path = os.path.join(EXAMPLES, name)
    cli("import", fmt, path, "-o", "tool.xps", cwd=tmp_path)
    expected = (tmp_path / "tool.xps").read_bytes()
    for chosen in (fmt, "auto"):
        assert saved_bytes(vortlan.import_spectrum(path, format=chosen), tmp_path / "module.xps") == expected
    info = json.loads(cli("info", "tool.xps", "--json", cwd=tmp_path))
    regions = vortlan.import_spectrum(path).regions
    assert [(r.number, r.caption) for r in regions] == [(r["region"], r["caption"]) for r in info["regions"]]


def test_a_chosen_block_and_the_block_list_agree_with_the_tool(tmp_path):
    path = os.path.join(EXAMPLES, "ti2p.vms")
    cli("import", "vamas", path, "--block", 1, "-o", "tool.xps", cwd=tmp_path)
    project = vortlan.import_spectrum(path, format="vamas", block=1)
    assert saved_bytes(project, tmp_path / "module.xps") == (tmp_path / "tool.xps").read_bytes()

    assert vortlan.list_blocks(path) == json.loads(cli("blocks", path, "--json", cwd=tmp_path))


def test_blocks_of_a_file_of_several_and_of_a_damaged_one(tmp_path, two_blocks):
    whole, damaged = two_blocks
    cli("import", "vamas", whole, "--block", 2, "-o", "tool.xps", cwd=tmp_path)
    project = vortlan.import_spectrum(whole, block=2)
    assert saved_bytes(project, tmp_path / "module.xps") == (tmp_path / "tool.xps").read_bytes()
    assert [b["block"] for b in vortlan.list_blocks(whole)] == [1, 2]

    with pytest.warns(UserWarning, match="block 2 cannot be read; the file announces 2 blocks"):
        blocks = vortlan.list_blocks(damaged)
    assert blocks == json.loads(cli("blocks", damaged, "--json", cwd=tmp_path))
    with pytest.raises(vortlan.Error, match="No such block in the file"):
        vortlan.import_spectrum(damaged, block=2)

    # A block whose points all lie at one energy keeps its number, and is said to be left out.
    flat = tmp_path / "flat.vms"
    flat.write_text(whole.read_text().replace("\n1190.600\n0.050\n", "\n1190.600\n0\n", 1))
    with pytest.warns(UserWarning, match="block 1 left out: its energy step is 0"):
        listed = vortlan.list_blocks(flat)
    assert [b["left_out"] for b in listed] == [listed[0]["left_out"], None]
    assert listed[0]["left_out"].startswith("its energy step is 0")
    with pytest.raises(vortlan.Error, match="No spectrum in this block: its energy step is 0"):
        vortlan.import_spectrum(flat, block=1)


def test_open_and_save_keep_the_project_to_the_byte(c1s_with_peak, tmp_path):
    project = vortlan.open(c1s_with_peak)  # a pathlib path as well as a str
    project.save(tmp_path / "again.xps")
    assert (tmp_path / "again.xps").read_bytes() == c1s_with_peak.read_bytes()
    assert [r.number for r in project.regions] == [1]
    assert project.region(1).core_level == "C 1s"
    assert vortlan.Project().regions == []


def test_a_failed_save_raises_and_leaves_the_previous_file(c1s_with_peak, tmp_path):
    before = c1s_with_peak.read_bytes()
    project = vortlan.open(str(c1s_with_peak))
    with pytest.raises(vortlan.Error, match="Error in writing file"):
        project.save(str(tmp_path / "no-such-folder" / "x.xps"))
    assert c1s_with_peak.read_bytes() == before


def test_a_project_without_its_additions_opens_with_a_warning(c1s_with_peak, tmp_path):
    damaged = tmp_path / "damaged.xps"
    damaged.write_bytes(c1s_with_peak.read_bytes()[:-5])
    with pytest.warns(UserWarning, match="could not be read: its regions and peaks are opened without them"):
        project = vortlan.open(str(damaged))
    assert project.region(1).core_level == ""
    assert len(project.region(1).energy) == 361


def test_nothing_is_said_when_all_goes_well(c1s_with_peak):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        vortlan.open(str(c1s_with_peak)).region(1).set_background(low=281)


def test_bad_files_formats_and_numbers_raise_the_programs_message(tmp_path):
    junk = tmp_path / "junk.xps"
    junk.write_bytes(b"hello")
    cases = [
        (lambda: vortlan.open(str(tmp_path / "missing.xps")), "Error in reading file"),
        (lambda: vortlan.open(str(junk)), "Error in reading file|Wrong file format"),
        (lambda: vortlan.import_spectrum(str(junk)), "cannot tell the format of"),
        (lambda: vortlan.import_spectrum(str(junk), format="vamas"), "Not a VAMAS file"),
        (lambda: vortlan.import_spectrum(C1S, format="spc"), "unknown format spc"),
        (lambda: vortlan.import_spectrum(C1S, block=2), "No such block in the file"),
        (lambda: vortlan.import_spectrum(C1S, format="phi", block=1),
         "a block is chosen only in a VAMAS file"),
        (lambda: vortlan.list_blocks(str(tmp_path / "missing.vms")), "cannot read"),
        (lambda: vortlan.import_spectrum(C1S).region(2), "region 2 holds no data"),
        (lambda: vortlan.import_spectrum(C1S).region(11), "no region 11"),
    ]
    for call, message in cases:
        with pytest.raises(vortlan.Error, match=message):
            call()


def test_the_spectrum_is_a_read_only_view_that_keeps_its_project(tmp_path):
    region = vortlan.import_spectrum(C1S).region(1)
    energy, counts = region.energy, region.counts
    del region
    assert energy.shape == counts.shape == (361,)
    assert energy.dtype == counts.dtype == np.float32
    assert not energy.flags.writeable and not energy.flags.owndata
    with pytest.raises(ValueError):
        counts[0] = 1.0
    # Highest binding energy first, 0.05 eV apart, as the file lays them out.
    assert energy[0] == 296.0 and energy[-1] == pytest.approx(278.0, abs=1e-3)
    assert np.all(np.diff(energy) < 0)


def test_the_acquisition_is_what_the_file_records(tmp_path):
    region = vortlan.import_spectrum(C1S).region(1)
    assert region.dwell_time == pytest.approx(0.1)
    assert region.scans == 10
    assert region.transmission is None
    assert region.counts_per_intensity is None  # "d" does not say counts
    # The same block in counts per second: 0.1 s x 10 scans make each c/s one count.
    lines = open(C1S).read().split("\n")
    lines[lines.index("Intensity") + 1] = "c/s"
    rates = tmp_path / "rates.vms"
    rates.write_text("\n".join(lines))
    region = vortlan.import_spectrum(str(rates)).region(1)
    assert region.intensity_unit == "c/s"
    assert region.counts_per_intensity == pytest.approx(1.0)


def test_curves_are_copies_over_the_fit_range(c1s_with_peak):
    region = vortlan.open(str(c1s_with_peak)).region(1)
    n = len(region.range_energy)
    assert n == 281  # 294 down to 280 eV in 0.05 eV steps
    curves = [region.range_counts, region.background, region.envelope, region.residual]
    curves += list(region.peak_curves.values())
    assert list(region.peak_curves) == [0]  # the peak table numbers from 0, as the tool does
    for curve in curves:
        assert curve.shape == (n,) and curve.dtype == np.float32 and curve.flags.writeable
    np.testing.assert_allclose(region.residual, region.range_counts - region.envelope, rtol=1e-4, atol=1e-2)
    # The peak's curve stands on the background.
    assert np.all(region.peak_curves[0] >= region.background - 1e-3)
    region.background[:] = 0
    assert region.background.any()


def test_before_a_background_the_fit_range_is_empty():
    region = vortlan.import_spectrum(C1S).region(1)
    assert region.range_energy.shape == region.background.shape == (0,)
    assert region.peak_curves == {}


@pytest.mark.parametrize("args,kwargs", [
    (["--type", "shirley", "--low", 280, "--high", 294, "--average", 5],
     dict(type="shirley", low=280, high=294, average=5)),
    (["--type", "linear", "--low", 282.5], dict(type="linear", low=282.5)),
    (["--type", "tougaard", "--b1", 2500], dict(type="tougaard", b1=2500)),
    (["--slope", 0.002, "--high", 292], dict(slope=0.002, high=292)),
])
def test_set_background_does_what_the_tools_background_does(c1s_with_peak, tmp_path, args, kwargs):
    cli("background", c1s_with_peak, "--region", 1, *args, "-o", "tool.xps", cwd=tmp_path)
    project = vortlan.open(str(c1s_with_peak))
    project.region(1).set_background(**kwargs)
    assert saved_bytes(project, tmp_path / "module.xps") == (tmp_path / "tool.xps").read_bytes()


def test_refused_backgrounds_raise_the_dialogs_words(c1s_with_peak):
    region = vortlan.open(str(c1s_with_peak)).region(1)
    with pytest.raises(vortlan.Error, match="Low BE outside the data: set to its lowest BE, 278"):
        region.set_background(low=100)
    with pytest.raises(vortlan.Error, match="Ave. Pts must be None, 3, 5, 7 or 9"):
        region.set_background(average=4)
    with pytest.raises(vortlan.Error, match="unknown background type spline"):
        region.set_background(type="spline")
    assert len(region.range_energy) == 281
    # A number too large to store is put back to its default and taken, with the dialog's words.
    with pytest.warns(UserWarning, match="Slope too large to store: set to 0"):
        region.set_background(slope=1e40)


def test_render_draws_what_the_tools_render_draws(c1s_with_peak, tmp_path):
    region = vortlan.open(str(c1s_with_peak)).region(1)
    for residuals, colour, flags in [(False, True, ["--colour"]), (True, False, ["--residuals"])]:
        cli("render", c1s_with_peak, "--region", 1, "--size", "640x400", *flags, "-o", "tool.png",
            cwd=tmp_path)
        png = region.render(width=640, height=400, residuals=residuals, colour=colour)
        assert png[:8] == b"\x89PNG\r\n\x1a\n"
        assert struct.unpack(">II", png[16:24]) == (640, 400)
        assert png == (tmp_path / "tool.png").read_bytes()
    with pytest.raises(vortlan.Error, match="positive width and height"):
        region.render(width=0)


def test_without_the_picture_module_render_says_so(c1s_with_peak, monkeypatch):
    monkeypatch.setitem(sys.modules, "vortlan._pictures", None)  # as in a build without Qt
    with pytest.raises(vortlan.Error, match="pictures are not available"):
        vortlan.open(str(c1s_with_peak)).region(1).render()


def test_qt_is_loaded_only_by_the_first_picture(c1s_with_peak):
    script = (
        "import vortlan\n"
        "def qt(): return 'libQt6Core' in open('/proc/self/maps').read()\n"
        f"region = vortlan.open({str(c1s_with_peak)!r}).region(1)\n"
        "before = qt(); region.render(); print(before, qt())\n"
    )
    out = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, check=True).stdout
    assert out.split() == ["False", "True"]


def test_a_new_project_takes_the_options_of_default_opa_in_the_working_folder(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    assert vortlan.Project().options["method"] == "lm"  # the built-in options
    cli("options", "write", "default.opa", "--method", "newton", "--trials", 40, "--tolerance", 0.5,
        "--gl", "product", cwd=tmp_path)
    options = vortlan.Project().options
    assert options == dict(options, method="newton", newton_trials=40, tolerance=0.005, gl_form="product")
