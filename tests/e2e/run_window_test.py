#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Drives the real program in a private X server and checks its window on
screenshot pixels.

    run_window_test.py --exe build/app/portprov --shots DIR SCENARIO

Screenshots are kept in DIR so that a failing run can be inspected."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from lost_display import scenario_display_lost  # noqa: E402
from main_window_scenarios import (scenario_address_list, scenario_control_register,  # noqa: E402
                                   scenario_exit_shortcut, scenario_keyboard,
                                   scenario_pin_clicks, scenario_refusals,
                                   scenario_reported_port, scenario_scale_2, scenario_start_up,
                                   scenario_write_keyboard)
from plug_scenarios import scenario_live_reading, scenario_loopback  # noqa: E402
from read_me_scenarios import scenario_read_me, scenario_read_me_folder_with_spaces  # noqa: E402
# check_start_up is also what the Windows scenarios take from here.
from window_steps import check_start_up, dialog_faces, fail_if, open_tools_item  # noqa: E402
import window_layout as L  # noqa: E402
import windows_scenarios  # noqa: E402
from x11session import E2EFailure, X11Session, is_windows_program  # noqa: E402


HIGH_FACE = (214, 228, 250)  # under a high line in the timing diagram


def scenario_recording(exe, shots):
    """Verktyg → Spela in…: the simulated printer's answer to a strobe,
    recorded, drawn, looked at near its start, and saved as VCD. The printer
    answers in microseconds by the real clock: a loaded machine may take the
    recording thread off the processor for longer just then, so a recording
    that missed the handshake is made again, at most three times in all."""
    for attempt in range(1, 4):
        try:
            record_handshake(exe, shots, attempt)
            return
        except E2EFailure:
            if attempt == 3:
                raise


