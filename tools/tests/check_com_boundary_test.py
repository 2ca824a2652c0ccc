#!/usr/bin/env python3
"""tools/check-com-boundary on this tree and on copies with one planted body.

    check_com_boundary_test.py [REPOSITORY_ROOT]

Each case copies Hextens/, acrobat/ and fx/ to a temporary tree, appends one
piece of code to one file (or nothing) and runs the check there; it must
pass or fail as the case says, and a failure must name the planted file.
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECK = os.path.join(ROOT, "tools", "check-com-boundary")
COPIED = ("Hextens", "acrobat", "fx")

BOUNDED = ('STDMETHODIMP CAction::Planted(LONG* v) {\n'
           '    return fx::ComBoundary(L"IAction::Planted", S_OK, [&] { return Out(v, 1); }, v);\n}')

# (what the case shows, file to plant in, code appended, whether the check passes)
CASES = [
    ("the tree as it is", None, None, True),
    ("a plug-in method inside its boundary", "Hextens/HXIE/Action.cpp", BOUNDED, True),
    ("a plug-in method without a boundary", "Hextens/HXIE/Action.cpp",
     "STDMETHODIMP CAction::Planted(LONG* v) { return Out(v, 1); }", False),
    ("a boundary named after another method", "Hextens/HXFirefox/FirefoxEnhancer.cpp",
     BOUNDED.replace("CAction::Planted", "CFirefoxEnhancer::Other"), False),
    ("work before the boundary", "Hextens/HXIE/Action.cpp",
     BOUNDED.replace("{\n    return", "{\n    m_Title.clear();\n    return"), False),
    ("work after the boundary", "Hextens/HXIE/Action.cpp",
     BOUNDED.replace("    return fx::ComBoundary", "    HRESULT hr = fx::ComBoundary").replace(
         ", v);\n}", ", v);\n    return hr;\n}"), False),
    ("a boundary only in a comment", "Hextens/HXIE/Action.cpp",
     'STDMETHODIMP CAction::Planted() {\n    // return fx::ComBoundary(L"IAction::Planted"\n    return S_OK;\n}', False),
    ("an acrobat COM method without a boundary", "acrobat/sources/SelectionCapture.cpp",
     "STDMETHODIMP Planted::Run() { return S_OK; }", False),
    ("a new fx COM piece without a boundary", "fx/Planted.h",
     "class Planted : public IUnknown {\n    STDMETHODIMP QueryInterface(REFIID, void** out) override {\n"
     "        *out = nullptr;\n        return E_NOINTERFACE;\n    }\n};", False),
    ("a module export in a macro without a boundary", "fx/InprocServer.h",
     "#define PLANTED_EXPORT \\\n    STDAPI DllPlanted() { return S_OK; }", False),
    ("a declaration", "Hextens/HXIE/Action.h", "STDMETHODIMP Planted(LONG* v) override;", True),
    ("AddRef that only counts", "Hextens/HXIE/Action.h",
     "STDMETHODIMP_(ULONG) Planted::AddRef() { return AddRefObject(); }", True),
    ("AddRef that does more than count", "Hextens/HXIE/Action.h",
     "STDMETHODIMP_(ULONG) Planted::AddRef() {\n    m_Title.clear();\n    return AddRefObject();\n}", False),
    ("a test's own COM object", "Hextens/HXIE/tests/Planted.cpp",
     "STDMETHODIMP Planted::Run() { return S_OK; }", True),
    ("the program's own browser site", "fx/WebBrowserHost.cpp",
     "STDMETHODIMP Planted::Run() { return S_OK; }", True),
]


def run_case(plant_in, code):
    with tempfile.TemporaryDirectory() as tmp:
        for top in COPIED:
            shutil.copytree(os.path.join(ROOT, top), os.path.join(tmp, top))
        if plant_in:
            path = os.path.join(tmp, plant_in)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "a", encoding="utf-8") as f:
                f.write("\n" + code + "\n")
        done = subprocess.run([sys.executable, CHECK, "--root", tmp], capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr


def main():
    failures = 0
    for what, plant_in, code, passes in CASES:
        status, report = run_case(plant_in, code)
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
