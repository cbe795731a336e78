# SPDX-License-Identifier: MIT
"""A private X server with the program in it: start, drive with xdotool, and
read the screen back as pixels. Python standard library only; the X tools
(Xvfb, xdotool, ImageMagick's import and convert) come from Debian."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

CAPTION = "Test LPT1  Adress Hex 0378 - 037A  888 - 890  GamePort 513  "
CLIENT_SIZE = (472, 348)  # logical pixels, below the menu bar
SCREEN = (1280, 1024)


class E2EFailure(AssertionError):
    pass


def is_windows_program(exe) -> bool:
    """A Windows program (portprov.exe) runs under Wine, in the prefix and with
    the settings of the environment (WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES)."""
    return str(exe).lower().endswith(".exe")


def windows_path(path) -> str:
    """A host path as the Windows program sees it: Wine's drive Z: is /."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def end_wine_session():
    """Ends every Windows program of the Wine prefix and its Wine server.
    Wine's desktop process belongs to the X server the session began on, so
    each X server gets a session of its own."""
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=30)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=30)


def set_wine_scale(scale):
    """Windows' way to a larger screen scale: the desktop's dots per inch (96
    at scale 1), which Qt follows. Takes effect in the next Wine session."""
    subprocess.run(["wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(round(96 * scale)), "/f"],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    end_wine_session()


def program_command(exe, args=()):
    if is_windows_program(exe):
        return ["wine", str(exe), *args]
    return [str(exe), *args]


class Screenshot:
    """An RGB screenshot parsed from a binary PPM (P6)."""

    def __init__(self, ppm: bytes, path: Path):
        self.path = path
        fields = []
        pos = 0
        # Header: magic, width, height, maxval, separated by whitespace; comments start with '#'.
        while len(fields) < 4:
            while ppm[pos : pos + 1].isspace():
                pos += 1
            if ppm[pos : pos + 1] == b"#":
                pos = ppm.index(b"\n", pos) + 1
                continue
            end = pos
            while not ppm[end : end + 1].isspace():
                end += 1
            fields.append(ppm[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise E2EFailure(f"unexpected screenshot format {fields!r}")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.data = ppm[pos + 1 :]
        if len(self.data) < self.width * self.height * 3:
            raise E2EFailure("screenshot is truncated")

    def pixel(self, x: int, y: int):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise E2EFailure(f"pixel {x},{y} is outside the screen")
        i = (y * self.width + x) * 3
        return tuple(self.data[i : i + 3])

    def region(self, x: int, y: int, w: int, h: int):
        return [self.pixel(x + dx, y + dy) for dy in range(h) for dx in range(w)]

    def crop_bytes(self, x: int, y: int, w: int, h: int) -> bytes:
        rows = []
        for dy in range(h):
            i = ((y + dy) * self.width + x) * 3
            rows.append(self.data[i : i + w * 3])
        return b"".join(rows)


def close(colour, expected, tolerance=10):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


class X11Session:
    """Xvfb on a free display number, with `portprov` started inside it."""

    def __init__(self, shots_dir: Path, name: str, screen=SCREEN):
        for tool in ("Xvfb", "xdotool", "import", "convert"):
            if shutil.which(tool) is None:
                raise E2EFailure(f"{tool} is not installed")
        self.shots_dir = shots_dir
        self.name = name
        self.shots_dir.mkdir(parents=True, exist_ok=True)
        self.shot_count = 0
        self.app = None
        self.wine = False
        self.window = None
        self._origin = None
        self.scale = 1
        self.app_log = shots_dir / f"{name}.program.log"
        self.home = Path(tempfile.mkdtemp(prefix="portprov-e2e-home-"))

        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{screen[0]}x{screen[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise E2EFailure("Xvfb did not report a display number")
        self.display = f":{number}"

    # --- the program -------------------------------------------------------

    def start(self, exe, args=("--simulate",), scale=1, extra_env=None, path_prefix=None,
              cwd=None):
        self.scale = scale
        self._origin = None
        env = dict(os.environ)
        env.update({
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            "HOME": str(self.home),
            "XDG_RUNTIME_DIR": str(self.home),
            "XDG_CONFIG_HOME": str(self.home / ".config"),
            "LANG": env.get("LANG", "C.UTF-8"),
        })
        for key in ("WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                    "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_FONT_DPI"):
            env.pop(key, None)
        if scale != 1:
            env["QT_SCALE_FACTOR"] = str(scale)
        if is_windows_program(exe):
            if not self.wine:
                end_wine_session()  # one begun on another X server, or on none
                self.wine = True
            if scale != 1:
                set_wine_scale(scale)  # Wine hands no QT_ variables to Windows programs
            env["QT_QPA_PLATFORM"] = "windows"
            env.setdefault("WINEDEBUG", "-all")
            env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        if path_prefix:
            env["PATH"] = f"{path_prefix}{os.pathsep}{env.get('PATH', '')}"
        if extra_env:
            env.update(extra_env)
        self.log_file = open(self.app_log, "w")
        self.app = subprocess.Popen(program_command(exe, args), env=env, stdout=self.log_file,
                                    stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, cwd=cwd)
        self.window = self._find_window()
        return self.window

    def _xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": self.display},
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise E2EFailure(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def _find_window(self, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.app.poll() is not None:
                raise E2EFailure(f"the program ended at start-up with status {self.app.returncode}"
                                 f"; see {self.app_log}")
            found = self._xdotool("search", "--onlyvisible", "--name", "^Test LPT1", check=False)
            ids = found.split()
            if ids:
                time.sleep(0.5)  # let the first paint finish
                return ids[0]
            time.sleep(0.1)
        raise E2EFailure(f"no window with the caption {CAPTION!r} appeared; see {self.app_log}")

    def wait_for_dialog(self, title, timeout=10.0):
        """The id of a visible window titled exactly `title` (a message box)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for wid in self._xdotool("search", "--onlyvisible", "--name", f"^{title}$",
                                     check=False).split():
                if wid != self.window:
                    return wid
            if self.app.poll() is not None:
                raise E2EFailure(f"the program ended (status {self.app.returncode}) instead of"
                                 f" showing a message; see {self.app_log}")
            time.sleep(0.1)
        raise E2EFailure(f"no message box titled {title!r} appeared")

    def wait_for_dialog_gone(self, wid, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            visible = self._xdotool("search", "--onlyvisible", "--name", ".", check=False).split()
            if wid not in visible:
                return
            time.sleep(0.1)
        raise E2EFailure("the message box did not close")

    def wait_for_window_named(self, pattern, timeout=20.0):
        """The id of a visible window whose name matches `pattern` (another program's)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self._xdotool("search", "--onlyvisible", "--name", pattern, check=False)
            for wid in found.split():
                if wid != self.window:
                    return wid
            time.sleep(0.2)
        raise E2EFailure(f"no window named like {pattern!r} appeared")

    def window_name(self, wid=None):
        return self._xdotool("getwindowname", wid or self.window).rstrip("\n")

    def window_geometry(self):
        values = {}
        for line in self._xdotool("getwindowgeometry", "--shell", self.window).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value) if value.lstrip("-").isdigit() else value
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def client_origin(self):
        """Top-left of the client area below the menu bar, in screen pixels.
        The window has a fixed size and nothing moves it (no window manager)."""
        if self._origin is None:
            x, y, width, height = self.window_geometry()
            self._origin = (x, y + height - CLIENT_SIZE[1] * self.scale)
        return self._origin

    def at(self, lx, ly):
        """A point given in logical client pixels, on the screen."""
        ox, oy = self.client_origin()
        return ox + round(lx * self.scale), oy + round(ly * self.scale)

    # --- input ---------------------------------------------------------------

    def click(self, lx, ly):
        sx, sy = self.at(lx, ly)
        # (--sync would wait for ever when the pointer is already there.)
        self._xdotool("mousemove", str(sx), str(sy))
        time.sleep(0.05)
        self._xdotool("click", "1")
        time.sleep(0.15)

    def key(self, *keys):
        self._xdotool("key", "--delay", "40", *keys)
        time.sleep(0.15)

    def type_text(self, text):
        self._xdotool("type", "--delay", "40", "--", text)
        time.sleep(0.1)

    def replace_text_in(self, lx, ly, text):
        """Click into a text box, select all of it and type over it."""
        self.click(lx, ly)
        self.key("ctrl+a")
        self.type_text(text)

    # --- the screen ------------------------------------------------------------

    def screenshot(self, label):
        self.shot_count += 1
        png = self.shots_dir / f"{self.name}-{self.shot_count:02d}-{label}.png"
        env = {**os.environ, "DISPLAY": self.display}
        subprocess.run(["import", "-window", "root", str(png)], env=env, check=True,
                       capture_output=True, timeout=30)
        ppm = subprocess.run(["convert", str(png), "-depth", "8", "ppm:-"], check=True,
                             capture_output=True, timeout=30).stdout
        return Screenshot(ppm, png)

    def expect(self, label, check, timeout=6.0):
        """Takes screenshots until `check(shot)` returns an empty list of
        complaints, or fails with the complaints of the last one."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot(label)
            complaints = check(shot)
            if not complaints:
                return shot
            if time.monotonic() >= deadline:
                raise E2EFailure(f"{label}: " + "; ".join(complaints[:12]) +
                                 (f" (and {len(complaints) - 12} more)" if len(complaints) > 12 else "") +
                                 f"\n  screenshot: {shot.path}")
            shot.path.unlink(missing_ok=True)
            self.shot_count -= 1
            time.sleep(0.3)

    # --- ending --------------------------------------------------------------

    def wait_for_exit(self, timeout=10.0):
        try:
            return self.app.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EFailure(f"the program did not end within {timeout} s")

    def close(self):
        if self.app is not None and self.app.poll() is None:
            self.app.send_signal(signal.SIGTERM)
            try:
                self.app.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()
        if self.wine:
            end_wine_session()
            if self.scale != 1:
                set_wine_scale(1)
        if self.app is not None:
            self.log_file.close()
        if self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False
