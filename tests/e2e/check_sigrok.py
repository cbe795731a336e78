#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program's VCD files open in sigrok (PulseView's library) at the
recording's own resolution: sigrok takes each time unit of the file as a
sample, so the unit must be the coarsest power of ten not coarser than the
time between two reads, or a short recording fills the memory of the
analyser it is made for.

    check_sigrok.py --exe build/app/portprov

Exits 77 (skipped) where sigrok-cli is not installed."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path


def show(vcd):
    """sigrok-cli's sample rate and sample count of the file."""
    read = subprocess.run(["sigrok-cli", "-I", "vcd", "-i", str(vcd), "--show"],
                          capture_output=True, text=True, timeout=120)
    rate = re.search(r"Samplerate: (\d+)", read.stdout)
    count = re.search(r"Logic sample count: (\d+)", read.stdout)
    if read.returncode != 0 or not rate or not count:
        return None
    return int(rate[1]), int(count[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    if not shutil.which("sigrok-cli"):
        print("sigrok-cli is not installed")
        return 77
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    complaints = []
    with tempfile.TemporaryDirectory() as tmp:
        # A fixed 1 kHz for 1 s, and as fast as the simulated port goes.
        for args, fixed in ((["--rate", "1000", "--duration", "1"], 1000.0),
                            (["--duration", "0.01"], None)):
            vcd = Path(tmp) / "r.vcd"
            got = subprocess.run([exe, "--simulate", "--record", "889", *args, "--vcd", str(vcd)],
                                 capture_output=True, text=True, env=env, timeout=60)
            mean = re.search(r"\(([\d  ]+) i sekunden\)", got.stderr)
            length = re.search(r"på ([\d.,]+) (ns|µs|ms|s) ", got.stderr)
            shown = show(vcd) if vcd.exists() else None
            if got.returncode != 0 or not mean or not length or not shown:
                complaints.append(f"{args}: {got.returncode} {got.stderr!r}, sigrok {shown}")
                continue
            # The time between two reads: the period, or 1 / the mean rate.
            resolution = 1e9 / (fixed or float(re.sub(r"\D", "", mean[1])))
            unit = 1e9 / shown[0]
            samples = shown[1]
            if not unit <= resolution * 1.001 < 10 * unit:
                complaints.append(f"{args}: unit {unit} ns for a read each {resolution:.1f} ns")
            # The samples span the recording, as long as the summary says
            # (to its three or four digits).
            ns = float(length[1].replace(",", ".")) * {"ns": 1, "µs": 1e3, "ms": 1e6, "s": 1e9}[
                length[2]]
            if not 0.99 * ns <= samples * unit <= 1.01 * ns + unit:
                complaints.append(f"{args}: {samples} samples of {unit} ns for {ns} ns")
            if fixed and samples > 100_000:
                complaints.append(f"{args}: {samples} samples for 1 s at 1 kHz")
    for complaint in complaints:
        print(complaint)
    return 1 if complaints else 0


if __name__ == "__main__":
    sys.exit(main())
