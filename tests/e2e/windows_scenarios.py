# SPDX-License-Identifier: MIT
"""Scenarios of the Windows program under Wine: the port driver's library,
stood in for by the driver double (tests/windows/driver-double), which logs
every access; and the read-me in WordPad. Each runs a private copy of the
program's folder, so that libraries can be put beside portprov.exe."""

import os
import shutil
import subprocess
import tempfile
from contextlib import contextmanager
from pathlib import Path

import window_checks as C
import window_layout as L
from x11session import E2EFailure, X11Session, end_wine_session, program_command, windows_path

DOUBLE64 = "driver_double64.dll"
DOUBLE32 = "driver_double32.dll"
# InpOut32's library with its kernel driver installed, and without.
DOUBLE64_INPOUT = "driver_double64_inpout.dll"
DOUBLE64_INPOUT_NO_DRIVER = "driver_double64_inpout_no_driver.dll"


@contextmanager
def program_copy(exe):
    """portprov.exe in a folder of its own (hard links to the unpacked one)."""
    work = Path(tempfile.mkdtemp(prefix="portprov-windows-"))
    try:
        folder = work / "Portprov"
        shutil.copytree(Path(exe).resolve().parent, folder, copy_function=os.link)
        yield folder / Path(exe).name, work
    finally:
        shutil.rmtree(work, ignore_errors=True)


def accesses(log: Path):
    return log.read_text().splitlines() if log.exists() else []


def read_889(s):
    s.replace_text_in(*L.centre(L.TEXT1), "889")
    s.click(*L.centre(L.COMMAND1))


def refused_and_running(s, label):
    """A read brings the message box titled "Portprov"; after OK the program runs on."""
    read_889(s)
    box = s.wait_for_dialog("Portprov")
    s.screenshot(label)
    s.key("Return")
    s.wait_for_dialog_gone(box)
    s.expect(f"{label}-after", lambda shot: C.start_up_lamps(s, shot))
    if s.app.poll() is not None:
        raise E2EFailure("the program ended after the message")


def scenario_driver_read(exe, shots, doubles):
    """Without --simulate, the double beside the program as dlportio.dll: it
    is loaded only by the first access, and a read of 889 is served by it."""
    from run_window_test import check_start_up
    with program_copy(exe) as (program, work):
        shutil.copy(doubles / DOUBLE64, program.parent / "dlportio.dll")
        log = work / "accesses.log"
        with X11Session(shots, "driver-read") as s:
            s.start(program, args=(), extra_env={"PORTPROV_DRIVER_DOUBLE_LOG": windows_path(log)})
            check_start_up(s)
            if accesses(log):
                raise E2EFailure(f"the library was loaded before the first access: {accesses(log)}")
            read_889(s)
            s.expect("driver-889", lambda shot: C.bit_lamps(s, shot, "01111111") +
                     C.value_display_has_text(s, shot, True))
        if accesses(log) != ["load dlportio.dll", "read 889 127"]:
            raise E2EFailure(f"the double logged {accesses(log)}, not the one read of 889")


def scenario_driver_refused(exe, shots, doubles):
    """Each time the program runs on, with a message: the double in the current
    folder and on the path only (never loaded), a 32-bit double beside the
    64-bit program, and no library at all."""
    from run_window_test import check_start_up
    with program_copy(exe) as (program, work):
        planted = work / "planted"
        planted.mkdir()
        for name in ("dlportio.dll", "inpoutx64.dll"):
            shutil.copy(doubles / DOUBLE64, planted / name)
        log = work / "accesses.log"
        env = {"PORTPROV_DRIVER_DOUBLE_LOG": windows_path(log), "WINEPATH": windows_path(planted)}
        with X11Session(shots, "driver-refused") as s:
            s.start(program, args=(), extra_env=env, cwd=planted)
            check_start_up(s)
            refused_and_running(s, "planted")
            shutil.copy(doubles / DOUBLE32, program.parent / "dlportio.dll")
            refused_and_running(s, "32-bit")
            (program.parent / "dlportio.dll").unlink()
            refused_and_running(s, "none")
        if accesses(log):
            raise E2EFailure(f"a planted library was loaded: {accesses(log)}")


