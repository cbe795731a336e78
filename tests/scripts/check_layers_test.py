#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The include check of scripts/check-layers on a small made-up tree: each case
is a file, the include in it, and whether the check must name it. Run by
scripts/test before the check itself."""

import importlib.util
import sys
import tempfile
from importlib.machinery import SourceFileLoader
from pathlib import Path

sys.dont_write_bytecode = True  # no caches in the source folder
_path = str(Path(__file__).resolve().parents[2] / "scripts" / "check-layers")
_spec = importlib.util.spec_from_loader("check_layers", SourceFileLoader("check_layers", _path))
check = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(check)

HEADERS = ["core/ports/PortBackend.h", "core/remote/HelperPorts.h", "core/recording/Recorder.h",
           "helper/Confinement.h", "app/window/frmPortCom.h", "app/recording/RecordingDialog.h"]

CASES = [  # the including file, its include, whether it runs up
    ("a down include", "core/remote/A.cpp", "ports/PortBackend.h", False),
    ("an up include", "core/ports/A.cpp", "remote/HelperPorts.h", True),
    ("a same-folder include", "core/ports/B.cpp", "ports/PortBackend.h", False),
    ("a backend's include of its folder", "core/ports/linux/A.cpp", "ports/PortBackend.h", False),
    ("the core including the helper", "core/recording/A.cpp", "helper/Confinement.h", True),
    ("the helper including the core", "helper/main.cpp", "remote/HelperPorts.h", False),
    ("the helper including the window", "helper/B.cpp", "window/frmPortCom.h", True),
    ("the window's folder named as the core's", "app/window/A.cpp", "recording/RecordingDialog.h", False),
    ("a test including anything", "tests/core/A.cpp", "window/frmPortCom.h", False),
    ("a header found nowhere", "core/ports/C.cpp", "QtCore/QObject", False),
]


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        root = Path(folder)
        for name in HEADERS:
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text("#pragma once\n")
        for name, path, include, up in CASES:
            file = root / path
            file.parent.mkdir(parents=True, exist_ok=True)
            file.write_text(f'// {name}\n#include "{include}"\n')
            found = list(check.violations(root, [file]))
            expected = [f"{path}:2:"] if up else []
            if [line.split(" ")[0] for line in found] != expected:
                failures += 1
                print(f"check-layers, {name}: expected {expected}, found {found}")
        stray = root / "core/unranked/A.cpp"
        stray.parent.mkdir()
        stray.write_text('#include "ports/PortBackend.h"\n')
        try:
            list(check.violations(root, [stray]))
            failures += 1
            print("check-layers, a core folder without a rank: not named")
        except ValueError:
            pass
    print(f"check-layers: {len(CASES) + 1 - failures} of {len(CASES) + 1} cases right")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
