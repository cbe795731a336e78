#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks what installation gives a user.

    check_install.py --build BUILD --shots DIR install   # cmake --install into a fresh prefix
    check_install.py --build BUILD --shots DIR deb       # cpack -G DEB and the package's contents

The installed program must start, tell its version, and find its read-me; its
manual page must describe every option the program lists; the helper that
alone may hold port rights must be installed where the window and the polkit
action look for it, and link no toolkit; no program, built or installed, may
look for libraries in the working directory; the Debian package must pass
lintian without errors or warnings."""

import argparse
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from read_me_scenarios import open_read_me  # noqa: E402
from x11session import E2EFailure  # noqa: E402

ICON_SIZES = (16, 32, 48, 64, 128, 256)


def cache_value(build: Path, name: str, default: str) -> str:
    for line in (build / "CMakeCache.txt").read_text().splitlines():
        key, _, value = line.partition("=")
        if key.split(":")[0] == name and value:
            return value
    return default


def install_dirs(build: Path):
    """The program's and the data's folders below the prefix, as configured."""
    bindir = cache_value(build, "CMAKE_INSTALL_BINDIR", "bin")
    datadir = cache_value(build, "CMAKE_INSTALL_DATADIR",
                          cache_value(build, "CMAKE_INSTALL_DATAROOTDIR", "share"))
    return bindir, datadir


def mandir(build: Path) -> str:
    return cache_value(build, "CMAKE_INSTALL_MANDIR",
                       cache_value(build, "CMAKE_INSTALL_DATAROOTDIR", "share") + "/man")


def window_expects(source: Path):
    """Where the window looks for the installed helper and for its polkit
    action: pkexec is tried only when both are there."""
    found = {}
    for header, name in (("core/ports/linux/ProgramPath.h", "kInstalledHelperPath"),
                         ("core/remote/HelperLaunch.h", "kHelperPolkitAction")):
        match = re.search(name + r'\s*=\s*"([^"]+)"', (source / header).read_text())
        if not match:
            raise E2EFailure(f"{header} no longer defines {name}")
        found[name] = match.group(1)
    return found["kInstalledHelperPath"], found["kHelperPolkitAction"]


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, timeout=240, **kwargs)
    if result.returncode != 0:
        raise E2EFailure(f"{' '.join(map(str, command))} failed ({result.returncode}):\n"
                         f"{result.stdout[-2000:]}{result.stderr[-2000:]}")
    return result.stdout


def png_size(path: Path):
    data = path.read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise E2EFailure(f"{path} is not a PNG file")
    return struct.unpack(">II", data[16:24])


def check_tree(root: Path, bindir: str, datadir: str, source: Path):
    """The installed files under `root` (a prefix)."""
    program = root / bindir / "portprov"
    if not (program.is_file() and os.access(program, os.X_OK)):
        raise E2EFailure(f"no executable program at {program}")
    read_me = root / datadir / "portprov" / "Doruv.rtf"
    if not read_me.is_file() or read_me.read_bytes() != (source / "assets/Doruv.rtf").read_bytes():
        raise E2EFailure(f"the read-me is not installed as {read_me}")
    desktop = root / datadir / "applications" / "portprov.desktop"
    if not desktop.is_file():
        raise E2EFailure(f"no desktop entry at {desktop}")
    entry = desktop.read_text(encoding="utf-8").splitlines()
    for line in ("[Desktop Entry]", "Type=Application", "Exec=portprov", "Icon=portprov"):
        if line not in entry:
            raise E2EFailure(f"the desktop entry lacks the line {line!r}")
    if shutil.which("desktop-file-validate"):
        run(["desktop-file-validate", str(desktop)])
    for size in ICON_SIZES:
        icon = root / datadir / "icons" / "hicolor" / f"{size}x{size}" / "apps" / "portprov.png"
        if not icon.is_file():
            raise E2EFailure(f"no icon at {icon}")
        if png_size(icon) != (size, size):
            raise E2EFailure(f"{icon} is {png_size(icon)}, not {size} x {size}")
    return program


def check_helper_binary(helper: Path):
    """The helper that holds the port rights links no Qt (any user steers a
    Qt program through the environment: plugin paths, styles, fonts), and
    its tables of symbols are read-only once it runs."""
    if not (helper.is_file() and os.access(helper, os.X_OK)):
        raise E2EFailure(f"no executable helper at {helper}")
    qt = [line.strip() for line in run(["ldd", str(helper)]).splitlines() if "libQt" in line]
    if qt:
        raise E2EFailure(f"{helper} links Qt, and may hold port rights:\n  " + "\n  ".join(qt))
    # Full RELRO: its symbol tables cannot be overwritten once it has started.
    headers = run(["readelf", "--wide", "--program-headers", "--dynamic", str(helper)])
    if "GNU_RELRO" not in headers or "BIND_NOW" not in headers:
        raise E2EFailure(f"{helper} is not linked with -z relro -z now")


def check_run_paths(root: Path, installed: bool):
    """No program or library below root has an empty or relative entry in
    its RPATH or RUNPATH: glibc reads an empty one as the working directory,
    and a relative one from it, also for a program with raised rights, so a
    library put there would run before the program's main. Installed, they
    link only the system's libraries and need no run path at all."""
    wrong = []
    for path in sorted(p for p in root.rglob("*") if p.is_file() and not p.is_symlink()):
        with path.open("rb") as file:
            head = file.read(18)
        # Programs and shared libraries (little-endian ELF of type 2 or 3), not objects.
        if len(head) < 18 or head[:4] != b"\x7fELF" or head[16:18] not in (b"\2\0", b"\3\0"):
            continue
        dynamic = run(["readelf", "--wide", "--dynamic", str(path)])
        for tag, value in re.findall(r"\((RPATH|RUNPATH)\)\s+Library \w+: \[(.*)\]", dynamic):
            if installed or not all(entry.startswith("/") for entry in value.split(":")):
                wrong.append(f"{path.relative_to(root)}: {tag} [{value}]")
    if wrong:
        raise E2EFailure("run paths that may reach the working directory or are not needed:\n  "
                         + "\n  ".join(wrong))