def scenario_driver_not_installed(exe, shots, doubles):
    """InpOut32's library without its kernel driver: a read brings the message,
    not a reading; with the driver there, the same window's next read is served."""
    from run_window_test import check_start_up
    with program_copy(exe) as (program, _):
        shutil.copy(doubles / DOUBLE64_INPOUT_NO_DRIVER, program.parent / "inpoutx64.dll")
        with X11Session(shots, "driver-not-installed") as s:
            s.start(program, args=())
            check_start_up(s)
            refused_and_running(s, "no-driver")
            shutil.copy(doubles / DOUBLE64_INPOUT, program.parent / "inpoutx64.dll")
            read_889(s)
            s.expect("driver-installed-889", lambda shot: C.bit_lamps(s, shot, "01111111"))


def console_text(program, *args, cwd=None):
    result = subprocess.run(program_command(program, args), capture_output=True, timeout=60,
                            cwd=cwd, stdin=subprocess.DEVNULL,
                            env={**os.environ, "WINEDEBUG": "-all"})
    # Text the program did not write to a console is in the Windows code page.
    output = result.stdout + result.stderr
    try:
        return result.returncode, output.decode("utf-8")
    except UnicodeDecodeError:
        return result.returncode, output.decode("cp1252")


def expect_in(text, wanted, what):
    if wanted not in text:
        raise E2EFailure(f"{what}: {wanted!r} not in {text!r}")


def scenario_driver_console(exe, shots, doubles):
    """--version and --help on the console the program was started from; --help
    names the library in use or, without one, what was looked for and where."""
    # Wine's own services start first, without our output: they would keep it
    # open and the program's output would never end.
    end_wine_session()
    subprocess.run(["wine", "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    try:
        console_checks(exe, doubles)
    finally:
        end_wine_session()


def console_checks(exe, doubles):
    with program_copy(exe) as (program, work):
        status, text = console_text(program, "--version")
        if status != 0 or text.strip() != "Portprov 1.0.0":
            raise E2EFailure(f"--version gave status {status} and {text!r}")

        status, text = console_text(program, "--help", cwd=work)
        expect_in(text, "Hittade inget drivrutinsbibliotek", "--help without a library")
        expect_in(text, "dlportio.dll och inpoutx64.dll", "--help without a library")
        expect_in(text, windows_path(program.parent), "--help without a library")

        shutil.copy(doubles / DOUBLE32, program.parent / "dlportio.dll")
        status, text = console_text(program, "--help")
        expect_in(text, "Windows fel 193", "--help with a 32-bit library")
        expect_in(text, "inpoutx64.dll", "--help with a 32-bit library")

        # Where dlportio.dll does not fit, the InpOut32 library is used.
        shutil.copy(doubles / DOUBLE64, program.parent / "inpoutx64.dll")
        status, text = console_text(program, "--help")
        expect_in(text, "drivrutinsbiblioteket inpoutx64.dll", "--help with inpoutx64.dll")


def scenario_read_me_wordpad(exe, shots, doubles):
    """Ctrl+R opens Doruv.rtf in Wine's WordPad, and the program runs on."""
    from run_window_test import check_start_up
    with X11Session(shots, "read-me-wordpad") as s:
        s.start(exe)
        check_start_up(s)
        s.click(*L.TEAL_SPOTS[1])
        s.key("ctrl+r")
        wordpad = s.wait_for_window_named("Doruv")
        name = s.window_name(wordpad)
        if "wordpad" not in name.lower():
            raise E2EFailure(f"the read-me opened in a window named {name!r}, not WordPad's")
        s.screenshot("wordpad")
        if s.app.poll() is not None:
            raise E2EFailure("the program ended after Ctrl+R")


SCENARIOS = {
    "driver-read": scenario_driver_read,
    "driver-refused": scenario_driver_refused,
    "driver-not-installed": scenario_driver_not_installed,
    "driver-console": scenario_driver_console,
    "read-me-wordpad": scenario_read_me_wordpad,
}