def record_handshake(exe, shots, attempt):
    folder = Path(tempfile.mkdtemp(prefix="portprov-recording-"))
    vcd = folder / "handslag.vcd"
    try:
        with X11Session(shots, f"recording-{attempt}") as s:
            s.start(exe, args=("--simulate", "--plug=printer"))
            check_start_up(s)
            dialog = open_tools_item(s, 3, "Spela in")
            # Whole on a 1024x768 screen, with room for a window manager's frame.
            values = dict(line.partition("=")[::2] for line in s._xdotool(
                "getwindowgeometry", "--shell", dialog).splitlines())
            fail_if([] if int(values["WIDTH"]) <= 984 and int(values["HEIGHT"]) <= 688
                    else [f"the dialog is {values['WIDTH']}x{values['HEIGHT']}: "
                          "too large for a 1024x768 screen"])
            time.sleep(0.5)  # let it take the keyboard
            # A write of 1 to 890 first (the strobe), then Starta.
            s.key("alt+s")
            time.sleep(0.5)  # a mnemonic clicks the box once its press has been shown
            s.key("Return")

            def drawn(shot):
                ok, _ = dialog_faces(s, shot, dialog, HIGH_FACE)
                return [] if ok > 5000 else [f"{ok} pixels under high lines"]

            s.expect("recorded", drawn)
            # Into the diagram, nearer, to the start: Busy and the Ack pulse.
            values = dict(line.partition("=")[::2] for line in s._xdotool(
                "getwindowgeometry", "--shell", dialog).splitlines())
            s._xdotool("mousemove", str(int(values["X"]) + int(values["WIDTH"]) // 2),
                       str(int(values["Y"]) + int(values["HEIGHT"]) * 3 // 4))
            s._xdotool("click", "1")
            s.key(*["plus"] * 11, "Home")
            s.expect("handshake", drawn)
            s.key("alt+v")
            chooser = s.wait_for_dialog("Spara inspelningen som VCD")
            s.type_text(str(vcd))
            s.key("Return")
            s.wait_for_dialog_gone(chooser)
            deadline = time.monotonic() + 5
            while not vcd.exists() and time.monotonic() < deadline:
                time.sleep(0.1)
            text = vcd.read_text(encoding="utf-8") if vcd.exists() else ""
            # Time 0, Ack falling and rising, Busy falling, the end.
            moments = sum(1 for line in text.splitlines() if line.startswith("#"))
            # Under the sanitizers the pulses may all come between two reads.
            least = 2 if os.environ.get("PORTPROV_SANITIZED") == "1" else 5
            fail_if([] if "stift10_ack" in text and moments >= least
                    else [f"no VCD of the handshake in {vcd} ({moments} times)"])
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def scenario_small_screen(exe, shots):
    """At 1024x768 Spela in… opens beside the window's boxes and buttons, not
    over them, and is not tied above the window: while a recording waits for
    its edge, a click into the value box reaches it and takes what is typed."""
    with X11Session(shots, "small-screen", screen=(1024, 768)) as s:
        s.start(exe)
        dialog = open_tools_item(s, 3, "Spela in")
        time.sleep(0.5)
        s._origin = None  # the window may have made room
        transient = subprocess.run(["xprop", "-id", dialog, "WM_TRANSIENT_FOR"],
                                   env={**os.environ, "DISPLAY": s.display},
                                   capture_output=True, text=True, timeout=30).stdout
        values = dict(line.partition("=")[::2] for line in s._xdotool(
            "getwindowgeometry", "--shell", dialog).splitlines())
        dx, dy, dw, dh = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        covered = []
        for name, (lx, ly, w, h) in (("address box", L.TEXT1), ("value box", L.TEXT2),
                                      ("read button", L.COMMAND1), ("write button", L.COMMAND2),
                                      ("register button", L.COMMAND3)):
            x, y = s.at(lx, ly)
            if x < dx + dw and dx < x + w and y < dy + dh and dy < y + h:
                covered.append(f"the dialog at {dx},{dy} {dw}x{dh} covers the {name}")
        fail_if(covered + ([] if "not found" in transient else [f"tied above: {transient}"]))
        # A rising edge of pin 2 that nothing makes: the recording waits.
        s._xdotool("mousemove", str(dx + dw * 2 // 3), str(dy + 203))
        s._xdotool("click", "1")
        time.sleep(0.3)
        s.key("Down", "Return")
        time.sleep(0.3)
        s._xdotool("mousemove", str(dx + dw // 2 - 96), str(dy + dh - 24))
        s._xdotool("click", "1")
        time.sleep(0.5)
        x, y = s.at(L.TEXT2[0], L.TEXT2[1])
        before = s.screenshot("small-screen-waiting").region(x, y, L.TEXT2[2], L.TEXT2[3])
        s.replace_text_in(*L.centre(L.TEXT2), "12")
        s.expect("small-screen-typed", lambda shot: [] if shot.region(
            x, y, L.TEXT2[2], L.TEXT2[3]) != before else ["the value box did not take 12"])
        # Its button too: the write is refused while the recording waits.
        s.click(*L.centre(L.COMMAND3))
        box = s.wait_for_dialog("Portprov")
        s.key("Return")
        s.wait_for_dialog_gone(box)


def scenario_joystick(exe, shots):
    """Verktyg → Styrspak… with the simulated joystick A at 0,100: its cross in
    the bottom left corner of square A, joystick B's in the middle of square B."""
    with X11Session(shots, "joystick") as s:
        s.start(exe, args=("--simulate", "--stick=0,100"))
        check_start_up(s)
        dialog = open_tools_item(s, 5, "Styrspak")
        values = dict(line.partition("=")[::2] for line in s._xdotool(
            "getwindowgeometry", "--shell", dialog).splitlines())
        dx, dy, dw, dh = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

        def crosses(shot):
            red = [(i % dw, i // dw) for i, p in enumerate(shot.region(dx, dy, dw, dh))
                   if p[0] > 200 and p[1] < 60 and p[2] < 60]
            a = [(px, py) for px, py in red if px < dw // 2]
            b = [(px, py) for px, py in red if px >= dw // 2]
            if not a or not b:
                return [f"{len(a)} red pixels in A's half and {len(b)} in B's"]
            ax, ay = (sum(c) / len(a) / size for c, size in zip(zip(*a), (dw, dh)))
            bx, by = (sum(c) / len(b) / size for c, size in zip(zip(*b), (dw, dh)))
            return [] if ax < 0.15 and ay > 0.55 and 0.62 < bx < 0.85 and 0.3 < by < 0.6 else [
                f"cross A at {ax:.2f},{ay:.2f} and B at {bx:.2f},{by:.2f} of the dialog"]

        s.expect("sticks", crosses)


SCENARIOS = {
    "start-up": scenario_start_up,
    "write-keyboard": scenario_write_keyboard,
    "control-register": scenario_control_register,
    "address-list": scenario_address_list,
    "keyboard": scenario_keyboard,
    "exit-shortcut": scenario_exit_shortcut,
    "display-lost": scenario_display_lost,
    "scale-2": scenario_scale_2,
    "refusals": scenario_refusals,
    "read-me": scenario_read_me,
    "read-me-folder-with-spaces": scenario_read_me_folder_with_spaces,
    "reported-port": scenario_reported_port,
    "live-reading": scenario_live_reading,
    "loopback": scenario_loopback,
    "recording": scenario_recording,
    "joystick": scenario_joystick,
    "small-screen": scenario_small_screen,
    "pin-clicks": scenario_pin_clicks,
}


# The scenarios that hold for the Windows program under Wine as well; the
# others are about the Linux desktop (xdg-open, PATH).
SHARED = ["start-up", "write-keyboard", "control-register", "address-list", "exit-shortcut",
          "scale-2", "pin-clicks"]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--exe", required=True,
                        help="the portprov program (portprov.exe: run under Wine)")
    parser.add_argument("--shots", required=True, help="folder for the screenshots")
    parser.add_argument("--doubles", help="folder of the driver doubles (Windows scenarios)")
    parser.add_argument("scenario", choices=sorted([*SCENARIOS, *windows_scenarios.SCENARIOS]))
    args = parser.parse_args()
    windows = is_windows_program(args.exe)
    if args.scenario in windows_scenarios.SCENARIOS:
        if not windows or not args.doubles:
            parser.error(f"{args.scenario} needs portprov.exe and --doubles")
    elif windows and args.scenario not in SHARED:
        parser.error(f"{args.scenario} is a scenario of the Linux program only")
    try:
        if args.scenario in windows_scenarios.SCENARIOS:
            windows_scenarios.SCENARIOS[args.scenario](args.exe, Path(args.shots),
                                                       Path(args.doubles))
        else:
            SCENARIOS[args.scenario](args.exe, Path(args.shots))
    except E2EFailure as failure:
        print(f"FAIL {args.scenario}: {failure}", file=sys.stderr)
        return 1
    print(f"ok {args.scenario}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
