#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The function scan of scripts/check-sizes on the C++ that trips a scan by
braces: each case is a piece of code and the functions it must find (line of
the name, name, length). Run by scripts/test before the check itself."""

import importlib.util
import sys
from importlib.machinery import SourceFileLoader
from pathlib import Path

sys.dont_write_bytecode = True  # no caches in the source folder
_path = str(Path(__file__).resolve().parents[2] / "scripts" / "check-sizes")
_spec = importlib.util.spec_from_loader("check_sizes", SourceFileLoader("check_sizes", _path))
check = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(check)
check.FUNCTION_LIMIT = 0  # every function, with its length

CASES = [
    ("a plain function", "int f() {\n    return 1;\n}\n", [(1, "f", 3)]),
    ("braces in literals and comments",
     'void f() {\n    g("{", \'}\', R"x({)x"); // {\n    /* } */\n}\nvoid h() {}\n',
     [(1, "f", 4), (5, "h", 1)]),
    ("digit separators", "int f() {\n    return 1'000 + '{';\n}\n", [(1, "f", 3)]),
    ("a default argument in braces", "void f(int a = {}, S s = {1, 2}) {\n}\n", [(1, "f", 2)]),
    ("a constructor's braced initialisers",
     "A::A(int a)\n    : x_{a}, y_(a), z_{Make({1})} {\n    run();\n}\n", [(1, "A::A", 4)]),
    ("members in a class",
     "class C : public B {\n    Q_OBJECT\npublic:\n    int x_{0};\n    bool operator==(const C&) const {\n"
     "        return true;\n    }\nprivate slots:\n    void g() { h([] {}); }\n};\n",
     [(5, "operator==", 3), (9, "g", 1)]),
    ("lambdas and tables at namespace level",
     "namespace {\nconst int kRun = [] {\n    if (x) {\n    }\n    return 1;\n}();\n"
     "const Row kRows[] = {\n    {1, {2}},\n};\nauto kF = [](int a) -> int { return a; };\n}\n",
     [(2, "(lambda)", 5), (10, "(lambda)", 1)]),
    ("test macros and C linkage",
     'TEST_F(Fixture, Works) {\n}\nextern "C" int Fuzz(const char* d) {\n    return 0;\n}\n'
     'extern "C" {\nvoid g() {}\n}\n',
     [(1, "TEST_F", 2), (3, "Fuzz", 3), (7, "g", 1)]),
    ("only an #if's first branch",
     "#if defined(_WIN32)\nvoid f() {\n#else\nvoid f() {\n#endif\n    work();\n}\n", [(2, "f", 6)]),
]


def main():
    failures = 0
    for name, code, expected in CASES:
        try:
            found = list(check.long_functions(name, code))
        except check.ScanError as error:
            found = f"error: {error}"
        if found != expected:
            failures += 1
            print(f"check-sizes scan, {name}: expected {expected}, found {found}")
    for name, code in [("an unclosed brace", "void f() {\n"), ("a stray closing brace", "}\n")]:
        try:
            found = list(check.long_functions(name, code))
            failures += 1
            print(f"check-sizes scan, {name}: no error, found {found}")
        except check.ScanError:
            pass
    print(f"check-sizes scan: {len(CASES) + 2 - failures} of {len(CASES) + 2} cases right")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
