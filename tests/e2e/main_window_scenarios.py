# SPDX-License-Identifier: MIT
"""The main window by mouse and keyboard: writes and reads, the registers'
rules on the lamps and pins, the address list, the scale, and the refusals."""

import shutil
import tempfile
from pathlib import Path

import window_checks as C
import window_layout as L
from window_steps import check_start_up, write_with_keyboard
from x11session import E2EFailure, X11Session


def scenario_start_up(exe, shots):
    with X11Session(shots, "start-up") as s:
        s.start(exe)
        check_start_up(s, everything=True)


def scenario_write_keyboard(exe, shots):
    """888, Enter, 255, Enter: all bit lamps and pins 2 to 9 red, and the
    byte read back in the value display; no other pin changes."""
    with X11Session(shots, "write-keyboard") as s:
        s.start(exe)
        check_start_up(s)
        write_with_keyboard(s, "888", "255")
        pins = L.start_up_pins()
        pins.update(C.data_pins("11111111"))

        def written(shot):
            return (C.bit_lamps(s, shot, "11111111") + C.pin_lamps(s, shot, pins) +
                    C.value_display_has_text(s, shot, True))

        s.expect("888-255", written)

        # 0 turns them all white again and still shows the byte read back.
        write_with_keyboard(s, "888", "0")
        pins.update(C.data_pins("00000000"))
        s.expect("888-0", lambda shot: C.bit_lamps(s, shot, "00000000") +
                 C.pin_lamps(s, shot, pins) + C.value_display_has_text(s, shot, True))


def label5_pixels(s, shot):
    x, y = s.at(L.LABEL5[0], L.LABEL5[1])
    return shot.crop_bytes(x, y, L.LABEL5[2] * s.scale, L.LABEL5[3] * s.scale)


def scenario_control_register(exe, shots):
    """890 with 32: read-mode text, control pins 17, 14 and 1 red, 16 white;
    then 15 through the control register button: pins inverted and the
    write-mode text back exactly as at start-up."""
    with X11Session(shots, "control-register") as s:
        s.start(exe)
        first = check_start_up(s)
        write_mode_text = label5_pixels(s, first)

        write_with_keyboard(s, "890", "32")
        pins = L.start_up_pins()
        pins.update(C.data_pins("00100000"))  # the write command paints the data pins first
        pins.update({17: L.RED, 16: L.WHITE, 14: L.RED, 1: L.RED})

        def read_mode(shot):
            complaints = C.bit_lamps(s, shot, "00100000") + C.pin_lamps(s, shot, pins)
            if label5_pixels(s, shot) == write_mode_text:
                complaints.append("the direction text did not change to read mode")
            # No read-back after a control register write: the display stays empty.
            complaints += C.value_display_has_text(s, shot, False)
            return complaints

        s.expect("890-32", read_mode)

        s.replace_text_in(*L.centre(L.TEXT2), "15")
        s.click(*L.centre(L.COMMAND3))
        pins.update({17: L.WHITE, 16: L.RED, 14: L.WHITE, 1: L.WHITE})

        def write_mode(shot):
            complaints = C.bit_lamps(s, shot, "00001111") + C.pin_lamps(s, shot, pins)
            if label5_pixels(s, shot) != write_mode_text:
                complaints.append("the direction text is not the write-mode text of start-up")
            return complaints

        s.expect("register-button-15", write_mode)


def scenario_address_list(exe, shots):
    """Writing 85 to 888, then 0 to 632, then choosing 888 in the list reads
    85 back: lamps 01010101 and the data pins with them. Down to 889 reads
    the status register (127 with nothing attached) through its own rule."""
    with X11Session(shots, "address-list") as s:
        s.start(exe)
        first = check_start_up(s)
        write_mode_text = label5_pixels(s, first)
        write_with_keyboard(s, "888", "85")
        s.expect("888-85", lambda shot: C.bit_lamps(s, shot, "01010101"))
        write_with_keyboard(s, "632", "0")
        pins = L.start_up_pins()
        pins.update(C.data_pins("00000000"))
        s.expect("632-0", lambda shot: C.bit_lamps(s, shot, "00000000") +
                 C.pin_lamps(s, shot, pins))

        # The first entry, "888", is at the top of the list.
        s.click(L.LIST1[0] + 15, L.LIST1[1] + 6)
        pins.update(C.data_pins("01010101"))
        s.expect("list-888", lambda shot: C.bit_lamps(s, shot, "01010101") +
                 C.pin_lamps(s, shot, pins) + C.value_display_has_text(s, shot, True))

        # Down arrow: "889", the status register: 127 = 01111111. Bit 7 and
        # bit 3 are inverted on their pins, bits 2 to 0 always white.
        s.key("Down")
        pins.update({9: L.RED, 8: L.RED, 7: L.RED, 6: L.RED, 5: L.WHITE, 4: L.WHITE,
                     3: L.WHITE, 2: L.WHITE})

        def status(shot):
            complaints = C.bit_lamps(s, shot, "01111111") + C.pin_lamps(s, shot, pins)
            if label5_pixels(s, shot) == write_mode_text:
                complaints.append("choosing 889 did not set the read-mode direction text")
            return complaints

        s.expect("list-889", status)


