#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Copies of the program raised by their file (setcap, set-user-ID root,
set-group-ID root) run as nobody with a display plugin of the test's own, which
must find nobody's user and group and no capability; run by root itself, root's
rights stay. Needs root, setcap and setpriv, else skipped (status 77).

    check_raised_rights.py --exe PORTPROV --probe PLUGIN_FOLDER --work BUILD_FOLDER"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

CAPS = ("CapInh", "CapPrm", "CapEff", "CapAmb")


def status_of(text):
    return {key: value.split() for key, _, value in (l.partition(":") for l in text.splitlines())}


def main():
    parser = argparse.ArgumentParser()
    for option in ("--exe", "--probe", "--work"):  # --work: used where /tmp is nosuid
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    own = status_of(Path("/proc/self/status").read_text())
    base = next((b for b in (tempfile.gettempdir(), args.work)
                 if not os.statvfs(b).f_flag & os.ST_NOSUID), None)
    if os.geteuid() != 0 or not shutil.which("setcap") or not shutil.which("setpriv") \
            or not int(own["CapBnd"][0], 16) >> 17 & 1 or base is None:  # 17: cap_sys_rawio
        print("skip raised-rights: needs root with cap_sys_rawio, setcap, setpriv, no nosuid")
        return 77
    nobody = {"Uid": ["65534"] * 4, "Gid": ["65534"] * 4, **{c: ["0" * 16] for c in CAPS}}
    root = {"Uid": ["0"] * 4, "Gid": ["0"] * 4, **{c: own[c] for c in CAPS}}
    cases = [("setcap cap_sys_rawio+ep", ["setcap", "cap_sys_rawio+ep"], 0o755, nobody),
             ("set-user-ID root", [], 0o4755, nobody),
             ("set-group-ID root", [], 0o2755, nobody),
             ("root itself (sudo)", [], 0o755, root)]
    complaints = []
    with tempfile.TemporaryDirectory(prefix="portprov-rights-", dir=base) as tmp:
        folder = Path(tmp)
        os.chmod(folder, 0o1777)  # nobody reads the copies and writes the reports
        shutil.copytree(args.probe, folder / "platforms")
        for number, (name, setcap, mode, wanted) in enumerate(cases):
            copy, report = folder / f"portprov-{number}", folder / f"{number}.status"
            shutil.copy(args.exe, copy)
            os.chmod(copy, mode)
            if setcap:
                subprocess.run([*setcap, str(copy)], check=True)
            runner = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
            env = {"PATH": "/usr/bin:/bin", "HOME": tmp, "QT_QPA_PLATFORM": "rightsprobe",
                   "QT_QPA_PLATFORM_PLUGIN_PATH": str(folder / "platforms"),
                   "PORTPROV_RIGHTS_REPORT": str(report)}
            got = subprocess.run([*(runner if wanted is nobody else []), str(copy), "--simulate"],
                                 env=env, capture_output=True, text=True, timeout=60)
            seen = status_of(report.read_text()) if report.exists() else {}
            if got.returncode != 0 or {k: seen.get(k) for k in wanted} != wanted:
                complaints.append(f"{name}: status {got.returncode}, {got.stderr.strip()!r}, "
                                  f"saw {[(k, seen.get(k)) for k in wanted]}")
    if complaints:
        print("FAIL raised-rights:\n  " + "\n  ".join(complaints), file=sys.stderr)
        return 1
    print("ok raised-rights")
    return 0


if __name__ == "__main__":
    sys.exit(main())
