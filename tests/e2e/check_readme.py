#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the read-me document: well-formed RTF in code page 1252 (non-ASCII
letters only as escapes, so every word processor shows å, ä and ö), and a text
that covers what a user needs to know.

    check_readme.py assets/Doruv.rtf"""

import re
import sys

# Groups whose text is not part of the document body.
HIDDEN_GROUPS = {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer"}

# What the document must explain, as the user reads it.
REQUIRED = [
    "Läs från Aktiv Adress", "Skriva till Aktiv Adress", "Skriva till Register", "Välj Adress",
    "Aktiv Adress", "Skriv  0 - 255", "Binärt", "Arkiv", "Avsluta", "Ctrl+Q", "Info", "Läs Mig",
    "Ctrl+R", "Röd", "Vit", "Svart", "Läsläge", "Skrivläge", "888", "889", "890", "632", "634",
    "956", "958", "513", "root", "setcap cap_sys_rawio+ep", "lp", "ppdev", "lockdown",
    "--simulate", "--help", "--version",
]


def rtf_to_text(data: bytes) -> str:
    if not data.startswith(b"{\\rtf1\\ansi\\ansicpg1252"):
        raise ValueError("does not start with {\\rtf1\\ansi\\ansicpg1252")
    try:
        source = data.decode("ascii")
    except UnicodeDecodeError as error:
        raise ValueError(f"holds a raw non-ASCII byte at offset {error.start}; "
                         "write letters like å as \\'e5") from None

    out = []
    depth = 0
    hidden_from = None  # depth at which a hidden group started
    uc_skip = 1
    pending_skip = 0
    i = 0
    token = re.compile(r"\\([a-z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\(.)|([{}])|([^\\{}\r\n]+)|[\r\n]")
    group_start = False
    while i < len(source):
        m = token.match(source, i)
        if not m:
            raise ValueError(f"cannot read the RTF at offset {i}")
        i = m.end()
        word, number, hexbyte, symbol, brace, text = m.groups()
        visible = hidden_from is None
        if brace == "{":
            depth += 1
            group_start = True
            continue
        if brace == "}":
            if hidden_from is not None and depth == hidden_from:
                hidden_from = None
            depth -= 1
            if depth < 0:
                raise ValueError(f"unbalanced '}}' at offset {i}")
            continue
        starts_group, group_start = group_start, False
        if word is not None:
            if starts_group and word in HIDDEN_GROUPS and hidden_from is None:
                hidden_from = depth
            elif word == "uc":
                uc_skip = int(number)
            elif word == "u" and visible:
                code = int(number)
                out.append(chr(code + 65536 if code < 0 else code))
                pending_skip = uc_skip
            elif word in ("par", "line") and visible:
                out.append("\n")
            elif word == "tab" and visible:
                out.append("\t")
            continue
        if symbol is not None:
            if symbol == "*" and starts_group and hidden_from is None:
                hidden_from = depth
            elif symbol in "\\{}" and visible:
                out.append(symbol)
            elif symbol == "~" and visible:
                out.append(" ")
            continue
        if hexbyte is not None:
            if pending_skip:
                pending_skip -= 1
            elif visible:
                out.append(bytes([int(hexbyte, 16)]).decode("cp1252"))
            continue
        if text is not None and visible:
            if pending_skip:
                dropped = min(pending_skip, len(text))
                text = text[dropped:]
                pending_skip -= dropped
            out.append(text)
    if depth != 0:
        raise ValueError(f"{depth} group(s) left open at the end")
    return "".join(out)


def main():
    path = sys.argv[1]
    with open(path, "rb") as handle:
        data = handle.read()
    try:
        text = rtf_to_text(data)
    except ValueError as error:
        print(f"FAIL {path}: {error}", file=sys.stderr)
        return 1
    missing = [phrase for phrase in REQUIRED if phrase not in text]
    if missing:
        print(f"FAIL {path}: the document does not mention {missing}", file=sys.stderr)
        return 1
    # The rights go on the helper portprov-io alone: a window built on a
    # toolkit with raised rights would run whatever its user's environment loads.
    wrong = [target for target in re.findall(r"setcap cap_\S+ (\S+)", text)
             if not target.endswith("portprov-io")]
    if wrong:
        print(f"FAIL {path}: setcap gives rights to {wrong}, not to portprov-io",
              file=sys.stderr)
        return 1
    if "Ã" in text or "\ufffd" in text:
        print(f"FAIL {path}: the text holds mis-encoded letters", file=sys.stderr)
        return 1
    print(f"ok {path}: {len(text.split())} words")
    return 0


if __name__ == "__main__":
    sys.exit(main())
