# SPDX-License-Identifier: MIT
"""With a loopback plug in the simulated port: live reading of the status
register as the control register changes, and the loopback dialog."""

import time

import window_checks as C
import window_layout as L
from window_steps import check_start_up, dialog_faces, open_tools_item
from x11session import X11Session

LIVE_FACE = (176, 216, 255)  # the read button while live reading runs


def status_pins(pattern):
    """Pins 2 to 9 for a status byte: bits 7 and 3 inverted, bits 2 to 0 white."""
    pins = {}
    for i, bit in enumerate(pattern):
        bit_number = 7 - i
        red = bit == "1"
        if bit_number in (7, 3):
            red = not red
        if bit_number <= 2:
            red = False
        pins[2 + bit_number] = L.RED if red else L.WHITE
    return pins


def scenario_live_reading(exe, shots):
    """With the control-loop plug and 889 in the address box, Ctrl+L reads the
    status register over and over: a write to the control register changes
    the status lamps without a click on the read button, which is marked
    while the reading runs. A half-typed address is not read."""
    with X11Session(shots, "live-reading") as s:
        s.start(exe, args=("--simulate", "--plug=control"))
        check_start_up(s)
        s.replace_text_in(*L.centre(L.TEXT1), "889")
        s.key("ctrl+l")
        # Control 0: select and paper end high, busy's pin high: 55.
        pins = L.start_up_pins()
        pins.update(status_pins("00110111"))

        def reading(pattern):
            def check(shot):
                return (C.bit_lamps(s, shot, pattern) + C.pin_lamps(s, shot, pins) +
                        C.value_display_has_text(s, shot, True) +
                        C.dominant(s, shot, "the marked read button", L.COMMAND1, LIVE_FACE))
            return check

        s.expect("live-889", reading("00110111"))

        # 15 to the control register: strobe, auto feed and select in low,
        # init high; the status turns to 199 on the next tick.
        s.replace_text_in(*L.centre(L.TEXT2), "15")
        s.click(*L.centre(L.COMMAND3))
        pins.update(status_pins("11000111"))
        pins.update({1: L.WHITE, 14: L.WHITE, 16: L.RED, 17: L.WHITE})
        s.expect("live-after-890-15", reading("11000111"))

        # Backspacing to "8" on the way to another address reads nothing new
        # (on a real PC port 8 is the DMA controller) and says nothing.
        s.click(*L.centre(L.TEXT1))
        s.key("End", "BackSpace", "BackSpace")
        time.sleep(0.5)
        s.expect("live-half-typed", reading("11000111"))

        # Off again: the read button loses its mark.
        s.key("ctrl+l")

        def unmarked(shot):
            if C.dominant(s, shot, "the read button", L.COMMAND1, LIVE_FACE):
                return []
            return ["the read button is still marked after live reading stopped"]

        s.expect("live-off", unmarked)


def open_loopback_dialog(s):
    """Verktyg → Slingtest…: the dialog, with Starta focused."""
    return open_tools_item(s, 2, "Slingtest")


def choose_data_wiring(s):
    # From Starta back over the result table, "tills stoppad" and the rounds
    # to the wiring, one entry down.
    s.key("shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "Down")


def scenario_loopback(exe, shots):
    """The loopback dialog passes with each simulated plug in its own wiring,
    and fails the data wiring on the control plug."""
    with X11Session(shots, "loopback-control") as s:
        s.start(exe, args=("--simulate", "--plug=control"))
        check_start_up(s)
        dialog = open_loopback_dialog(s)
        s.key("Return")

        def passed(shot):
            ok, bad = dialog_faces(s, shot, dialog)
            return [] if ok > 3000 and bad == 0 else [f"{ok} pass and {bad} fail pixels"]

        s.expect("control-plug-control-wiring", passed)
        choose_data_wiring(s)
        s.key("Return")

        def failed(shot):
            ok, bad = dialog_faces(s, shot, dialog)
            # D0 to error (2-15) is in both wirings; the other four fail.
            return [] if bad > 4 * ok > 0 else [f"{ok} pass and {bad} fail pixels"]

        s.expect("control-plug-data-wiring", failed)
        s.key("Escape")
        s.wait_for_dialog_gone(dialog)
        # The test put the port back: the window is as it started.
        s.expect("after-loopback", lambda shot: C.start_up_lamps(s, shot))

    with X11Session(shots, "loopback-data") as s:
        s.start(exe, args=("--simulate", "--plug=data"))
        check_start_up(s)
        dialog = open_loopback_dialog(s)
        choose_data_wiring(s)
        s.key("Return")
        s.expect("data-plug-data-wiring", passed)
