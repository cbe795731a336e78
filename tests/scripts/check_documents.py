#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The documents describe today's program. Every option it lists in --help is
described where a user looks for it: the README's table of options, the
manual page's FLAGGOR and the read-me the window opens (Info -> Läs Mig); the
table and the manual page name no option the program no longer has. Every
tool of the window's Verktyg menu is named in all three. The README's map of
the folders names every folder of the source, and no folder that is gone.

    check_documents.py --exe build/test/app/portprov --source ."""

import argparse
import os
import re
import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no caches in the source folder
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

from check_readme import rtf_to_text  # noqa: E402

OPTION = re.compile(r"(?<![\w-])(--?[a-z][\w-]*)")


def listed_options(exe: str) -> set:
    """The options of `portprov --simulate --help`: the first words of its
    option lines ("  -h, --help   Visa ...")."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    out = subprocess.run([exe, "--simulate", "--help"], capture_output=True, text=True,
                         env=env, timeout=60, check=True).stdout
    options = set()
    for line in out.splitlines():
        heads = re.match(r"^\s+((?:-\w, )?--[\w-]+)", line)
        if heads:
            options.update(OPTION.findall(heads.group(1)))
    if "--simulate" not in options or "--help" not in options:
        raise ValueError(f"no option list in the help text:\n{out}")
    return options


def readme_table(source: Path) -> set:
    """The options named in the first column of the README's table under
    "## Command-line options"."""
    text = (source / "README.md").read_text(encoding="utf-8")
    section = text.split("\n## Command-line options\n", 1)[1].split("\n#", 1)[0]
    rows = [line for line in section.splitlines() if line.startswith("|")][2:]
    return {name for row in rows for name in OPTION.findall(row.split("|")[1])}


def manual_entries(source: Path) -> set:
    """The options of the .TP entries under the manual page's FLAGGOR."""
    text = (source / "assets" / "portprov.1").read_text(encoding="utf-8")
    section = text.split("\n.SH FLAGGOR\n", 1)[1].split("\n.SH ", 1)[0]
    heads = re.findall(r"^\.TP\n(.*)$", section, re.M)
    plain = [re.sub(r"\\f[BIRP]", "", head).replace("\\-", "-") for head in heads]
    return {name for head in plain for name in OPTION.findall(head)}


def read_me_text(source: Path) -> str:
    return rtf_to_text((source / "assets" / "Doruv.rtf").read_bytes())


def read_me_options(source: Path) -> set:
    """Every option the read-me names anywhere."""
    return set(OPTION.findall(read_me_text(source)))


def menu_tools(source: Path) -> list:
    """The titles of the Verktyg menu, from the one list the window builds it
    from: the first string of each row of kVerktygTools."""
    table = (source / "app" / "window" / "VerktygTools.h").read_text(encoding="utf-8")
    rows = table.split("kVerktygTools[] = {", 1)[1].split("\n};", 1)[0]
    tools = re.findall(r'^\s*\{"([^"]+)"', rows, re.M)
    if len(tools) < 6:
        raise ValueError(f"found only {tools} in the Verktyg menu")
    return tools


# Where each option must be described, and whether the place may name only
# options the program has (a read-me's prose also names Qt's own -platform).
DOCUMENTS = [
    ("the README's table of options", readme_table, True),
    ("the manual page's FLAGGOR", manual_entries, True),
    ("the read-me Doruv.rtf", read_me_options, False),
]

# The whole text of each document, where the tools are looked for.
TEXTS = [
    ("the README", lambda source: (source / "README.md").read_text(encoding="utf-8")),
    ("the manual page",
     lambda source: (source / "assets" / "portprov.1").read_text(encoding="utf-8")),
    ("the read-me Doruv.rtf", read_me_text),
]


def layout_map(source: Path) -> dict:
    """The rows of the README's table under "## Layout": folder -> row text."""
    text = (source / "README.md").read_text(encoding="utf-8")
    section = text.split("\n## Layout\n", 1)[1].split("\n#", 1)[0]
    rows = [line for line in section.splitlines() if line.startswith("|")][2:]
    return {row.split("|")[1].strip().strip("`").rstrip("/"): row for row in rows}


def source_folders(source: Path) -> list:
    """Every folder of the source: those git keeps files in, or where the
    source is no git checkout, those found, build folders and caches left out."""
    try:
        tracked = subprocess.run(["git", "-C", str(source), "ls-files", "-z"],
                                 capture_output=True, check=True).stdout.decode("utf-8")
    except (OSError, subprocess.CalledProcessError):
        tracked = ""
    if tracked:
        files = [Path(name) for name in tracked.split("\0") if name]
        return sorted({str(folder) for f in files for folder in f.parents if str(folder) != "."})
    found = []
    for root, folders, _ in os.walk(source):
        folders[:] = sorted(f for f in folders if f != "__pycache__" and not (
            Path(root) == source and (f.startswith("build") or f in (".git", ".github"))))
        found += [str((Path(root) / f).relative_to(source)) for f in folders]
    return found


def unmapped_folders(source: Path) -> tuple:
    """Folders neither with a row of their own nor named (`name/`) in the
    row of a folder above them; and rows of folders that are not there."""
    rows = layout_map(source)
    missing = []
    for folder in source_folders(source):
        above = [str(Path(*Path(folder).parts[:n])) for n in range(1, len(Path(folder).parts))]
        named = f"`{Path(folder).name}/"
        if folder not in rows and not any(named in rows.get(a, "") for a in above):
            missing.append(folder)
    gone = [folder for folder in rows if not (source / folder).is_dir()]
    return missing, gone


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--source", required=True, type=Path)
    args = parser.parse_args()
    listed = listed_options(args.exe)
    failures = 0
    for name, described, only_listed in DOCUMENTS:
        found = described(args.source)
        missing = sorted(listed - found)
        extra = sorted(found - listed) if only_listed else []
        if missing:
            failures += 1
            print(f"FAIL {name} does not describe {missing}, which --help lists")
        if extra:
            failures += 1
            print(f"FAIL {name} names {extra}, which --help does not list")
    tools = menu_tools(args.source)
    for name, text in TEXTS:
        missing = [tool for tool in tools if tool not in text(args.source)]
        if missing:
            failures += 1
            print(f"FAIL {name} does not name the Verktyg tools {missing}")
    missing, gone = unmapped_folders(args.source)
    if missing:
        failures += 1
        print(f"FAIL the README's map of the folders leaves out {missing}")
    if gone:
        failures += 1
        print(f"FAIL the README's map of the folders names {gone}, which are not there")
    if not failures:
        print(f"ok: {len(listed)} options and {len(tools)} tools described in"
              f" {len(DOCUMENTS)} places")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
