#!/usr/bin/env python3
"""tools/check-includes on this tree and on copies with planted lines.

    check_includes_test.py [REPOSITORY_ROOT]

Each case copies docs/layers.md (the include tables) and the folders the
check reads to a temporary tree, plants its lines (an include appended to a
file, or a row of the tables rewritten) and runs the check there.  The first
case runs it on the tree as it is, which must pass.  Every other case is
measured against the faults of the unplanted copy: a case that must pass adds
no fault to them, a case that must fail adds faults that name what the case
says (by default the files it planted in).
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECK = os.path.join(ROOT, "tools", "check-includes")
# The folders tools/check-includes reads.
FOLDERS = ("app", "fx", "log", "hosts", "Hextens", "acrobat", os.path.join("tests", "support"))
TABLE = "docs/layers.md"


def append(path, line):
    """A planting: line appended to path (made if missing)."""
    return (path, None, line)


def rewrite(path, old, new):
    """A planting: the one text old in path replaced by new."""
    return (path, old, new)


# (what the case shows, plantings, whether the check passes, texts the added
# faults must name: None for the planted files)
CASES = [
    ("a lower folder including a higher one",
     [append("app/core/net/HttpDecisions.cpp", '#include "app/core/config/XmlConfig.h"')], False, None),
    ("the core including the selection",
     [append("app/core/config/Settings.cpp", '#include "app/selection/controller/BrowserTreeView.h"')], False, None),
    ("a second include root",
     [append("app/core/main/PondrelApp.cpp", '#include "core/config/Settings.h"')], False, None),
    ("a second include root below the main program",
     [append("acrobat/sources/TableImport.cpp", '#include "acrobat/PluginHost.h"')], False, None),
    ("a bare name that is not beside the file",
     [append("app/core/main/PondrelApp.cpp", '#include "Settings.h"')], False, None),
    ("product code including a test helper",
     [append("app/core/frame/MainFrame.cpp", '#include "app/tests/support/AppFixture.h"')], False, None),
    ("a layer including a shared test helper",
     [append("Hextens/HXLib/XmlDom.cpp", '#include "tests/support/TestSupport.h"')], False, None),
    ("a file in a folder the table does not list", [append("app/core/nowhere/Stray.cpp", "")], False, None),
    ("a file in a layer the table does not list", [append("Hextens/HXNowhere/Stray.cpp", "")], False, None),
    ("an allowed downward include",
     [append("app/core/main/PondrelApp.cpp", '#include "app/core/net/HttpDecisions.h"')], True, None),
    ("the main program including a layer its row names",
     [append("app/core/net/HttpDecisions.cpp", '#include "fx/Lock.h"')], True, None),
    ("the main program including a layer its row does not name",
     [append("app/core/net/HttpDecisions.cpp", '#include "acrobat/sources/RecordRules.h"')], False, None),
    ("a layer including the main program",
     [append("log/PondrelLog.cpp", '#include "app/core/common/AppMessages.h"')], False, None),
    ("a back edge to the application object",
     [append("app/core/enhancers/LinkInfo.cpp", '#include "app/core/main/PondrelApp.h"')], False, None),
    ("fx including the log again: a cycle",
     [append("fx/Fault.cpp", '#include "log/Logger.h"')], False,
     ["include cycle fx -> log -> fx", 'fx/Fault.cpp:', 'includes "log/Logger.h"', 'includes "fx/']),
    ("two folders including each other",
     [append("hosts/acrobat/PluginHost.h", '#include "hosts/xpcom/XpcomCalls.h"'),
      append("hosts/xpcom/XpcomCalls.h", '#include "hosts/acrobat/PluginHost.h"')], False,
     ["include cycle hosts/acrobat -> hosts/xpcom -> hosts/acrobat",
      'hosts/acrobat/PluginHost.h:', 'includes "hosts/xpcom/XpcomCalls.h"',
      'hosts/xpcom/XpcomCalls.h:', 'includes "hosts/acrobat/PluginHost.h"']),
    ("an entry naming a folder of a higher level",
     [rewrite(TABLE, "| 1 | `log` | `pondrel_log` | `fx` |", "| 1 | `log` | `pondrel_log` | `fx`, `Hextens/HXLib` |")],
     False, ["log (level 1) may not include Hextens/HXLib (level 2)"]),
    ("an entry naming one header of a higher level",
     [rewrite(TABLE, "| 0 | `fx` | `fx` | |", "| 0 | `fx` | `fx` | `log/Logger.h` |")],
     False, ["fx: log/Logger.h is a single header"]),
    ("a test including any header",
     [append("app/core/net/tests/HttpDecisionsTest.cpp", '#include "app/selection/controller/BrowserTreeView.h"')],
     True, None),
    ("a fuzz target including any header",
     [append("app/core/net/fuzz/Planted.cpp", '#include "app/selection/controller/BrowserUrl.h"')], True, None),
    ("a layer's test including the log",
     [append("fx/tests/Planted.cpp", '#include "log/Logger.h"')], True, None),
    ("product code including a fuzz helper",
     [append("app/core/net/HttpDecisions.cpp", '#include "app/core/net/fuzz/Helper.h"')], False, None),
]


def faults_of(report):
    return [line for line in report.splitlines() if line and not line.startswith("check-includes:")]


def run_check(plantings):
    with tempfile.TemporaryDirectory() as tmp:
        os.makedirs(os.path.join(tmp, "docs"))
        shutil.copy(os.path.join(ROOT, TABLE), os.path.join(tmp, "docs"))
        for folder in FOLDERS:
            shutil.copytree(os.path.join(ROOT, folder), os.path.join(tmp, folder),
                            ignore=shutil.ignore_patterns("*.ico", "*.png", "*.bmp", "*.log"))
        for path, old, new in plantings:
            path = os.path.join(tmp, path)
            if old is None:
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "a", encoding="utf-8") as f:
                    f.write("\n" + new + "\n")
                continue
            with open(path, encoding="utf-8") as f:
                text = f.read()
            if text.count(old) != 1:
                raise SystemExit(f"{path}: the case's text {old!r} is not there once")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text.replace(old, new))
        done = subprocess.run([sys.executable, CHECK, "--root", tmp], capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr


def main():
    failures = 0
    status, report = run_check([])
    print(f"{'ok  ' if status == 0 else 'FAIL'} the tree as it is: exit {status}")
    if status != 0:
        failures += 1
        print("  " + report.replace("\n", "\n  "))
    baseline = set(faults_of(report))
    for what, plantings, passes, names in CASES:
        status, report = run_check(plantings)
        added = [line for line in faults_of(report) if line not in baseline]
        if passes:
            ok = not added
        else:
            wanted = names if names is not None else [path for path, _, _ in plantings]
            ok = status != 0 and all(any(name in line for line in added) for name in wanted)
        print(f"{'ok  ' if ok else 'FAIL'} {what}: exit {status}")
        if not ok:
            failures += 1
            print("  added faults:\n    " + "\n    ".join(added or ["(none)"]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
