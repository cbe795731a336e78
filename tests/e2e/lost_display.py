# SPDX-License-Identifier: MIT
"""The X server goes away under the open window."""

from x11session import E2EFailure, X11Session


def scenario_display_lost(exe, shots):
    """Xvfb killed under the window: the program says in Swedish that it lost
    its screen, not in the toolkit's English, and ends with status 1."""
    with X11Session(shots, "display-lost") as s:
        s.start(exe)
        s.xvfb.kill()
        s.xvfb.wait()
        status = s.wait_for_exit(20)
        s.log_file.flush()
        said = s.app_log.read_text()
        if status != 1 or "förlorade kontakten med skärmen" not in said \
                or "X11 connection broke" in said:
            raise E2EFailure(f"status {status}, said {said!r}")