def check_polkit_action(policy: Path, helper_path: str):
    """The action is valid to polkit's DTD, lets pkexec run the helper's
    installed path and nothing else, and never without a password."""
    if not policy.is_file():
        raise E2EFailure(f"no polkit action at {policy}")
    dtd = Path("/usr/share/polkit-1/policyconfig-1.dtd")
    if not shutil.which("xmllint") or not dtd.is_file():
        raise E2EFailure("xmllint or polkit's DTD is missing (apt-get install libxml2-utils polkitd)")
    run(["xmllint", "--noout", "--dtdvalid", str(dtd), str(policy)])
    actions = ET.parse(policy).getroot().findall("action")
    if [a.get("id") for a in actions] != [policy.name.removesuffix(".policy")]:
        raise E2EFailure(f"{policy.name} holds the actions {[a.get('id') for a in actions]},"
                         " not the one its name says")
    paths = [a.text for a in actions[0].iter("annotate")
             if a.get("key") == "org.freedesktop.policykit.exec.path"]
    if paths != [helper_path]:
        raise E2EFailure(f"{policy.name} lets pkexec run {paths}, not the helper {helper_path}")
    defaults = {d.tag: d.text for d in actions[0].find("defaults")}
    if set(defaults) != {"allow_any", "allow_inactive", "allow_active"} or not all(
            value in ("no", "auth_admin", "auth_admin_keep") for value in defaults.values()):
        raise E2EFailure(f"{policy.name} gives port rights without the administrator: {defaults}")


def check_starts(program: Path, version: str):
    """Returns the help text."""
    env = {**os.environ, "QT_QPA_PLATFORM": "offscreen"}
    out = run([str(program), "--version"], env=env)
    if version not in out:
        raise E2EFailure(f"'portprov --version' printed {out!r}, without the version {version}")
    out = run([str(program), "--help"], env=env)
    if "--simulate" not in out:
        raise E2EFailure(f"'portprov --help' does not mention --simulate: {out!r}")
    return out


