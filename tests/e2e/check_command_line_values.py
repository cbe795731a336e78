#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Bad values, one --duration bound, both files, reasons, hints and Swedish
numbers, as a user types them.  check_command_line_values.py --exe PROGRAM"""

import argparse
import re
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True
from check_command_line import run  # noqa: E402

ENGLISH = {"LANG": "en_US.UTF-8"}


def check(exe, tmp, complaints):
    out = str(tmp / "ut.csv")
    rec = ["--record", "889", "--csv", out]
    for args, said in (
            (["--write", "888", "1", "--write", "888", "x"], "Ogiltigt värde"),
            (["--record", "70000", "--csv", out], "Ogiltig adress"),
            ([*rec, "--duration", "-1"], "högst 3600."),
            ([*rec, "--samples", "0"], "Ogiltigt antal mätningar"),
            ([*rec, "--start-write", "513", "-1"], "Ogiltigt värde"),
            ([*rec, "--trigger", "15:up"], "Ogiltig start"),
            ([*rec, "--vcd", str(tmp / "." / "ut.csv")], "kan inte spara i samma fil"),
            (["--square", "2:0"], "Ogiltig frekvens"),
            (["--square", "11:1000"], "ingen utgång"),
            (["--square", "2:1000", "--duration", "-1"], "högst 3600."),
            (["--square", "2:1000", "--duration", "3601", *rec], "högst 3600."),
            (["--pulses", "2:0:1000"], "Ogiltigt antal pulser"),
            (["--square", "2:1000", "--port", "889"], "hör till parallellporten 888"),
            (["--stick=101,0", "--read", "513"], "--stick tar X,Y"),
            (["--plug=skrivare"], "Okänd koppling"),
            (["--squre", "2:1000"], "Okänd flagga '--squre'. Menade du --square?\n"),
            (["--raed", "888", "--durration=1"], "Okända flaggor: --raed, --durration. Menade du "
             "--read i stället för --raed? Menade du --duration i stället för --durration?\n")):
        got = run(exe, "--simulate", *args)
        if got[0] != 2 or got[1] or said not in got[2] or Path(out).exists():
            complaints.append(f"{' '.join(args)}: {got!r}, wanted status 2 saying {said!r}")

    vcd, csv = tmp / "b.vcd", tmp / "b.csv"
    got = run(exe, "--simulate", "--record", "889", "--samples", "10000", "--csv", str(csv),
              "--vcd", str(vcd), env_extra=ENGLISH)
    if (got[0] != 0 or not re.search(r"mätningar på \d+,\d+ (µs|ms) \(\d+ i sekunden\)", got[2])
            or not vcd.read_text().startswith("$date")
            or "\n0.000000000,1,1,1,1,1\n" not in csv.read_text()):
        complaints.append(f"--csv and --vcd together: {got!r}")
    # Below 100 Hz the achieved rate has two decimals.
    got = run(exe, "--simulate", "--square", "2:50", "--duration", "0.1", env_extra=ENGLISH)
    if got[0] != 0 or not re.search(r"^Signal på stift 2: \d+,\d\d Hz, ", got[2]) or \
            re.search(r"\d\.\d", got[2]):
        complaints.append(f"--square under an English locale: {got!r}")

    (tmp / "mapp.csv").mkdir()
    for name, why in (("saknas.csv", "den finns inte."), ("mapp.csv", "det är en mapp.")):
        got = run(exe, "--simulate", "--play", str(tmp / name))
        if got[0] != 1 or f"Kan inte läsa filen {tmp / name}: {why}" not in got[2]:
            complaints.append(f"--play {name}: {got!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    complaints = []
    with tempfile.TemporaryDirectory() as folder:
        check(parser.parse_args().exe, Path(folder), complaints)
    for complaint in complaints:
        print("FAIL", complaint)
    print("ok: bad values, both files, reasons, hints, Swedish numbers" if not complaints else "")
    return 1 if complaints else 0


if __name__ == "__main__":
    sys.exit(main())
