#!/usr/bin/env python3
"""tools/check-includes on this tree and on copies with one planted include.

    check_includes_test.py [REPOSITORY_ROOT]

Each case copies docs/layers.md (the include table) and app/ to a temporary
tree, plants one line (or none) and runs the check there; it must pass or
fail as the case says and name the planted file in its report.
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECK = os.path.join(ROOT, "tools", "check-includes")

# (what the case shows, file to plant in, line planted, whether the check passes)
CASES = [
    ("the tree as it is", None, None, True),
    ("a lower folder including a higher one", "app/core/net/HttpDecisions.cpp",
     '#include "app/core/config/XmlConfig.h"', False),
    ("the core including the selection", "app/core/config/Settings.cpp",
     '#include "app/selection/controller/BrowserTreeView.h"', False),
    ("a second include root", "app/core/main/PondrelApp.cpp", '#include "core/config/Settings.h"', False),
    ("a bare name that is not beside the file", "app/core/main/PondrelApp.cpp", '#include "Settings.h"', False),
    ("product code including a test helper", "app/core/frame/MainFrame.cpp",
     '#include "app/core/main/tests/AppFixture.h"', False),
    ("a file in a folder the table does not list", "app/core/nowhere/Stray.cpp", "", False),
    ("an allowed downward include", "app/core/main/PondrelApp.cpp", '#include "app/core/net/HttpDecisions.h"',
     True),
    ("an allowed back edge to the application object", "app/core/enhancers/LinkInfo.cpp",
     '#include "app/core/main/PondrelApp.h"', True),
    ("a test including any app/ header", "app/core/net/tests/HttpDecisionsTest.cpp",
     '#include "app/selection/controller/BrowserTreeView.h"', True),
    ("a fuzz target including any app/ header", "app/core/net/fuzz/Planted.cpp",
     '#include "app/selection/controller/BrowserUrl.h"', True),
    ("product code including a fuzz helper", "app/core/net/HttpDecisions.cpp",
     '#include "app/core/net/fuzz/Helper.h"', False),
]


def run_case(plant_in, line):
    with tempfile.TemporaryDirectory() as tmp:
        os.makedirs(os.path.join(tmp, "docs"))
        shutil.copy(os.path.join(ROOT, "docs", "layers.md"), os.path.join(tmp, "docs"))
        shutil.copytree(os.path.join(ROOT, "app"), os.path.join(tmp, "app"),
                        ignore=shutil.ignore_patterns("*.ico", "*.png", "*.bmp", "*.log"))
        if plant_in:
            path = os.path.join(tmp, plant_in)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "a", encoding="utf-8") as f:
                f.write("\n" + line + "\n")
        done = subprocess.run([sys.executable, CHECK, "--root", tmp], capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr


def main():
    failures = 0
    for what, plant_in, line, passes in CASES:
        status, report = run_case(plant_in, line)
        ok = (status == 0) == passes
        if ok and not passes and plant_in not in report:
            ok = False  # it failed, but not on the planted file
        print(f"{'ok  ' if ok else 'FAIL'} {what}: exit {status}")
        if not ok:
            failures += 1
            print("  " + report.replace("\n", "\n  "))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
