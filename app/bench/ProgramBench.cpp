// The whole program's costs, measured from outside on the real PondRel.exe:
// the demo settings served by the loopback server (the benchmark target runs
// beside one), both enhancers loaded, the stand-in Firefox extension in front
// with a selection.
//   - start-up to idle: from the process's creation to the heartbeat's first
//     tick (its first enhancer poll, the log's "{" line); goal under 1 s;
//   - the program's memory after start-up and with 3 panels open: private
//     bytes, GDI and USER objects (GetProcessMemoryInfo, GetGuiResources)
//     and, beside them, its windows counted from outside;
//   - shutdown with 16 panels open: from WM_QUIT to the main window until the
//     process has ended; goal under 2 s;
//   - 100 open-close cycles of one panel: the GDI and USER counts (and the
//     windows) along the way; a growth shows as a difference from the first.
// Panels are opened as the application menu's mini browser does (11132 to
// the controller window: a new "MiniBrowse" panel each time) and closed with
// their own close message (11205).  Under Wine the runs use its X11 driver's
// unmanaged mode (see WineUnmanagedWindows); PONDREL_BENCH_TRACE prints the
// program's log lines with their times.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Bench.h"
#include "app/core/common/AppMessages.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/tests/support/ProgramHarness.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr double kStartGoalSeconds = 1.0;
constexpr double kShutdownGoalSeconds = 2.0;

// Polls cond every few milliseconds for at most ms.
bool Within(const std::function<bool()>& cond, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!cond()) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(2);
    }
    return true;
}

struct WindowCount {
    DWORD pid;
    const wchar_t* cls;  // null: every window
    bool visibleOnly;
    size_t count;
    std::vector<HWND> found;
};

BOOL CALLBACK CountChild(HWND w, LPARAM lp) {
    reinterpret_cast<WindowCount*>(lp)->count += 1;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid != c->pid) return TRUE;
    if (c->cls) {
        wchar_t name[64] = {};
        ::GetClassNameW(w, name, 64);
        if (lstrcmpW(name, c->cls) != 0) return TRUE;
        if (c->visibleOnly && !::IsWindowVisible(w)) return TRUE;
        // A panel's child windows (of the panel's class) hold its views.
        if (c->visibleOnly && ::GetWindow(w, GW_CHILD)) return TRUE;
        c->found.push_back(w);
        c->count += 1;
        return TRUE;
    }
    c->count += 1;
    ::EnumChildWindows(w, &CountChild, lp);
    return TRUE;
}

