# SPDX-License-Identifier: MIT
"""Pixel checks on a screenshot of the window. Each returns a list of
complaints; an empty list means the screenshot shows what was expected."""

import window_layout as L
from x11session import close


def _name(colour):
    names = {L.RED: "red", L.WHITE: "white", L.BLACK: "black", L.TEAL: "teal",
             L.LIGHT_YELLOW: "light yellow", L.GREEN_FACE: "light green",
             L.ORANGE_FACE: "light orange", L.CONTACT: "contact grey"}
    return names.get(tuple(colour), str(tuple(colour)))


def _device_rect(session, rect, inset=0):
    x, y, w, h = rect
    sx, sy = session.at(x, y)
    s = session.scale
    return sx + inset * s, sy + inset * s, w * s - 2 * inset * s, h * s - 2 * inset * s


def background(session, shot):
    complaints = []
    for lx, ly in L.TEAL_SPOTS:
        colour = shot.pixel(*session.at(lx, ly))
        if not close(colour, L.TEAL, 6):
            complaints.append(f"background at {lx},{ly} is {colour}, not teal")
    return complaints


def dominant(session, shot, what, rect, colour, share=0.5, inset=3):
    """At least `share` of the control's inner pixels have `colour`."""
    x, y, w, h = _device_rect(session, rect, inset)
    pixels = shot.region(x, y, w, h)
    matching = sum(1 for p in pixels if close(p, colour, 6))
    if matching < share * len(pixels):
        mean = tuple(round(sum(p[c] for p in pixels) / len(pixels)) for c in range(3))
        return [f"{what} is not mostly {_name(colour)} {tuple(colour)}: {matching} of"
                f" {len(pixels)} pixels, average colour {mean}"]
    return []


def uniform(session, shot, what, rect, colour):
    """Every pixel of the rectangle has `colour` (lamps are plain squares)."""
    x, y, w, h = _device_rect(session, rect)
    wrong = [p for p in shot.region(x, y, w, h) if not close(p, colour, 12)]
    if wrong:
        return [f"{what} is not {_name(colour)} (e.g. {wrong[0]}, {len(wrong)} of {w * h} pixels)"]
    return []


def bit_lamps(session, shot, pattern):
    """The eight bit lamps show `pattern` ("01010101"), bit 7 on the left."""
    complaints = []
    for i, bit in enumerate(pattern):
        colour = L.RED if bit == "1" else L.WHITE
        complaints += uniform(session, shot, f"bit lamp {i + 1}", L.BIT_LAMPS[i], colour)
    return complaints


def pin_lamps(session, shot, colours):
    """Each pin lamp has its colour and sits on its drawn contact: the pixels
    just outside the middle of each of its four edges are the contact's
    dark socket."""
    complaints = []
    s = session.scale
    for pin, colour in sorted(colours.items()):
        rect = L.pin_lamp(pin)
        complaints += uniform(session, shot, f"pin {pin} lamp", rect, colour)
        x, y, w, h = _device_rect(session, rect)
        ring = [(x - 1, y + h // 2), (x + w, y + h // 2), (x + w // 2, y - 1), (x + w // 2, y + h)]
        off = [p for p in ring if not close(shot.pixel(*p), L.CONTACT, 30)]
        if off:
            complaints.append(f"pin {pin} lamp is not on its drawn contact at scale {s}"
                              f" (around it: {[shot.pixel(*p) for p in ring]})")
    return complaints


def data_pins(pattern):
    """Pins 2 to 9 for a data byte: position i goes to pin 10 - i."""
    return {10 - (i + 1): (L.RED if bit == "1" else L.WHITE) for i, bit in enumerate(pattern)}


def value_display_has_text(session, shot, expect_text):
    x, y, w, h = _device_rect(session, L.LBL_VALUE, 2)
    count = sum(1 for p in shot.region(x, y, w, h) if close(p, L.VALUE_TEXT, 40))
    if expect_text and count < 10 * session.scale:
        return ["the value display shows no number"]
    if not expect_text and count:
        return [f"the value display is not empty ({count} dark red pixels)"]
    return []


def start_up_lamps(session, shot):
    return bit_lamps(session, shot, "00000000") + pin_lamps(session, shot, L.start_up_pins())


def start_up(session, shot):
    complaints = background(session, shot)
    complaints += dominant(session, shot, "the value display", L.LBL_VALUE, L.LIGHT_YELLOW, 0.8)
    complaints += dominant(session, shot, "the address box", L.TEXT1, L.LIGHT_YELLOW)
    complaints += dominant(session, shot, "the value box", L.TEXT2, L.LIGHT_YELLOW)
    complaints += dominant(session, shot, "the address list", L.LIST1, L.LIGHT_YELLOW)
    complaints += dominant(session, shot, "the write button", L.COMMAND2, L.GREEN_FACE)
    complaints += dominant(session, shot, "the control register button", L.COMMAND3,
                           L.ORANGE_FACE)
    complaints += value_display_has_text(session, shot, False)
    complaints += start_up_lamps(session, shot)
    return complaints
