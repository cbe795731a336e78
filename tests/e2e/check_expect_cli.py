#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""--expect and --tolerance on the simulated PC: a recording compared with
one of a good board, each line's verdict, the exit status, and the refusals
before the port is touched.
    check_expect_cli.py --exe build/app/portprov"""

import argparse
import os
import sys
import tempfile

sys.dont_write_bytecode = True
from check_command_line import run  # noqa: E402

# A slow square wave, so that a busy machine keeps its edges well inside the
# tolerance asked for.
SIGNAL = ["--square", "2:100", "--record", "889", "--duration", "0.1"]
SAME = ["--tolerance", "0.002"]


def table(ref, bad, saved):
    """(arguments after --simulate, status, what stdout or stderr must show)"""
    expect = ["--expect", ref]
    return [
        (["--plug=data", *SIGNAL, *expect, *SAME, "--csv", saved], 0,
         lambda out: "stift15_fel (Stift 15 Fel): stämmer, 20 flanker" in out
         and out.endswith("alla 5 ledningarna stämmer.\n") and os.path.getsize(saved) > 0),
        (["--plug=control", *SIGNAL, *expect, *SAME], 3,
         lambda out: "stift11_busy (Stift 11 Busy): skiljer sig, 1 skillnad; först vid start: "
         "nivån är hög, väntad låg" in out and "3 av 5 ledningar skiljer sig." in out),
        (["--plug=data", "--square", "2:70", *SIGNAL[2:], *expect], 3,
         lambda out: "stift15_fel (Stift 15 Fel): skiljer sig" in out),
        (["--plug=data", "--fault=15:stuck-low", *SIGNAL, *expect], 3,
         lambda out: "stift15_fel (Stift 15 Fel): skiljer sig, 20 skillnader; först vid " in out
         and ": en stigande flank saknas" in out),
        ([*SIGNAL, "--expect", ref + ".saknas"], 1, lambda err: "Kan inte läsa filen" in err),
        ([*SIGNAL, "--expect", bad], 1, lambda err: "Rad 2: ogiltigt värde" in err
         and "\x1b" not in err),
        (["--square", "2:100", "--expect", ref], 2, lambda err: "hör till --record" in err),
        (["--record", "889", "--tolerance", "0.1", "--csv", saved], 2,
         lambda err: "--tolerance hör till --expect" in err),
        (["--square", "2:100", "--record", "888", *expect], 2,
         lambda err: "har stift10_ack, stift11_busy" in err and "som inspelningen saknar" in err),
        ([*SIGNAL, *expect, "--tolerance", "0"], 2, lambda err: "Ogiltig tolerans" in err),
        ([*SIGNAL, *expect, "--csv", "-"], 2, lambda err: "inte i -" in err),
    ]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    complaints = []
    with tempfile.TemporaryDirectory() as folder:
        ref, bad, saved = (os.path.join(folder, n) for n in ("ref.csv", "bad.csv", "saved.csv"))
        with open(bad, "w", encoding="utf-8") as f:
            f.write("tid_s,stift15_fel\n0,\x1b[2J\n")
        made = run(exe, "--simulate", "--plug=data", *SIGNAL, "--csv", ref)
        if made[0] != 0:
            complaints.append(f"the reference: {made!r}")
        for args, status, shows in table(ref, bad, saved):
            got = run(exe, "--simulate", *args)
            if got[0] != status or not shows(got[1] if status in (0, 3) else got[2]):
                complaints.append(f"{' '.join(args)}: {got!r}")
    for complaint in complaints:
        print(complaint)
    return 1 if complaints else 0


if __name__ == "__main__":
    sys.exit(main())
