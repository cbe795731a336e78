#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""--report on the simulated PC: the page the real program saves beside
--expect and --loopback, parsed strictly as a browser's HTML parser reads it
(no script, nothing fetched from outside, a row per line or wire, the
diagram), whatever the verdict, and the refusals before the run.
    check_report_cli.py --exe build/app/portprov"""

import argparse
import os
import sys
import tempfile

sys.dont_write_bytecode = True
from check_command_line import run  # noqa: E402

try:
    import html5lib
except ImportError:  # an interpreter of its own beside the system's packages
    sys.path.append("/usr/lib/python3/dist-packages")
    import html5lib

# A slow square wave and a broad tolerance, so that a busy machine still passes.
SIGNAL = ["--plug=data", "--square", "2:50", "--record", "889", "--duration", "0.2"]


def page(path):
    """The parsed page, or the parser's complaint as a string."""
    with open(path, "rb") as f:
        raw = f.read()
    try:
        parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
        return parser.parse(raw, transport_encoding="utf-8"), raw.decode("utf-8")
    except Exception as error:  # noqa: BLE001 - the parser's own kinds
        return f"{path}: {error}", ""


def complaints_of(path, rows, failing, marks):
    """What is wrong with the report at path: `rows` verdict rows, `failing`
    of them failing, the diagram with marks (None: no diagram)."""
    tree, raw = page(path)
    if isinstance(tree, str):
        return [tree]
    found = []
    # The parser puts the diagram's elements in the SVG namespace.
    named = lambda tag: [e for e in tree.iter() if str(e.tag).rpartition("}")[2] == tag]  # noqa
    if named("script"):
        found.append("a script")
    if any("src" in e.attrib or "href" in e.attrib or "xlink:href" in e.attrib
           for e in tree.iter()):
        found.append("something fetched from outside")
    verdicts = [tr.get("class") for tr in named("tr") if tr.get("class")]
    if len(verdicts) != rows or verdicts.count("skiljer") != failing:
        found.append(f"verdict rows {verdicts}")
    red = [e for e in named("rect") if e.get("class") == "skillnad"]
    svgs = named("svg")
    if marks is None and svgs or marks is not None and (not svgs or (len(red) > 0) != marks):
        found.append(f"{len(svgs)} diagrams, {len(red)} red marks")
    if '<meta charset="utf-8">' not in raw or "@page { size: A4" not in raw:
        found.append("not UTF-8 or not for A4")
    return [f"{path}: {what}" for what in found]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    exe = parser.parse_args().exe
    complaints = []
    with tempfile.TemporaryDirectory() as folder:
        # A name of the customer's with markup in it comes out as text.
        ref = os.path.join(folder, "ref<b>&'\".csv")
        report, saved = (os.path.join(folder, n) for n in ("report.html", "saved.csv"))
        played = os.path.join(folder, "played.csv")
        with open(played, "w", encoding="utf-8") as f:
            f.write("tid_s,stift2_d0\n0,1\n0.002,0\n")
        if run(exe, "--simulate", *SIGNAL, "--csv", ref)[0] != 0:
            complaints.append("the reference was not made")
        expect = ["--expect", ref, "--report", report]
        # (arguments after --simulate, status, rows, failing, marks)
        for args, status, rows, failing, marks in [
            ([*SIGNAL, *expect, "--tolerance", "0.004"], 0, 5, 0, False),
            ([*SIGNAL, "--fault=15:stuck-low", *expect], 3, 5, 1, True),
            (["--plug=data", "--fault=15:stuck-high", "--loopback", "data", "--repeat", "3",
              "--report", report], 3, 5, 1, None),
        ]:
            if os.path.exists(report):
                os.remove(report)
            got = run(exe, "--simulate", *args)
            if got[0] != status or not os.path.exists(report):
                complaints.append(f"{' '.join(args)}: {got!r}")
                continue
            complaints += complaints_of(report, rows, failing, marks)
            if marks is not None and "ref&lt;b&gt;&amp;&#39;&quot;.csv" not in page(report)[1]:
                complaints.append(f"{' '.join(args)}: the reference's name is not escaped")
        # Refused before the run: the recording's file is not made.
        for args, status, shows in [
            ([*SIGNAL, "--csv", saved, "--report", report], 2, "hör till --expect"),
            (["--plug=data", "--report", report], 2, "hör till --expect"),
            ([*SIGNAL, *expect, "--report", "-"], 2, "--report"),
            ([*SIGNAL, "--expect", ref, "--csv", saved, "--report", saved], 2, "samma fil"),
            ([*SIGNAL, "--expect", ref, "--csv", saved, "--report", ref], 2, "referensen"),
            ([*SIGNAL, "--expect", ref, "--csv", saved, "--report", folder + "/no/r.html"], 1,
             "finns inte"),
            (["--loopback", "data", "--report", folder + "/no/r.html"], 1, "finns inte"),
            (["--plug=data", "--play", played, "--record", "889", "--expect", ref, "--report",
              played], 2, "filen som spelas"),
        ]:
            got = run(exe, "--simulate", *args)
            if got[0] != status or shows not in got[2] or os.path.exists(saved):
                complaints.append(f"{' '.join(args)}: {got!r}")
    for complaint in complaints:
        print(complaint)
    return 1 if complaints else 0


if __name__ == "__main__":
    sys.exit(main())
