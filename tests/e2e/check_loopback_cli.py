#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""--loopback, --repeat and --fault on the simulated PC: each wire's lines,
the counts, the exit status, the bad command lines, and Ctrl+C ending a
run of no set length with the counts so far.
    check_loopback_cli.py --exe build/app/portprov"""

import argparse
import re
import signal
import subprocess
import sys

sys.dont_write_bytecode = True
from check_command_line import environment, run, wait_until_catching_sigint  # noqa: E402

WIRES = ["2–15", "3–13", "4–12", "5–10", "6–11"]


def counts(out):
    """Each wire's failed rounds, by its pins."""
    return {m[1]: int(m[2]) for m in re.finditer(r"^(\d+–\d+) .*: fel i (\d+) av", out, re.M)}


def none_but(wire, low, high):
    """The wire failed in low to high rounds, every other in none."""
    def check(out):
        got = counts(out)
        return (set(got) == set(WIRES) and low <= got[wire] <= high
                and all(n == 0 for w, n in got.items() if w != wire))
    return check


# (arguments after --simulate, status, what stdout or stderr must show)
TABLE = [
    (["--plug=data", "--loopback", "data", "--repeat", "200"], 0,
     lambda out: counts(out) == dict.fromkeys(WIRES, 0) and "200 omgångar, 0 med fel\n" in out),
    (["--plug=control", "--loopback", "data", "--repeat", "200"], 3,
     lambda out: "200 omgångar, 200 med fel\n" in out),
    # 32 reads a round, each wrong one time in 100: about 55 rounds in 200.
    (["--plug=data", "--fault=15:drop:0.01", "--loopback", "data", "--repeat", "200"], 3,
     none_but("2–15", 20, 110)),
    (["--plug=data", "--fault=15:drop:0", "--loopback", "data", "--repeat", "50"], 0,
     none_but("2–15", 0, 0)),
    # Busy reads inverted: the pin's level, not the bit's, is held.
    (["--plug=data", "--fault=11:stuck-low", "--loopback", "data"], 3,
     lambda out: out.count(": fungerar\n") == 4 and "6–11 (D4 → Busy): fastnat låg\n" in out),
    (["--plug=data", "--loopback", "bogus"], 2, lambda err: "välj control eller data" in err),
    (["--plug=data", "--repeat", "3"], 2, lambda err: "--repeat fungerar bara med --loopback" in err),
    (["--loopback", "data", "--port", "513"], 2, lambda err: "spelporten" in err),
    (["--loopback", "data", "--read", "888"], 2, lambda err: "--loopback kan inte" in err),
    (["--loopback", "data", "--fault=14:stuck-low"], 2, lambda err: "--fault" in err),
]


def interrupted(exe):
    """--repeat 0 sent SIGINT once it holds the signal: a complaint or None."""
    process = subprocess.Popen([str(exe), "--simulate", "--plug=data", "--loopback", "data",
                                "--repeat", "0"], env=environment(), stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE,
                               preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    wait_until_catching_sigint(process)
    process.send_signal(signal.SIGINT)
    try:
        out, err = process.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        process.kill()
        return "--repeat 0 did not end after SIGINT"
    out = out.decode()
    rounds = re.search(r"^(\d+) omgång(ar)?, 0 med fel \(avbrutet\)\n\Z", out, re.M)
    if process.returncode != 0 or not rounds or counts(out) != dict.fromkeys(WIRES, 0):
        return f"--repeat 0 after SIGINT: {process.returncode} {out!r} {err.decode()!r}"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    complaints = []
    for args, status, shows in TABLE:
        got = run(exe, "--simulate", *args)
        if got[0] != status or not shows(got[1] if status != 2 else got[2]):
            complaints.append(f"{' '.join(args)}: {got!r}")
    complaints.append(interrupted(exe))
    complaints = [c for c in complaints if c]
    for complaint in complaints:
        print(complaint)
    return 1 if complaints else 0


if __name__ == "__main__":
    sys.exit(main())
