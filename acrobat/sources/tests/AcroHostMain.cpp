// The stand-in host as a program of its own, so several hosts can share the
// record from their own processes.
//
//   AcroHost.exe PLUGIN TAG [select TEXT] [title TEXT] [hang]
// Sets the event "AcroHostStarting_TAG" right before it starts the plug-in.
// Starts the plug-in, shows a document with a focused page view, captures
// the selection when one is given, then sets the event "AcroHostReady_TAG"
// and waits (at most 60 s) for "AcroHostQuit_TAG" before unloading the
// plug-in.  With "hang" the host's thread takes the record's mutex, as the
// plug-in does while it writes the record, sets the ready event and stops
// there for good: killed, it leaves the mutex abandoned.
// Exit codes: 0 done, 2 usage, 3 the plug-in did not start, 4 (hang) the
// record's mutex was not obtained.
#include <windows.h>

#include <string>

#include "StandInHost.h"
#include "fx/Handle.h"
#include "tests/support/TestSupport.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring tag = argv[2];
    fx::UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, (L"AcroHostReady_" + tag).c_str()));
    fx::UniqueHandle quit(::CreateEventW(nullptr, TRUE, FALSE, (L"AcroHostQuit_" + tag).c_str()));
    fx::UniqueHandle starting(::CreateEventW(nullptr, TRUE, FALSE, (L"AcroHostStarting_" + tag).c_str()));
    std::string select, title = "Stand-in document";
    bool haveSelection = false, hang = false;
    for (int i = 3; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"select" && i + 1 < argc) {
            select = testsupport::Utf8(argv[++i]);
            haveSelection = true;
        } else if (a == L"title" && i + 1 < argc) {
            title = testsupport::Utf8(argv[++i]);
        } else if (a == L"hang") {
            hang = true;
        } else {
            return 2;
        }
    }

    standin::Host host;
    ::SetEvent(starting.get());
    if (!host.Start(argv[1])) return 3;
    host.CreateDocument(390, 280);
    host.FocusPageView(0);
    host.titleBytes = title;
    if (haveSelection) {
        host.Select(select);
        host.Notify(10, host.doc);
    }
    if (hang) {
        fx::UniqueHandle record(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"PHXACROLOCKMUTEX"));
        if (!record || ::WaitForSingleObject(record.get(), 5000) != WAIT_OBJECT_0) return 4;
        ::SetEvent(ready.get());
        for (;;) ::Sleep(INFINITE);
    }
    ::SetEvent(ready.get());

    const DWORD until = ::GetTickCount() + 60000;
    for (;;) {
        DWORD left = until - ::GetTickCount();
        if (static_cast<int32_t>(left) <= 0) break;
        HANDLE h = quit.get();
        DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, left, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    host.Unload();
    return 0;
}
