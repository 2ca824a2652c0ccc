// The application object: the process's first user-interface thread, with the
// start-up (InitInstance), the message loop (Run, OnIdle) and the end
// (ExitInstance) that the entry point drives, the command line, the document
// template and the main window.  A program has exactly one, a static object.
#pragma once

#include <windows.h>

#include <memory>

#include "fx/DocTemplate.h"
#include "fx/UiThread.h"
#include "fx/Window.h"

namespace fx {

// The command-line record: ParseCommandLine hands it each token.
class CommandLineInfo {
public:
    enum ShellCommand { FileNew, FileNothing };

    virtual ~CommandLineInfo() = default;
    // One token; a leading "/" or "-" is removed and reported as `flag`.
    virtual void ParseParam(const wchar_t* param, bool flag, bool last);

    ShellCommand shellCommand = FileNew;
};

class App : public UiThread {
public:
    App();
    ~App() override;

    // The process's application object (none before it is constructed).
    static App* Current();

    // Framework members the program reads and writes.
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWDEFAULT;
    Window* m_pMainWnd = nullptr;

    // Hands every token after the program name of `commandLine` (the
    // process's own by default) to `info`.
    void ParseCommandLine(CommandLineInfo& info, const wchar_t* commandLine = nullptr);
    // Carries out the shell command (FileNew: the template's new document,
    // whose frame becomes the main window).
    bool ProcessShellCommand(CommandLineInfo& info);
    void AddDocTemplate(std::unique_ptr<SingleDocTemplate> t);
    SingleDocTemplate* docTemplate() const { return template_.get(); }

    // Initialises OLE for this thread; ExitInstance undoes it.
    bool OleInit();

    // Destroys the document, its frame and view (also done by ExitInstance).
    void CloseDocumentTemplate();

    // The framework's end: quits the threads left in the process's thread set
    // (within kThreadsQuitBoundMs together), closes the document template and
    // OLE; returns the exit code (WM_QUIT's wParam).
    int ExitInstance() override;
    static constexpr DWORD kThreadsQuitBoundMs = 3000;

    // The end of the Windows session reached the main window: runs
    // ExitInstance and ends the process with exit code 0 (nothing runs after).
    [[noreturn]] void EndSession();

private:
    friend int AppEntry(App& app, HINSTANCE instance, int showCommand);

    std::unique_ptr<SingleDocTemplate> template_;
    bool oleStarted_ = false;
};

// The program's entry: InitInstance, then Run, on the calling thread (the
// application object is that thread's fx::UiThread: it takes tasks, and an
// exception escaping its start or loop is logged); a failed start runs
// ExitInstance at once.  Returns the process exit code.
int AppEntry(App& app, HINSTANCE instance, int showCommand);

}  // namespace fx
