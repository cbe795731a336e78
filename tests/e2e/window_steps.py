# SPDX-License-Identifier: MIT
"""The steps the window scenarios share: the window at start-up, the
keyboard's road to a write, the tools' dialogs and their coloured pixels."""

import time

import window_checks as C
import window_layout as L
from x11session import CAPTION, CLIENT_SIZE, SCREEN, E2EFailure

PASS_FACE = (192, 255, 192)  # a working wire and a passed verdict in the loopback dialog
FAIL_FACE = (255, 192, 192)


def fail_if(complaints):
    if complaints:
        raise E2EFailure("; ".join(complaints))


def write_with_keyboard(s, address, value):
    """Address box, Enter, value, Enter: the keyboard road to the write command."""
    s.replace_text_in(*L.centre(L.TEXT1), address)
    s.key("Return")
    # Enter has moved the focus to the value box with its text selected: the
    # value typed replaces what it held.
    s.type_text(value)
    s.key("Return")


def check_start_up(s, everything=False):
    """The window is there at its start-up state: caption, size, place and
    lamps; with `everything`, also every colour of the background and controls."""
    name = s.window_name()
    if name != CAPTION:
        raise E2EFailure(f"window caption is {name!r}, not {CAPTION!r}")
    x, y, width, height = s.window_geometry()
    if width != CLIENT_SIZE[0] * s.scale:
        raise E2EFailure(f"window is {width} pixels wide, not {CLIENT_SIZE[0] * s.scale}")
    if not CLIENT_SIZE[1] * s.scale < height < (CLIENT_SIZE[1] + 60) * s.scale:
        raise E2EFailure(f"window is {height} pixels high: not the client area and a menu bar")
    centre = (x + width / 2, y + height / 2)
    if abs(centre[0] - SCREEN[0] / 2) > 20 or abs(centre[1] - SCREEN[1] / 2) > 40:
        raise E2EFailure(f"window is not centred on the screen (centre at {centre})")
    if everything:
        return s.expect("start-up", lambda shot: C.start_up(s, shot))
    return s.expect("start-up", lambda shot: C.start_up_lamps(s, shot))



def open_tools_item(s, item, title):
    """Verktyg, down to its item-th entry, Enter: the dialog titled title."""
    x, y, _, _ = s.window_geometry()
    menu_x, menu_y = L.VERKTYG_MENU
    s._xdotool("mousemove", str(x + menu_x), str(y + menu_y))
    s._xdotool("click", "1")
    time.sleep(0.3)
    s.key(*["Down"] * item, "Return")
    return s.wait_for_dialog(title)


def dialog_faces(s, shot, dialog, pass_face=None):
    values = {}
    for line in s._xdotool("getwindowgeometry", "--shell", dialog).splitlines():
        key, _, value = line.partition("=")
        values[key] = value
    x, y, w, h = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
    pixels = shot.region(x, y, w, h)
    return (sum(1 for p in pixels if p == (pass_face or PASS_FACE)),
            sum(1 for p in pixels if p == FAIL_FACE))
