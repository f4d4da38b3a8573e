#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads a session written by orbitra-render with h5py alone, as docs/session-format.md
describes it, and checks its points against the ASCII export of the same run."""
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
        assert f.attrs["format_version"] == 1
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
        assert "views" not in f

    inside = buffer[(buffer["x"] >= xmin) & (buffer["x"] <= xmax) & (buffer["y"] >= ymin) & (buffer["y"] <= ymax)]
    assert 0 < len(inside) < len(buffer), (len(inside), len(buffer))
    assert len(inside) == len(exported), (len(inside), len(exported))
    # 12 decimals in the export: the stored doubles round to them.
    assert np.all(np.abs(inside["x"] - exported[:, 0]) <= 5.1e-13)
    assert np.all(np.abs(inside["y"] - exported[:, 1]) <= 5.1e-13)
print("session read with h5py: %d points, %d inside the box, equal to the export" % (len(buffer), len(inside)))