def check_manual(page: Path, help_text: str):
    """The gzipped manual page has an entry for every long option of --help."""
    if not page.is_file():
        raise E2EFailure(f"no manual page at {page}")
    text = gzip.decompress(page.read_bytes()).decode("utf-8")
    if ".TH PORTPROV 1 " not in text or "\n.SH FLAGGOR\n" not in text:
        raise E2EFailure(f"{page} is not portprov's manual page with a section FLAGGOR")
    wrong = [target for target in re.findall(r"setcap cap_\S+ (\S+)", text.replace("\\-", "-"))
             if not target.endswith("portprov-io")]
    if wrong:
        raise E2EFailure(f"the manual page {page.name} tells to give {wrong} the capability,"
                         " not the helper portprov-io")
    options_section = text.split("\n.SH FLAGGOR\n")[1].split("\n.SH ")[0]
    for option in sorted(set(re.findall(r"^\s+(?:-\w, )?(--[\w-]+)", help_text, re.M))):
        if option.replace("-", "\\-") not in options_section:
            raise E2EFailure(f"the manual page {page.name} does not describe {option},"
                             f" which 'portprov --help' lists")


def check_debian_documents(doc: Path, version: str):
    """The licence in Debian's machine-readable form, and a changelog whose
    latest entry is this version."""
    copyright_file = doc / "copyright"
    if not copyright_file.is_file():
        raise E2EFailure(f"no copyright file at {copyright_file}")
    text = copyright_file.read_text(encoding="utf-8")
    if not text.startswith("Format: https://www.debian.org/doc/packaging-manuals/"
                           "copyright-format/1.0/") or "\nLicense: MIT\n" not in text:
        raise E2EFailure(f"{copyright_file} is not a machine-readable copyright file naming MIT")
    changelog = doc / "changelog.gz"
    if not changelog.is_file():
        raise E2EFailure(f"no changelog at {changelog}")
    first = gzip.decompress(changelog.read_bytes()).decode("utf-8").splitlines()[0]
    if not first.startswith(f"portprov ({version}) "):
        raise E2EFailure(f"the changelog's latest entry is {first!r}, not version {version}")


def check_lintian(deb: Path):
    """lintian finds no error and no warning. (Its notes are not checked: it
    calls the Swedish word "adress" a misspelling, and the read-me belongs in
    the program's data folder, from where the program opens it.)"""
    if not shutil.which("lintian"):
        raise E2EFailure("lintian is not installed (apt-get install lintian)")
    result = subprocess.run(["lintian", "--tag-display-limit", "0", str(deb)], capture_output=True,
                            text=True, timeout=240)
    complaints = [line for line in result.stdout.splitlines() if line[:2] in ("E:", "W:")]
    if complaints or result.returncode not in (0, 1):
        raise E2EFailure("lintian complains about the package:\n  " +
                         "\n  ".join(complaints or [result.stderr[-2000:]]))


def check_metainfo(root: Path, datadir: str, version: str):
    """The one AppStream entry under `root` (a prefix): valid to appstreamcli
    without errors or warnings (and without the network: only the form of an
    address counts), launching the installed desktop entry under its
    categories, its newest release this version."""
    entries = sorted((root / datadir / "metainfo").glob("*.metainfo.xml"))
    if len(entries) != 1:
        raise E2EFailure(f"{len(entries)} AppStream entries in {root / datadir}/metainfo, not one")
    result = subprocess.run(["appstreamcli", "validate", "--no-net", str(entries[0])],
                            capture_output=True, text=True, timeout=120)
    complaints = [line for line in result.stdout.splitlines() if line[:2] in ("E:", "W:")]
    if complaints or result.returncode != 0:
        raise E2EFailure(f"appstreamcli finds fault with {entries[0].name}:\n  " +
                         "\n  ".join(complaints or [result.stdout + result.stderr]))
    component = ET.parse(entries[0]).getroot()
    desktop = root / datadir / "applications" / component.findtext("launchable", "")
    lines = desktop.read_text(encoding="utf-8").splitlines() if desktop.is_file() else []
    categories = ";".join(c.text for c in component.iter("category")) + ";"
    releases = [r.get("version") for r in component.iter("release")]
    if f"Categories={categories}" not in lines or releases[:1] != [version]:
        raise E2EFailure(f"{entries[0].name} launches {desktop.name!r} in {categories} and was"
                         f" last released as {releases[:1]}: not the installed desktop entry"
                         f" with its categories, or not version {version}")


