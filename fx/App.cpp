#include "fx/App.h"

#include <ole2.h>
#include <shellapi.h>

#include "fx/ThreadSet.h"

namespace fx {

namespace {
App* g_app = nullptr;
}

void CommandLineInfo::ParseParam(const wchar_t*, bool, bool) {}

App::App() { g_app = this; }

App::~App() {
    if (g_app == this) g_app = nullptr;
}

App* App::Current() { return g_app; }

void App::ParseCommandLine(CommandLineInfo& info, const wchar_t* commandLine) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine ? commandLine : ::GetCommandLineW(), &argc);
    if (!argv) return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* p = argv[i];
        bool flag = p[0] == L'/' || p[0] == L'-';
        info.ParseParam(flag ? p + 1 : p, flag, i == argc - 1);
    }
    ::LocalFree(argv);
}

bool App::ProcessShellCommand(CommandLineInfo& info) {
    if (info.shellCommand != CommandLineInfo::FileNew) return true;
    if (!template_ || !template_->OpenNewDocument()) return false;
    m_pMainWnd = template_->frame();
    return true;
}

void App::AddDocTemplate(std::unique_ptr<SingleDocTemplate> t) { template_ = std::move(t); }

bool App::OleInit() {
    if (oleStarted_) return true;
    oleStarted_ = SUCCEEDED(::OleInitialize(nullptr));
    return oleStarted_;
}

void App::CloseDocumentTemplate() {
    m_pMainWnd = nullptr;
    template_.reset();
}

int App::ExitInstance() {
    ThreadSet::Process().QuitAll(kThreadsQuitBoundMs);
    CloseDocumentTemplate();
    if (oleStarted_) {
        ::OleUninitialize();
        oleStarted_ = false;
    }
    return UiThread::ExitInstance();
}

void App::EndSession() {
    // No WM_QUIT ended the loop: what ExitInstance returns is the last
    // message's wParam, no exit code.
    ExitInstance();
    ::ExitProcess(0);
}

int AppEntry(App& app, HINSTANCE instance, int showCommand) {
    app.m_hInstance = instance;
    app.m_nCmdShow = showCommand;
    return app.RunOnCurrentThread();
}

}  // namespace fx
