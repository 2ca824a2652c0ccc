// Helpers for tests that run under Wine: paths, child processes, waits, and
// (TextSupport.h) text.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "TextSupport.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"

namespace testsupport {

// A path as the Windows side sees it: a Unix path becomes a Z: drive path.
std::wstring WinPath(const std::string& unixOrWindowsPath);
// The same for a folder, ending in "\\".
std::wstring WinDir(const std::string& unixOrWindowsPath);

// A started child process.  The destructor kills it if it still runs.
class Child {
public:
    Child() = default;
    ~Child();
    Child(Child&& o) noexcept;
    Child& operator=(Child&& o) noexcept;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Starts program (a Windows or Unix path) with the given arguments, each
    // passed as one quoted argument.
    bool Start(const std::string& program, const std::vector<std::wstring>& args,
               const std::wstring& workDir = L"");
    // Waits up to timeoutMs; true when it ended.  exitCode is set then.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();
    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_.get(); }

private:
    fx::UniqueHandle process_;
    DWORD pid_ = 0;
};

// Runs program to its end (at most timeoutMs); returns its exit code, or -1
// when it could not start or did not end in time (it is killed then).
int Run(const std::string& program, const std::vector<std::wstring>& args, DWORD timeoutMs = 30000);

// Every key and value below root\path, one line each: "" for the key itself,
// "\\Sub\\Key" for a subkey and "<key>|<name>=<text>" for a value (the
// default value has an empty name; values shown as text for REG_SZ, else as
// "#<type>").  Empty when the key does not exist.
std::set<std::wstring> RegistryTree(HKEY root, const std::wstring& path);

// Runs f on thread t and waits for it (timeoutMs at most); false when it
// could not be posted or did not finish in time.
template <class F>
bool RunOn(fx::UiThread& t, F f, DWORD timeoutMs = 5000) {
    fx::UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!t.PostTask([&] {
            f();
            ::SetEvent(done.get());
        }))
        return false;
    return ::WaitForSingleObject(done.get(), timeoutMs) == WAIT_OBJECT_0;
}

// Polls cond every 20 ms for at most timeoutMs, pumping this thread's messages.
bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs);

// This process's first top-level window of that class and title (nullptr
// when it has none).  Tests run side by side on one display, so a window
// found by name alone may be another test's.
HWND OwnWindow(const wchar_t* cls, const wchar_t* title);

// Answers this process's dialog box (class "#32770") of that title with OK,
// from a watcher thread of its own: the watcher waits (boundMs at most) until
// the box is shown, keeps the texts of its controls and presses OK.  Made
// before the call that shows the box; Join waits for the watcher, which ends
// by the bound at the latest (the destructor joins too).
class AnswerDialog {
public:
    AnswerDialog(std::wstring title, DWORD boundMs);
    ~AnswerDialog();
    AnswerDialog(const AnswerDialog&) = delete;
    AnswerDialog& operator=(const AnswerDialog&) = delete;

    // Whether the box came within the bound and was answered.
    bool Join();
    // After Join: the texts of the box's controls in their order, and a
    // message box's message (the text of its control 0xFFFF); empty when no
    // box came.
    const std::vector<std::wstring>& Texts() const { return texts_; }
    const std::wstring& Message() const { return message_; }

private:
    void Watch();

    const std::wstring title_;
    const DWORD boundMs_;
    std::vector<std::wstring> texts_;
    std::wstring message_;
    std::atomic<bool> answered_{false};
    std::thread watcher_;
};

// A path in the temporary folder; any file there of that name is deleted.
std::string TempFile(const char* name);
// A file's whole content ("" when it cannot be read).
std::string ReadAll(const std::string& path);
// Writes text as the file's whole content; false when it cannot be written.
bool WriteAll(const std::string& path, const std::string& text);

// Ends a worker thread when the scope ends, however it ends (a failed ASSERT
// returns early): sets stop, then joins.  A std::thread still joinable at
// destruction would end the whole test program.
class StopAndJoin {
public:
    StopAndJoin(std::atomic<bool>& stop, std::thread& thread) : stop_(stop), thread_(thread) {}
    ~StopAndJoin() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    StopAndJoin(const StopAndJoin&) = delete;
    StopAndJoin& operator=(const StopAndJoin&) = delete;

private:
    std::atomic<bool>& stop_;
    std::thread& thread_;
};

}  // namespace testsupport