def check_install(build: Path, shots: Path):
    source = Path(cache_value(build, "CMAKE_HOME_DIRECTORY", "."))
    bindir, datadir = install_dirs(build)
    version = cache_value(build, "CMAKE_PROJECT_VERSION", "")
    # A prefix with a space in its name: nothing on the way may split it.
    prefix = Path(tempfile.mkdtemp(prefix="portprov install "))
    try:
        check_run_paths(build, installed=False)
        run(["cmake", "--install", str(build), "--prefix", str(prefix)])
        program = check_tree(prefix, bindir, datadir, source)
        check_run_paths(prefix, installed=True)
        check_helper_binary(build / "app" / "portprov-io")
        libexecdir = cache_value(build, "CMAKE_INSTALL_LIBEXECDIR", "libexec")
        check_helper_binary(prefix / libexecdir / "portprov" / "portprov-io")
        helper_path, action = window_expects(source)
        check_polkit_action(prefix / datadir / "polkit-1/actions" / Path(action).name, helper_path)
        if (program.parent / "Doruv.rtf").exists():
            raise E2EFailure("the read-me is installed next to the program, not in its data folder")
        help_text = check_starts(program, version)
        check_manual(prefix / mandir(build) / "man1" / "portprov.1.gz", help_text)
        # The installed program opens its installed read-me.
        # The prefix differs from the one the build was configured with, as
        # with "cmake --install --prefix ~/.local": the program has to find its
        # data folder from its own folder, not from a path fixed at build time.
        try:
            open_read_me(program, shots, "installed-read-me",
                         prefix / datadir / "portprov" / "Doruv.rtf")
        except E2EFailure as failure:
            raise E2EFailure(f"{failure}\n  (an installed program must find its read-me at"
                             f" <its folder>/../{datadir}/portprov whatever prefix it was"
                             " installed to)") from None
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def check_deb(build: Path, shots: Path):
    source = Path(cache_value(build, "CMAKE_HOME_DIRECTORY", "."))
    bindir, datadir = install_dirs(build)
    version = cache_value(build, "CMAKE_PROJECT_VERSION", "")
    work = Path(tempfile.mkdtemp(prefix="portprov-deb-"))
    try:
        run(["cpack", "-G", "DEB", "-B", str(work / "out"), "--config",
             str(build / "CPackConfig.cmake")], cwd=build)
        debs = sorted((work / "out").glob("*.deb"))
        if len(debs) != 1:
            raise E2EFailure(f"cpack made {len(debs)} .deb files, not one")
        deb = debs[0]
        shutil.copy2(deb, shots / deb.name)  # kept for inspection

        fields = {}
        for name in ("Package", "Version", "Architecture", "Depends", "Recommends",
                     "Description"):
            fields[name] = run(["dpkg-deb", "-f", str(deb), name]).strip()
        if fields["Package"] != "portprov" or not fields["Version"].startswith(version):
            raise E2EFailure(f"package is {fields['Package']} {fields['Version']}")
        depends = fields["Depends"]
        for needed in ("libc6", "libqt6widgets6", "libqt6gui6", "libqt6core6", "qt6-qpa-plugins",
                       "fonts-liberation2"):
            if needed not in depends:
                raise E2EFailure(f"the package does not depend on {needed}: {depends!r}")
        # Without pkexec the packaged polkit action is of no use.
        if "pkexec" not in fields["Recommends"].replace(",", " ").split():
            raise E2EFailure(f"the package does not recommend pkexec: {fields['Recommends']!r}")

        root = work / "root"
        run(["dpkg-deb", "-x", str(deb), str(root)])
        # A Debian package installs under /usr.
        program = check_tree(root / "usr", bindir, datadir, source)
        check_run_paths(root, installed=True)
        help_text = check_starts(program, version)
        check_manual(root / "usr/share/man/man1/portprov.1.gz", help_text)
        check_debian_documents(root / "usr/share/doc/portprov", fields["Version"])
        check_metainfo(root / "usr", datadir, version)
        helper_path, action = window_expects(source)
        check_helper_binary(root / helper_path.lstrip("/"))
        check_polkit_action(root / action.lstrip("/"), helper_path)
        check_lintian(deb)
        # Unpacked anywhere, the packaged program still finds its read-me.
        open_read_me(program, shots, "packaged-read-me",
                     root / "usr" / datadir / "portprov" / "Doruv.rtf")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--shots", required=True, type=Path)
    parser.add_argument("what", choices=("install", "deb"))
    args = parser.parse_args()
    args.shots.mkdir(parents=True, exist_ok=True)
    try:
        (check_install if args.what == "install" else check_deb)(args.build.resolve(), args.shots)
    except E2EFailure as failure:
        print(f"FAIL {args.what}: {failure}", file=sys.stderr)
        return 1
    print(f"ok {args.what}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
