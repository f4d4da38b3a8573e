#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads sessions written by orbitra-render with h5py alone, as docs/session-format.md
describes them, and checks their points against the ASCII export of the same run, and an
orbit diagram's counts and a parameter plane's values against their text exports."""
import subprocess
import sys
import tempfile
from pathlib import Path

import h5py
import numpy as np

render = str(Path(sys.argv[1]).resolve())
with tempfile.TemporaryDirectory() as folder:
    folder = Path(folder)
    # A range whose x and y widths differ and an odd number of iterations; part of the
    # orbit lies outside the box, so the export (inside the box only) is a true subset.
    subprocess.run([render, "--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1",
                    "--from", "0.1,0.1", "--iterations", "4999", "--colour", "Blue",
                    "--range", "-0.05,1.1,0,0.35", "--export", "points.dat", "--high-accuracy",
                    "--save-session", "run.orbitra.h5"], cwd=folder, check=True)
    exported = np.loadtxt(folder / "points.dat", ndmin=2)

    with h5py.File(folder / "run.orbitra.h5", "r") as f:
        assert f.attrs["format"] == "Orbitra session", f.attrs["format"]
        assert f.attrs["format_version"] == 2
        assert f["map"].attrs["name"] == "Henon D-C Map"
        assert f["map"].attrs["system"] == 2
        assert (f["map"].attrs["k1"], f["map"].attrs["k2"]) == (1.4, 0.3)
        assert f["run/settings"].attrs["iterations"] == 4999
        box = f["boxes/xy"].attrs
        xmin, xmax, ymin, ymax = box["xmin"], box["xmax"], box["ymin"], box["ymax"]
        buffer = f["store/buffer"][...]
        assert f["store"].attrs["buf"] == len(buffer) == 4999, len(buffer)
        assert len(f["store/stream"]) == f["store"].attrs["dsk"] == 0
        assert set(buffer["colour"]) == {f["run"].attrs["run_colour"]}
        assert f["views"].attrs["sweep_views"] == 0
        assert len(f["views/periodic_orbits/period"]) == 0 and f["views/manifolds/points"].shape == (0, 2)

    inside = buffer[(buffer["x"] >= xmin) & (buffer["x"] <= xmax) & (buffer["y"] >= ymin) & (buffer["y"] <= ymax)]
    assert 0 < len(inside) < len(buffer), (len(inside), len(buffer))
    assert len(inside) == len(exported), (len(inside), len(exported))
    # 12 decimals in the export: the stored doubles round to them.
    assert np.all(np.abs(inside["x"] - exported[:, 0]) <= 5.1e-13)
    assert np.all(np.abs(inside["y"] - exported[:, 1]) <= 5.1e-13)

    henon = ["--map", "Henon D-C Map", "--k1", "1.4", "--k2", "0.3", "--k3", "1", "--from", "0.1,0.1"]
    subprocess.run([render] + henon + ["--orbit-diagram", "k1=1.0:1.4", "--coordinate-range", "-1.4,1.3",
                    "--points", "700", "--size", "433x271", "--export", "counts.txt",
                    "--save-session", "diagram.orbitra.h5"], cwd=folder, check=True)
    subprocess.run([render] + henon + ["--parameter-plane", "k1=0.9:1.45,k2=0.05:0.35", "--transient", "200",
                    "--size", "301x223", "--export", "values.txt", "--save-session", "plane.orbitra.h5"],
                   cwd=folder, check=True)
    counts_text = np.loadtxt(folder / "counts.txt", ndmin=2)
    values_text = np.loadtxt(folder / "values.txt", ndmin=2)

    def centres(lo, hi, n):
        return lo + (np.arange(n) + 0.5) * ((hi - lo) / n)

    with h5py.File(folder / "diagram.orbitra.h5", "r") as f:
        assert f["views"].attrs["sweep_views"] == 1
        view = f["views/0"]
        assert view.attrs["kind"] == "orbit_diagram"
        assert (view.attrs["picture_width"], view.attrs["picture_height"]) == (433, 271)
        shown = view["history/%d" % view.attrs["history_current"]].attrs
        assert (shown["parameter"], shown["parameter_min"], shown["parameter_max"]) == (0, 1.0, 1.4)
        assert (shown["coordinate_min"], shown["coordinate_max"], shown["points"]) == (-1.4, 1.3, 700)
        counts = view["counts"][...]  # [column, row], rows from the bottom
        assert counts.dtype == np.uint32 and np.all(view["units_done"][...] == 1)
        columns, rows = counts.shape
        # Every column counts its 700 points, unless it escaped or some left the range.
        assert counts.sum(axis=1).max() == 700
        column, row = np.nonzero(counts)  # columns left to right, rows bottom to top: the export's order
        p = centres(1.0, 1.4, columns)[column]
        q = centres(-1.4, 1.3, rows)[row]
    assert len(column) == len(counts_text) > 0, (len(column), len(counts_text))
    assert np.array_equal(counts[column, row], counts_text[:, 2])
    assert np.all(np.abs(p - counts_text[:, 0]) <= 1e-15 * 2) and np.all(np.abs(q - counts_text[:, 1]) <= 1e-15 * 2)

    with h5py.File(folder / "plane.orbitra.h5", "r") as f:
        view = f["views/0"]
        assert view.attrs["kind"] == "parameter_plane"
        shown = view["history/0"].attrs
        assert (shown["xmin"], shown["xmax"], shown["ymin"], shown["ymax"]) == (0.9, 1.45, 0.05, 0.35)
        values = view["value"][...]  # [row, column], rows from the bottom
        assert values.dtype == np.int32 and np.all(view["done"][...] == 1)
        rows, columns = values.shape
        lambda1 = view["lambda1"][...]
        assert lambda1.shape == values.shape
        p, q = np.meshgrid(centres(0.9, 1.45, columns), centres(0.05, 0.35, rows))
    assert values_text.shape == (rows * columns, 3), values_text.shape
    assert np.array_equal(values.ravel(), values_text[:, 2])
    assert np.all(np.abs(p.ravel() - values_text[:, 0]) <= 2e-15) and np.all(np.abs(q.ravel() - values_text[:, 1]) <= 2e-15)
    # Escapes, chaos (0) and the period-doubling cascade: the plane is not one colour.
    assert {-1, 0, 2, 4}.issubset(set(np.unique(values))), np.unique(values)
    assert np.all(np.isnan(lambda1[values == -1]))

print("session read with h5py: %d points, %d inside the box, equal to the export; "
      "%d diagram counts and %d plane values equal to theirs" % (len(buffer), len(inside), len(column), rows * columns))
