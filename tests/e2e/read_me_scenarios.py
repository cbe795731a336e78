# SPDX-License-Identifier: MIT
"""Ctrl+R hands the read-me to the desktop's document opener, stood in for
by a script that records its arguments."""

import shutil
import tempfile
import time
from pathlib import Path
from urllib.parse import unquote, urlparse

import window_layout as L
from window_steps import check_start_up
from x11session import E2EFailure, X11Session


FAKE_OPENER = """#!/bin/sh
# Records how the program asked for a document to be opened.
for arg in "$@"; do printf '%s\\n' "$arg"; done > "{record}.tmp"
mv "{record}.tmp" "{record}"
"""


def install_fake_opener(folder: Path, record: Path):
    folder.mkdir(parents=True, exist_ok=True)
    opener = folder / "xdg-open"
    opener.write_text(FAKE_OPENER.format(record=record))
    opener.chmod(0o755)


def open_read_me(exe, shots, name, expected_document: Path, extra_path=None):
    """Ctrl+R opens `expected_document` through xdg-open, passed whole as one argument."""
    work = Path(tempfile.mkdtemp(prefix="portprov-readme-"))
    try:
        record = work / "opened.txt"
        install_fake_opener(work / "bin", record)
        with X11Session(shots, name) as s:
            s.start(exe, path_prefix=str(work / "bin"),
                    extra_env={"XDG_CURRENT_DESKTOP": "", "DESKTOP_SESSION": ""})
            check_start_up(s)
            s.click(*L.TEAL_SPOTS[1])
            s.key("ctrl+r")
            deadline = time.monotonic() + 10
            while not record.exists() and time.monotonic() < deadline:
                time.sleep(0.1)
            if not record.exists():
                raise E2EFailure("Ctrl+R did not start the document opener")
            arguments = record.read_text().splitlines()
            if len(arguments) != 1:
                raise E2EFailure(f"the opener got {len(arguments)} arguments, not one: {arguments}")
            opened = arguments[0]
            if opened.startswith("file:"):
                opened = unquote(urlparse(opened).path)
            if Path(opened).resolve() != expected_document.resolve():
                raise E2EFailure(f"the opener got {arguments[0]!r}, not {str(expected_document)!r}")
            if not Path(opened).read_bytes().startswith(b"{\\rtf1"):
                raise E2EFailure(f"{opened} is not the RTF read-me")
            # The program keeps running after starting the word processor.
            if s.app.poll() is not None:
                raise E2EFailure("the program ended after Ctrl+R")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def scenario_read_me(exe, shots):
    exe = Path(exe).resolve()
    open_read_me(exe, shots, "read-me", exe.parent / "Doruv.rtf")


def scenario_read_me_folder_with_spaces(exe, shots):
    """A program folder whose name holds spaces: the document path still
    reaches the word processor as one argument."""
    exe = Path(exe).resolve()
    folder = Path(tempfile.mkdtemp(prefix="portprov e2e ")) / "Mina program"
    try:
        folder.mkdir()
        shutil.copy2(exe, folder / exe.name)
        shutil.copy2(exe.parent / "Doruv.rtf", folder / "Doruv.rtf")
        open_read_me(folder / exe.name, shots, "read-me-spaces", folder / "Doruv.rtf")
    finally:
        shutil.rmtree(folder.parent, ignore_errors=True)