// Every window of the process (top-level and child windows).
size_t ProcessWindows(DWORD pid) {
    WindowCount c{pid, nullptr, false, 0, {}};
    ::EnumWindows(&CountTop, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

// The process's shown panel windows.
std::vector<HWND> ShownPanels(DWORD pid) {
    WindowCount c{pid, L"BackWin777", true, 0, {}};
    ::EnumWindows(&CountTop, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

BOOL CALLBACK FindTree(HWND w, LPARAM lp) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    if (lstrcmpW(name, L"SysTreeView32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}

struct Figures {
    double privateMb = 0, workingSetMb = 0;
    bool memoryRead = false;
    DWORD gdi = 0, user = 0;
    DWORD gdiError = 0;
    size_t windows = 0;
};

Figures Measure(HANDLE process, DWORD pid) {
    Figures f;
    PROCESS_MEMORY_COUNTERS_EX mem{};
    mem.cb = sizeof(mem);
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof(mem))) {
        // The commit charge: the private bytes (PagefileUsage holds the same
        // figure where PrivateUsage is not filled in).
        const SIZE_T privateBytes = mem.PrivateUsage ? mem.PrivateUsage : mem.PagefileUsage;
        f.privateMb = static_cast<double>(privateBytes) / (1024.0 * 1024.0);
        f.workingSetMb = static_cast<double>(mem.WorkingSetSize) / (1024.0 * 1024.0);
        f.memoryRead = true;
    }
    ::SetLastError(0);
    f.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    f.gdiError = ::GetLastError();
    f.user = ::GetGuiResources(process, GR_USEROBJECTS);
    f.windows = ProcessWindows(pid);
    return f;
}

void Print(const char* when, const Figures& f) {
    if (!f.memoryRead) std::printf("    %-28s (GetProcessMemoryInfo failed)\n", when);
    std::printf("    %-28s private %7.2f MB  working set %7.2f MB  GDI objects %5lu  USER objects %5lu  windows %4lu\n",
                when, f.privateMb, f.workingSetMb, static_cast<unsigned long>(f.gdi), static_cast<unsigned long>(f.user),
                static_cast<unsigned long>(f.windows));
}

void NoteUncountedObjects(const Figures& f) {
    if (f.gdi == 0 && f.user == 0)
        std::printf("    (GetGuiResources answers 0, error %lu: this platform does not count GDI and USER objects;"
                    " the windows column is counted from outside)\n",
                    static_cast<unsigned long>(f.gdiError));
}

// Under Wine, for the time of a run, its X11 driver's unmanaged mode
// (HKCU "Software\Wine\X11 Driver" "Managed" = "N"), given back as it was
// afterwards.  The display has no window manager: in Wine's default mode a
// window it counts as managed waits 2 s, when it hides, for the window
// manager's answer that never comes ("wait_for_withdrawn_state ... timed
// out"), which would time that wait instead of the program.  With
// PONDREL_BENCH_WINE_MANAGED set, Wine's default stays.
class WineUnmanagedWindows {
public:
    WineUnmanagedWindows() {
        const char* keep = std::getenv("PONDREL_BENCH_WINE_MANAGED");
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        if ((keep && *keep) || !ntdll || !::GetProcAddress(ntdll, "wine_get_version")) return;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS)
            return;
        wchar_t old[16] = {};
        DWORD size = sizeof(old), type = 0;
        had_ = ::RegQueryValueExW(key_, L"Managed", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
                   ERROR_SUCCESS && type == REG_SZ;
        if (had_) old_ = old;
        Set(L"N");
        active_ = true;
    }
    ~WineUnmanagedWindows() {
        if (!key_) return;
        if (active_) {
            if (had_)
                Set(old_.c_str());
            else
                ::RegDeleteValueW(key_, L"Managed");
        }
        ::RegCloseKey(key_);
    }
    WineUnmanagedWindows(const WineUnmanagedWindows&) = delete;
    WineUnmanagedWindows& operator=(const WineUnmanagedWindows&) = delete;
    bool Active() const { return active_; }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\X11 Driver";
    void Set(const wchar_t* value) {
        ::RegSetValueExW(key_, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
    bool had_ = false;
    bool active_ = false;
    std::wstring old_;
};

// One run of the real program, from its start to its end.
class ProgramRun {
public:
    ProgramRun() : init_(L"init"), path_(L"path") {}
    ~ProgramRun() { Stop(); }

    // Starts the stand-in Firefox and the program; false (and a line why) when
    // it cannot.  The start's clock runs from the program's creation.
    bool Start() {
        if (loopback::Port() == 0) {
            bench::Skip("no loopback server (run through the benchmark target)");
            return false;
        }
        install_ = coretest::ScratchDir();
        const std::wstring images = install_ + L"Images\\";
        ::CreateDirectoryW(images.c_str(), nullptr);
        const std::wstring demo = coretest::SourceDir() + L"demo\\Images\\";
        WIN32_FIND_DATAW found;
        HANDLE find = ::FindFirstFileW((demo + L"*.png").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                ::CopyFileW((demo + found.cFileName).c_str(), (images + found.cFileName).c_str(), FALSE);
            } while (::FindNextFileW(find, &found));
            ::FindClose(find);
        }
        path_.Set(install_.substr(0, install_.size() - 1));
        const std::wstring root = testsupport::WinDir(PONDREL_BENCH_HTTP_ROOT);
        coretest::WriteFile(root, L"settings.xml", coretest::SampleSettings(testsupport::Utf8(loopback::Url(L"/files"))));
        init_.Set(loopback::Url(L"/files/settings.xml"));

        const std::wstring script = coretest::WriteFile(install_, L"firefox-page.txt",
            "location http://example.test/ponds\n"
            "domain example.test\n"
            "title Ponds\n"
            "piece Pond life|300,300,420,318\n"
            "flags page selection\n"
            "next\n"
            "location http://example.test/ponds\n"
            "domain example.test\n"
            "title Ponds\n"
            "piece Pond life|300,300,420,318\n"
            "flags none\n");
        const std::wstring report = install_ + L"firefox-report.txt";
        if (!firefox_.Start(FIREFOX_EXT_EXE, {L"--window", L"--script", script, L"--report", report, L"--run-ms",
                                              L"600000"})) {
            bench::Fail("the stand-in Firefox extension did not start");
            return false;
        }
        Within([&] { return coretest::ReadFile(report).find("foreground\n") != std::string::npos; }, 10000);

        log_.Lines();  // what came before this run
        const double t0 = bench::Seconds();
        if (!program_.Start(PONDREL_EXE, {}, install_)) {
            bench::Fail("PondRel.exe did not start");
            return false;
        }
        // Idle: the heartbeat's first tick polls the enhancers ("{").  With
        // PONDREL_BENCH_TRACE set, every log line of the start is printed
        // with the time it was seen.
        const char* traceValue = std::getenv("PONDREL_BENCH_TRACE");
        const bool trace = traceValue && *traceValue;
        int loaded = 0;
        const bool idle = Within([&] {
            for (const std::wstring& line : log_.Lines()) {
                seen_.push_back(line);
                if (trace) std::printf("      %8.3f  %s\n", bench::Seconds() - t0, testsupport::Utf8(line).c_str());
                if (firstLineSeconds_ < 0) firstLineSeconds_ = bench::Seconds() - t0;
                if (line == L"Reload Settings done") settingsSeconds_ = bench::Seconds() - t0;
                if (line.size() > 17 && line.compare(line.size() - 17, 17, L" has been loaded!") == 0) ++loaded;
                if (line == L"{") return true;
            }
            return false;
        }, 60000);
        startSeconds_ = bench::Seconds() - t0;
        if (!idle) {
            bench::Fail("the heartbeat did not poll the enhancers within 60 s");
            PrintLog(20);
            return false;
        }
        enhancers_ = loaded;
        frame_ = programharness::FindMainFrame(program_.pid());
        if (frame_) ::EnumChildWindows(frame_, &FindTree, reinterpret_cast<LPARAM>(&controller_));
        if (!controller_) {
            bench::Fail("the program's controller window was not found");
            return false;
        }
        return true;
    }

    double StartSeconds() const { return startSeconds_; }
    bool WineUnmanaged() const { return unmanaged_.Active(); }
    double FirstLineSeconds() const { return firstLineSeconds_; }
    double SettingsSeconds() const { return settingsSeconds_; }

    // The program's last log lines.
    void PrintLog(size_t count) {
        for (const std::wstring& line : log_.Lines()) seen_.push_back(line);
        std::printf("    the program's last log lines:\n");
        for (size_t i = seen_.size() > count ? seen_.size() - count : 0; i < seen_.size(); ++i)
            std::printf("      %s\n", testsupport::Utf8(seen_[i]).c_str());
    }
    int Enhancers() const { return enhancers_; }
    HANDLE Process() const { return program_.handle(); }
    DWORD Pid() const { return program_.pid(); }

    // Opens mini-browser panels until `count` panels are shown.
    bool OpenPanels(size_t count) {
        const DWORD pid = program_.pid();
        while (ShownPanels(pid).size() < count) {
            const size_t before = ShownPanels(pid).size();
            ::PostMessageW(controller_, controller_msg::kOpenMiniBrowser, 0, 0);
            if (!Within([&] { return ShownPanels(pid).size() > before; }, 30000)) {
                bench::Fail("a panel did not show within 30 s (%lu shown)", static_cast<unsigned long>(before));
                return false;
            }
        }
        return true;
    }

    // Closes one shown panel and waits until its window is gone (the log
    // traced meanwhile).
    bool ClosePanel(HWND panel) {
        const double t0 = bench::Seconds();
        ::PostMessageW(panel, panel_msg::kCloseNow, 0, 0);
        return Within([&] {
            ReadLog(t0);
            return !::IsWindow(panel);
        }, 30000);
    }

    // The new log lines into seen_; printed with their times from t0 when
    // PONDREL_BENCH_TRACE is set.
    static bool Tracing() {
        static const bool trace = [] {
            const char* value = std::getenv("PONDREL_BENCH_TRACE");
            return value && *value;
        }();
        return trace;
    }
    static BOOL CALLBACK PrintTopLevel(HWND w, LPARAM pid) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner != static_cast<DWORD>(pid)) return TRUE;
        wchar_t cls[64] = {}, title[64] = {};
        ::GetClassNameW(w, cls, 64);
        ::GetWindowTextW(w, title, 64);
        std::printf("      %s %p %s \"%s\"\n", ::IsWindowVisible(w) ? "shown " : "hidden", static_cast<void*>(w),
                    testsupport::Utf8(cls).c_str(), testsupport::Utf8(title).c_str());
        return TRUE;
    }
    void ReadLog(double t0) {
        const bool trace = Tracing();
        for (const std::wstring& line : log_.Lines()) {
            seen_.push_back(line);
            if (trace) std::printf("      %8.3f  %s\n", bench::Seconds() - t0, testsupport::Utf8(line).c_str());
        }
    }

    // Closes every shown panel.
    bool CloseAllPanels() {
        for (HWND panel : ShownPanels(program_.pid()))
            if (!ClosePanel(panel)) return false;
        return true;
    }

    // WM_QUIT to the main window, as "shut" sends it; the seconds until the
    // process ended, or a negative value when it did not end within 60 s.
    // The log is read meanwhile (and traced like the start, after a list
    // of the program's top-level windows).
    double Quit() {
        ReadLog(bench::Seconds());
        if (Tracing()) ::EnumWindows(&PrintTopLevel, static_cast<LPARAM>(program_.pid()));
        for (const std::wstring& line : log_.Lines()) seen_.push_back(line);
        const double t0 = bench::Seconds();
        ::PostMessageW(frame_, WM_QUIT, 0, 0);
        double took = -1.0;
        Within([&] {
            const bool ended = program_.Wait(0);
            if (ended) took = bench::Seconds() - t0;
            ReadLog(t0);
            return ended;
        }, 60000);
        return took;
    }

    void Stop() {
        if (!program_.Wait(0)) {
            if (frame_) ::PostMessageW(frame_, WM_QUIT, 0, 0);
            if (!program_.Wait(30000)) program_.Kill();
        }
        firefox_.Kill();
    }

private:
    WineUnmanagedWindows unmanaged_;
    coretest::CapturedLog log_;
    programharness::SavedInstallValue init_;
    programharness::SavedInstallValue path_;
    std::wstring install_;
    testsupport::Child firefox_;
    testsupport::Child program_;
    std::vector<std::wstring> seen_;
    HWND frame_ = nullptr;
    HWND controller_ = nullptr;
    double startSeconds_ = 0;
    double firstLineSeconds_ = -1;
    double settingsSeconds_ = -1;
    int enhancers_ = 0;
};

void Verdict(const char* what, double seconds, double goal) {
    std::printf("    %s: %.3f s (goal under %.1f s: %s)\n", what, seconds, goal, seconds < goal ? "met" : "MISSED");
    bench::Figure((std::string("program: ") + what).c_str(), seconds, goal, "s");
}

}  // namespace

BENCH("program: start-up to idle, its memory, 3 panels, shutdown with 16 panels") {
    for (auto _ : state) {
        (void)_;
        ProgramRun run;
        if (!run.Start()) return;
        std::printf("    enhancers loaded: %d\n", run.Enhancers());
        if (run.WineUnmanaged())
            std::printf("    (Wine's X11 driver unmanaged for the run: no window manager here to answer a hide)\n");
        Verdict("start-up to idle (the heartbeat's first enhancer poll)", run.StartSeconds(), kStartGoalSeconds);
        std::printf("      of which: the first log line after %.3f s (the process's own start), the settings reloaded"
                    " after %.3f s\n", run.FirstLineSeconds(), run.SettingsSeconds());
        ::Sleep(2000);  // the start's own work settled
        const Figures started = Measure(run.Process(), run.Pid());
        Print("after start-up", started);
        NoteUncountedObjects(started);
        if (!run.OpenPanels(3)) return;
        ::Sleep(2000);
        Print("with 3 panels open", Measure(run.Process(), run.Pid()));
        if (!run.OpenPanels(16)) return;
        Print("with 16 panels open", Measure(run.Process(), run.Pid()));
        const double shut = run.Quit();
        if (shut < 0) {
            bench::Fail("the program did not end within 60 s of WM_QUIT");
            run.PrintLog(40);
            return;
        }
        Verdict("shutdown with 16 panels (WM_QUIT to the process's end)", shut, kShutdownGoalSeconds);
    }
}

BENCH("program: GDI and USER objects over 100 open-close cycles of a panel") {
    for (auto _ : state) {
        (void)_;
        ProgramRun run;
        if (!run.Start()) return;
        if (!run.CloseAllPanels()) {
            bench::Fail("the start-up panel did not close");
            return;
        }
        ::Sleep(1000);
        const Figures first = Measure(run.Process(), run.Pid());
        Print("before the cycles", first);
        NoteUncountedObjects(first);
        Figures last = first;
        const double t0 = bench::Seconds();
        double opening = 0, closing = 0;
        for (int cycle = 1; cycle <= 100; ++cycle) {
            const double c0 = bench::Seconds();
            if (!run.OpenPanels(1)) return;
            const double c1 = bench::Seconds();
            std::vector<HWND> shown = ShownPanels(run.Pid());
            const bool closed = !shown.empty() && run.ClosePanel(shown.front());
            opening += c1 - c0;
            closing += bench::Seconds() - c1;
            if (!closed) {
                bench::Fail("cycle %d: the panel did not close", cycle);
                return;
            }
            if (cycle == 1 || cycle == 10 || cycle == 50 || cycle == 100) {
                ::Sleep(500);
                last = Measure(run.Process(), run.Pid());
                char when[32];
                std::snprintf(when, sizeof(when), "after %d cycles", cycle);
                Print(when, last);
            }
        }
        const double took = bench::Seconds() - t0;
        std::printf("    one open-close cycle: %.0f ms (open until shown %.0f ms, close until its window is gone %.0f ms)\n",
                    1e3 * took / 100, 1e3 * opening / 100, 1e3 * closing / 100);
        std::printf("    growth over 100 cycles: GDI %+ld, USER %+ld, windows %+ld, private %+.2f MB\n",
                    static_cast<long>(last.gdi) - static_cast<long>(first.gdi),
                    static_cast<long>(last.user) - static_cast<long>(first.user),
                    static_cast<long>(last.windows) - static_cast<long>(first.windows),
                    last.privateMb - first.privateMb);
    }
}
