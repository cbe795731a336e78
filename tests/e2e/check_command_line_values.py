#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""What the real program answers to what a user types on its command line:
every bad value of every option is a bad command line (status 2) that does
nothing; --duration has one bound; --vcd and --csv together save both; a file
that cannot be read says why; a mistyped option is answered with the nearest;
summaries write Swedish numbers whatever the locale, files the point.

    check_command_line_values.py --exe build/app/portprov"""

import argparse
import re
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True
from check_command_line import run  # noqa: E402

ENGLISH = {"LANG": "en_US.UTF-8"}


def check_bad_values(exe, tmp, complaints):
    out = str(tmp / "ut.csv")
    rec = ["--record", "889", "--csv", out]
    for args, said in (
            (["--read", "513", "--read", "65536"], "Ogiltig adress"),
            (["--write", "888", "1", "--write", "888", "x"], "Ogiltigt värde"),
            (["--record", "70000", "--csv", out], "Ogiltig adress"),
            ([*rec, "--duration", "-1"], "högst 3600."),
            ([*rec, "--samples", "0"], "Ogiltigt antal mätningar"),
            ([*rec, "--rate", "10"], "Ogiltig takt"),
            ([*rec, "--start-write", "513", "-1"], "Ogiltigt värde"),
            ([*rec, "--trigger", "15:up"], "Ogiltig start"),
            (["--square", "2:0"], "Ogiltig frekvens"),
            (["--square", "11:1000"], "ingen utgång"),
            (["--square", "2:1000", "--duration", "-1"], "högst 3600."),
            (["--square", "2:1000", "--duration", "3601", *rec], "högst 3600."),
            (["--pulses", "2:0:1000"], "Ogiltigt antal pulser"),
            (["--square", "2:1000", "--port", "889"], "hör till parallellporten 888"),
            (["--stick=101,0", "--read", "513"], "--stick tar X,Y"),
            (["--plug=skrivare"], "Okänd koppling")):
        got = run(exe, "--simulate", *args)
        if got[0] != 2 or got[1] or said not in got[2] or Path(out).exists():
            complaints.append(f"{' '.join(args)}: {got!r}, wanted status 2 saying {said!r}")


def check_files(exe, tmp, complaints):
    vcd, csv = tmp / "b.vcd", tmp / "b.csv"
    got = run(exe, "--simulate", "--record", "889", "--samples", "10000", "--csv", str(csv),
              "--vcd", str(vcd), env_extra=ENGLISH)
    # Swedish numbers in the summary under an English locale; the point in the file.
    if (got[0] != 0 or not re.search(r"mätningar på \d+,\d+ (µs|ms) \(\d+ i sekunden\)", got[2])
            or not vcd.exists() or not vcd.read_text().startswith("$date")
            or not csv.exists() or "\n0.000000000,1,1,1,1,1\n" not in csv.read_text()):
        complaints.append(f"--csv and --vcd together: {got!r}")
    got = run(exe, "--simulate", "--record", "889", "--samples", "10", "--csv", "-", "--vcd", "-")
    if got[0] != 2 or "kan inte spara i samma fil (-)" not in got[2] or got[1]:
        complaints.append(f"--csv - --vcd -: {got!r}")
    (tmp / "mapp.csv").mkdir()
    for name, why in (("saknas.csv", "den finns inte."), ("mapp.csv", "det är en mapp.")):
        got = run(exe, "--simulate", "--play", str(tmp / name))
        if got[0] != 1 or f"Kan inte läsa filen {tmp / name}: {why}" not in got[2]:
            complaints.append(f"--play {name}: {got!r}")


def check_hints(exe, complaints):
    for args, said in (
            (["--squre", "2:1000"], "Okänd flagga '--squre'. Menade du --square?\n"),
            (["--simulate", "--durration=1"], "Okänd flagga '--durration'. Menade du --duration?\n"),
            (["--bogus"], "Okänd flagga '--bogus'.\n"),
            (["--raed", "888", "--bogus"],
             "Okända flaggor: --raed, --bogus. Menade du --read i stället för --raed?\n")):
        got = run(exe, *args)
        if got != (2, "", said):
            complaints.append(f"{' '.join(args)}: {got!r}, wanted {said!r}")


def check_signal_summary(exe, complaints):
    # Below 100 Hz the achieved rate has two decimals.
    got = run(exe, "--simulate", "--square", "2:50", "--duration", "0.1", env_extra=ENGLISH)
    if got[0] != 0 or not re.search(r"Signal på stift 2: \d+,\d\d Hz, ", got[2]) or \
            re.search(r"\d\.\d", got[2]):
        complaints.append(f"--square under an English locale: {got!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    complaints = []
    with tempfile.TemporaryDirectory() as folder:
        check_bad_values(exe, Path(folder), complaints)
        check_files(exe, Path(folder), complaints)
    check_hints(exe, complaints)
    check_signal_summary(exe, complaints)
    for complaint in complaints:
        print("FAIL", complaint)
    if not complaints:
        print("ok: bad values, both files, reasons, hints and Swedish numbers")
    return 1 if complaints else 0


if __name__ == "__main__":
    sys.exit(main())
