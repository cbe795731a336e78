#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program's port reads and writes from the command line, with no
display at all: what it prints, where, and the exit status.

    check_command_line.py --exe build/app/portprov

PORTPROV_TEST_PARPORT_ROOT points the program's list of the parallel ports
the computer reports at a folder made here instead of /proc/sys/dev/parport."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

WRITE_MODE = "D0 - D7 står i Skrivläge  bit 5 Låg"


def run(exe, *args, env_extra=None, stdout=subprocess.PIPE, stderr=subprocess.PIPE):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.setdefault("LANG", "C.UTF-8")
    env.update(env_extra or {})
    result = subprocess.run([str(exe), *args], env=env, stdout=stdout, stderr=stderr, timeout=30)
    return result.returncode, (result.stdout or b"").decode(), (result.stderr or b"").decode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    complaints = []

    def expect(args, status, out=None, err=None, env_extra=None, out_has=None, **streams):
        got = run(exe, *args, env_extra=env_extra, **streams)
        wanted = (status, out if out is not None else got[1], err if err is not None else got[2])
        if got != wanted or (out_has and out_has not in got[1]):
            complaints.append(f"{' '.join(args)}: got {got!r}, wanted {wanted!r}"
                              + (f" with {out_has!r}" if out_has else ""))

    # The example of the read-me, and the order of several operations.
    expect(["--simulate", "--write", "888", "85", "--read", "888"], 0,
           "888: 85 01010101 stift 9=låg 8=hög 7=låg 6=hög 5=låg 4=hög 3=låg 2=hög\n", "")
    expect(["--simulate", "--read", "0x37A", "--write", "890", "0", "--read", "890"], 0,
           "890: 192 11000000 stift 17=hög 16=låg 14=hög 1=hög; " + WRITE_MODE + "\n"
           "890: 192 11000000 stift 17=hög 16=låg 14=hög 1=hög; " + WRITE_MODE + "\n", "")
    # A refusal: the window's text on standard error, status 1, nothing after it runs.
    expect(["--simulate", "--read", "513", "--read", "65536", "--read", "888"], 1,
           "513: 240 11110000\n", "Ogiltig adress: skriv ett heltal 0 - 65535\n")
    expect(["--simulate", "--write", "888", "-1"], 1, "",
           "Ogiltigt värde: skriv ett tal 0 - 255\n")
    # Each line as its operation ends, standard error in its place among them.
    expect(["--simulate", "--read", "888", "--write", "888", "300", "--read", "888"], 0,
           "888: 0 00000000 stift 9=låg 8=låg 7=låg 6=låg 5=låg 4=låg 3=låg 2=låg\n"
           "300 är större än 255: 255 skrivs till 888.\n"
           "888: 255 11111111 stift 9=hög 8=hög 7=hög 6=hög 5=hög 4=hög 3=hög 2=hög\n",
           stderr=subprocess.STDOUT)
    # A line that cannot be printed is a failure.
    with open("/dev/full", "wb") as full:
        expect(["--simulate", "--read", "888", "--write", "888", "1"], 1, "",
               "Resultatet kunde inte skrivas ut.\n", stdout=full)
        expect(["--version"], 1, stdout=full)
    # A bad command line: status 2.
    for args in (["--simulate", "--read"], ["--simulate", "--write", "888"],
                 ["--simulate", "--read", "888", "--simulera"], ["--help", "--bogus"],
                 ["--simulate", "-platform"]):
        expect(args, 2, "")
    # With --simulate, help names the simulated PC, and the real ports go unasked.
    got = run(exe, "--simulate", "--help")
    if got[0] != 0 or "simulerad PC" not in got[1] or "portåtkomst" in got[1]:
        complaints.append(f"--simulate --help: {got!r}")
    # With no screen to open the window on, a Swedish word and status 2.
    for display in ({}, {"DISPLAY": ":79"}):
        got = run(exe, "--simulate", env_extra=display)
        if got[0] != 2 or "ingen skärm" not in got[2] or "Reinstalling" in got[2]:
            complaints.append(f"--simulate with {display or 'no display'}: {got!r}")
    # The decimal separator of the user's locale, and "." everywhere.
    expect(["--simulate", "--read", "888,4"], 0, env_extra={"LANG": "sv_SE.UTF-8"},
           out_has="888: 0 ")
    expect(["--simulate", "--read", "888.4"], 0, env_extra={"LANG": "sv_SE.UTF-8"},
           out_has="888: 0 ")
    expect(["--simulate", "--read", "888,4"], 1, "",
           "Ogiltig adress: skriv ett heltal 0 - 65535\n", env_extra={"LANG": "C.UTF-8"})

    with tempfile.TemporaryDirectory() as tmp:
        root = Path(tmp)
        expect(["--help"], 0, env_extra={"PORTPROV_TEST_PARPORT_ROOT": str(root)},
               out_has="Datorn rapporterar inga parallellportar.")
        for name, base in (("parport0", "888\t1912\n"), ("parport1", "53264\t53256\n")):
            (root / name).mkdir()
            (root / name / "base-addr").write_text(base)
        reported = {"PORTPROV_TEST_PARPORT_ROOT": str(root)}
        expect(["--help"], 0, env_extra=reported,
               out_has="  parport0: 888 (0x378)\n  parport1: 53264 (0xD010)\n")
        # A reported port's status register shows its pins; 53267 is no register of it.
        expect(["--simulate", "--read", "53265", "--read", "53267"], 0,
               "53265: 255 11111111 stift 9=låg 8=hög 7=hög 6=hög 5=låg 4=låg 3=låg 2=låg\n"
               "53267: 255 11111111\n", "", env_extra=reported)
        # A program given more rights than its caller (here by a set group, as
        # by setcap) takes its port list from the system, not the caller.
        if os.geteuid() == 0:
            raised = root / "raised" / "portprov"
            raised.parent.mkdir()
            shutil.copy(exe, raised)
            os.chown(raised, -1, 65534)
            os.chmod(raised, 0o2755)
            got = run(raised, "--help", env_extra=reported)
            if got[0] != 0 or "parport1: 53264" in got[1]:
                complaints.append(f"raised --help took the caller's port list: {got!r}")

    if complaints:
        print("FAIL command-line:\n  " + "\n  ".join(complaints), file=sys.stderr)
        return 1
    print("ok command-line")
    return 0


if __name__ == "__main__":
    sys.exit(main())