def scenario_reported_port(exe, shots):
    """A parallel port the computer reports at 0xD010 (from a folder standing
    in for /proc/sys/dev/parport) ends the address list after a blank entry:
    End, Up, Up chooses 53264, its data register, and the data pins show the
    byte read (255 on the simulated PC's floating bus); Down, 53265, shows it
    by the status register's rule."""
    with tempfile.TemporaryDirectory() as tmp, X11Session(shots, "reported-port") as s:
        root = Path(tmp)
        for name, base in (("parport0", "888\t1912\n"), ("parport1", "53264\t53256\n")):
            (root / name).mkdir()
            (root / name / "base-addr").write_text(base)
        s.start(exe, extra_env={"PORTPROV_TEST_PARPORT_ROOT": str(root)})
        check_start_up(s)
        s.click(L.LIST1[0] + 15, L.LIST1[1] + 6)  # 888 reads 0
        pins = L.start_up_pins()
        s.expect("list-888", lambda shot: C.bit_lamps(s, shot, "00000000") +
                 C.pin_lamps(s, shot, pins))
        s.key("End")
        s.key("Up")
        s.key("Up")
        pins.update(C.data_pins("11111111"))
        s.expect("list-53264", lambda shot: C.bit_lamps(s, shot, "11111111") +
                 C.pin_lamps(s, shot, pins))
        s.key("Down")
        pins.update({9: L.WHITE, 5: L.WHITE, 4: L.WHITE, 3: L.WHITE, 2: L.WHITE})
        s.expect("list-53265", lambda shot: C.pin_lamps(s, shot, pins))


def scenario_pin_clicks(exe, shots):
    """A click on pin 4 sets D2 alone: pin 4 red, bit lamps 00000100; three
    quick clicks on pin 3 set D1 (a double click counts as two). A click
    on pin 1 flips strobe: the simulated port's 890 reads 192 (bits 6 and 7
    read as 1, as on many ports), so 193 is written and the control pins show
    it (pin 1 low, as strobe is inverted). Reading
    888 and 890 afterwards shows what the port really holds."""
    with X11Session(shots, "pin-clicks") as s:
        s.start(exe)
        check_start_up(s)
        s.click(*L.centre(L.pin_lamp(4)))
        pins = L.start_up_pins()
        pins.update(C.data_pins("00000100"))
        s.expect("pin-4", lambda shot: C.bit_lamps(s, shot, "00000100") +
                 C.pin_lamps(s, shot, pins) + C.value_display_has_text(s, shot, True))
        # Three quick clicks on pin 3, the middle one a double click to the
        # toolkit: three changes, so pin 3 ends high.
        x, y = s.at(*L.centre(L.pin_lamp(3)))
        s._xdotool("mousemove", str(x), str(y))
        s._xdotool("click", "--repeat", "3", "--delay", "80", "1")
        pins.update(C.data_pins("00000110"))
        s.expect("pin-3-thrice", lambda shot: C.bit_lamps(s, shot, "00000110") +
                 C.pin_lamps(s, shot, pins))
        s.click(*L.centre(L.pin_lamp(1)))
        pins.update({1: L.WHITE, 14: L.RED, 16: L.WHITE, 17: L.RED})
        s.expect("pin-1", lambda shot: C.bit_lamps(s, shot, "11000001") +
                 C.pin_lamps(s, shot, pins))
        # The port itself: the read button shows no pins, only the byte.
        for address, pattern in (("888", "00000110"), ("890", "11000001")):
            s.replace_text_in(*L.centre(L.TEXT1), address)
            s.click(*L.centre(L.COMMAND1))
            s.expect(f"read-{address}", lambda shot, p=pattern: C.bit_lamps(s, shot, p) +
                     C.pin_lamps(s, shot, pins))


