#!/usr/bin/env python3
"""tools/check-format on small files written for the case.

    check_format_test.py [REPOSITORY_ROOT]

Each case writes one C++ file into a temporary folder (outside the tree: the
check applies the tree's .clang-format wherever the file lies) and runs the
check on it; it must pass or fail as the case says, and a failure must name
the file.
"""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECK = os.path.join(ROOT, "tools", "check-format")

FORMATTED = """\
// What the file holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "fx/Window.h"
#include "app/core/common/AppMessages.h"

namespace fx {

class Probe {
public:
    explicit Probe(HWND hwnd) : hwnd_(hwnd) {}
    HWND hwnd() const { return hwnd_; }
    int Count(int n) {
        if (n < 0) return 0;
        switch (n) {
            case 1: return 1;
            default: break;
        }
        return n;
    }

private:
    HWND hwnd_ = nullptr;  // not owned
};

}  // namespace fx
"""


def line_of(width):
    """A statement of exactly `width` columns that clang-format can break."""
    name = "k" * (width - 89)  # "int " + name + " = " + 20 times "1 + " + "1;"
    return f"int {name} = " + "1 + " * 20 + "1;\n"


# (what the case shows, the file's text, whether the check passes)
CASES = [
    ("a file in the tree's style, its includes in their written order", FORMATTED, True),
    ("an indent of two spaces", FORMATTED.replace("    HWND hwnd() const", "  HWND hwnd() const"), False),
    ("a tab for an indent", FORMATTED.replace("    HWND hwnd() const", "\tHWND hwnd() const"), False),
    ("a pointer bound to the name", FORMATTED.replace("explicit Probe(HWND hwnd)", "explicit Probe(HWND *hwnd)")
     .replace("hwnd_(hwnd)", "hwnd_(*hwnd)"), False),
    ("a brace on a line of its own", FORMATTED.replace("class Probe {", "class Probe\n{"), False),
    ("a line of 120 columns", line_of(120), True),
    ("a line of 121 columns", line_of(121), False),
]


def main():
    failures = 0
    for what, text, passes in CASES:
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "Probe.h")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            done = subprocess.run([CHECK, path], capture_output=True, text=True)
            report = done.stdout + done.stderr
            ok = (done.returncode == 0) == passes and (passes or path in report)
            with open(path, encoding="utf-8") as f:
                ok = ok and f.read() == text  # the check changes nothing
        print(f"{'ok  ' if ok else 'FAIL'} {what}: exit {done.returncode}")
        if not ok:
            failures += 1
            print("  " + report.replace("\n", "\n  "))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
