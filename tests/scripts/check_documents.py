#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The documents describe today's program. Every option it lists in --help is
described where a user looks for it: the README's table of options, the
manual page's FLAGGOR and the read-me the window opens (Info -> Läs Mig); the
table and the manual page name no option the program no longer has. Every
tool of the window's Verktyg menu is named in all three.

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
    """The entries of the Verktyg menu, as the window builds it."""
    menus = (source / "app" / "window" / "frmPortComMenus.cpp").read_text(encoding="utf-8")
    tools = re.findall(r'mnuVerktyg->addAction\((?:QString::fromUtf8|QStringLiteral)\("([^"]+)"\)',
                       menus)
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
    if not failures:
        print(f"ok: {len(listed)} options and {len(tools)} tools described in"
              f" {len(DOCUMENTS)} places")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