def scenario_keyboard(exe, shots):
    """The window from the keyboard alone: Enter at start-up reads (the focus
    is on the read button), Enter and Space click the focused write button,
    and Down in the list, tabbed into with nothing chosen, chooses 888."""
    with X11Session(shots, "keyboard") as s:
        s.start(exe)
        check_start_up(s)
        s.click(*L.TEAL_SPOTS[1])  # pointer on the window; the focus stays where it is
        s.key("Return")
        s.expect("enter-reads", lambda shot: C.value_display_has_text(s, shot, True))

        # Read button, address box, write button, value box.
        s.key("Tab", "Tab", "Tab", "ctrl+a")
        s.type_text("170")
        s.key("shift+Tab", "Return")
        pins = L.start_up_pins()
        pins.update(C.data_pins("10101010"))
        s.expect("enter-writes-888", lambda shot: C.bit_lamps(s, shot, "10101010") +
                 C.pin_lamps(s, shot, pins))

        s.key("shift+Tab", "ctrl+a")
        s.type_text("632")
        s.key("Tab", "Tab", "ctrl+a")
        s.type_text("0")
        s.key("shift+Tab", "space")
        pins.update(C.data_pins("00000000"))
        s.expect("space-writes-632", lambda shot: C.bit_lamps(s, shot, "00000000") +
                 C.pin_lamps(s, shot, pins))

        # Value box, then the list: Down reads 888 back, not the status register.
        s.key("Tab", "Tab", "Down")
        pins.update(C.data_pins("10101010"))
        s.expect("down-chooses-888", lambda shot: C.bit_lamps(s, shot, "10101010") +
                 C.pin_lamps(s, shot, pins))


def scenario_exit_shortcut(exe, shots):
    """Ctrl+Q ends the program at once, with status 0."""
    with X11Session(shots, "exit-shortcut") as s:
        s.start(exe)
        check_start_up(s)
        s.click(*L.TEAL_SPOTS[1])  # pointer and focus on the window, on no control
        s.key("ctrl+q")
        status = s.wait_for_exit(10)
        if status != 0:
            raise E2EFailure(f"the program ended with status {status} after Ctrl+Q")


def scenario_scale_2(exe, shots):
    """At twice the scale every lamp still sits on its drawn contact, and the
    window is the same window, twice as large."""
    with X11Session(shots, "scale-2") as s:
        s.start(exe, scale=2)
        check_start_up(s)
        s.expect("scale-2-background", lambda shot: C.background(s, shot))
        write_with_keyboard(s, "888", "170")
        pins = L.start_up_pins()
        pins.update(C.data_pins("10101010"))
        s.expect("scale-2-888-170", lambda shot: C.bit_lamps(s, shot, "10101010") +
                 C.pin_lamps(s, shot, pins))


def scenario_refusals(exe, shots):
    """An address outside 0 to 65535 and a negative value are refused with a
    message box titled "Portprov"; after OK nothing in the window has changed
    and the program runs on. Without any document opener, Ctrl+R explains
    itself the same way."""
    empty_bin = Path(tempfile.mkdtemp(prefix="portprov-no-opener-"))
    try:
        with X11Session(shots, "refusals") as s:
            # No xdg-open anywhere on the PATH.
            s.start(exe, extra_env={"PATH": str(empty_bin)})
            first = check_start_up(s)
            before = label5_pixels(s, first)

            def unchanged(shot):
                complaints = C.start_up_lamps(s, shot) + C.value_display_has_text(s, shot, False)
                if label5_pixels(s, shot) != before:
                    complaints.append("the direction text changed")
                return complaints

            def refused(label):
                box = s.wait_for_dialog("Portprov")
                s.screenshot(label)
                s.key("Return")
                s.wait_for_dialog_gone(box)
                s.expect(f"{label}-after", unchanged)

            # The read button with an address that would alias to another port.
            s.replace_text_in(*L.centre(L.TEXT1), "70000")
            s.click(*L.centre(L.COMMAND1))
            refused("read-70000")

            # The write button with a negative value, at a good address.
            s.replace_text_in(*L.centre(L.TEXT1), "888")
            s.replace_text_in(*L.centre(L.TEXT2), "-1")
            s.click(*L.centre(L.COMMAND2))
            refused("write-minus-1")

            # The control register button with the same value.
            s.click(*L.centre(L.COMMAND3))
            refused("register-minus-1")

            s.click(*L.TEAL_SPOTS[1])
            s.key("ctrl+r")
            refused("read-me-without-opener")
            if s.app.poll() is not None:
                raise E2EFailure("the program ended after the refusals")
    finally:
        shutil.rmtree(empty_bin, ignore_errors=True)
