#include "SelectionCapture.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "CaptureMath.h"
#include "PluginModule.h"
#include "SharedData.h"
#include "hosts/HostWindowClasses.h"
#include "log/Logger.h"

using namespace acrohost;

namespace {

constexpr int kMaxPageViews = 4;
constexpr int32_t kIdlePeriod = 20;
// A shown-pages range is walked at most this far (a host range is not trusted).
constexpr int64_t kMaxPagesWalked = 100000;

struct PageViewEntry {
    HWND window = nullptr;
    int scrollBarCount = 0;
    HWND scrollBars[2] = {nullptr, nullptr};
};

struct CaptureState {
    HWND frame = nullptr;
    HWND foreground = nullptr;
    PageViewEntry pageViews[kMaxPageViews];
    int pageViewCount = 0;
    int focused = -1;
    std::wstring text;
    AcroRect viewRect{};
    DeviceRect selectionDevice{};
    AcroRect visibleSelection{};
    AcroRect lastFrame{};
    SharedData* record = nullptr;
    // A capture is running: the host can raise notifications from inside our
    // own calls (a page-view change while the capture moves the current
    // page); those are the capture's own doing and are not captured inside it.
    bool capturing = false;
    Callback textChunk = nullptr;
    Callback shownPages = nullptr;
};

CaptureState g_capture;

AcroRect ToRect(const RECT& r) { return AcroRect{r.left, r.top, r.right, r.bottom}; }

bool SameRect(const AcroRect& a, const AcroRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool ClassIs(HWND w, const wchar_t* name) {
    wchar_t cls[64];
    return ::GetClassNameW(w, cls, 64) > 0 && std::wcscmp(cls, name) == 0;
}

bool TextIs(HWND w, const wchar_t* text) {
    wchar_t buf[64];
    buf[0] = L'\0';
    ::GetWindowTextW(w, buf, 64);
    return std::wcscmp(buf, text) == 0;
}

HWND DocumentHwnd(Document doc) {
    DocWindow window = HostCall<view::DocumentWindow>(g_module.View(), view::kDocumentWindow, doc);
    if (!window) return nullptr;
    return static_cast<HWND>(HostCall<view::PlatformWindow>(g_module.View(), view::kPlatformWindow, window));
}

BOOL CALLBACK CollectPageView(HWND w, LPARAM) {
    if (g_capture.pageViewCount >= kMaxPageViews) return FALSE;
    if (!ClassIs(w, host_class::kAcrobatView) || !TextIs(w, L"AVPageView")) return TRUE;
    PageViewEntry& e = g_capture.pageViews[g_capture.pageViewCount++];
    e.window = w;
    for (HWND s = ::GetWindow(w, GW_HWNDNEXT); s && e.scrollBarCount < 2; s = ::GetWindow(s, GW_HWNDNEXT))
        if (ClassIs(s, L"ScrollBar")) e.scrollBars[e.scrollBarCount++] = s;
    return g_capture.pageViewCount < kMaxPageViews;
}

void FindPageViews(Document doc) {
    for (auto& e : g_capture.pageViews) e = PageViewEntry{};
    g_capture.pageViewCount = 0;
    g_capture.frame = nullptr;
    HWND w = DocumentHwnd(doc);
    if (w && ClassIs(w, host_class::kAcrobatFrame)) {
        g_capture.frame = w;
        g_capture.foreground = ::GetForegroundWindow();
        ::EnumChildWindows(w, CollectPageView, 0);
    }
    const HWND focus = ::GetFocus();
    int focusedNow = -1;
    for (int i = 0; focus && i < g_capture.pageViewCount && focusedNow < 0; ++i)
        if (g_capture.pageViews[i].window == focus) focusedNow = i;
    g_capture.focused = FocusedPageView(focusedNow, g_capture.focused, g_capture.pageViewCount);
}

HostBool ACROHOST_CALL OnTextChunk(const char* chunk, int32_t length, void* clientData) {
    AppendWidened(*static_cast<std::wstring*>(clientData), chunk, length);
    return true;
}

// For each shown page of the range: make it current, place the selection on
// the screen by the page's origin, and keep the first part that is visible.
HostBool ACROHOST_CALL OnShownPages(PageView pageView, int32_t first, int32_t last, void*) {
    int64_t walked = 0;
    for (int64_t page = first; page <= last && walked < kMaxPagesWalked; ++page, ++walked) {
        const int32_t p = static_cast<int32_t>(page);
        if (!HostCall<view::PageShown>(g_module.View(), view::kPageShown, pageView, p)) continue;
        HostCall<view::GoToPage>(g_module.View(), view::kGoToPage, pageView, p);
        DevicePoint origin{};
        HostCall<view::PageOrigin>(g_module.View(), view::kPageOrigin, pageView, &origin);
        AcroRect screen = DeviceToScreen(g_capture.selectionDevice, g_capture.viewRect, origin);
        AcroRect visible = Clip(screen, g_capture.viewRect);
        if (!IsEmpty(visible)) {
            g_capture.visibleSelection = visible;
            return false;
        }
    }
    return true;
}

// Puts the view's current page back when it goes out of scope, whatever the
// enumeration of the shown pages did or however it ended.
class CurrentPageKeeper {
public:
    explicit CurrentPageKeeper(PageView pageView)
        : pageView_(pageView), page_(HostCall<view::CurrentPage>(g_module.View(), view::kCurrentPage, pageView)) {}
    ~CurrentPageKeeper() { HostCall<view::GoToPage>(g_module.View(), view::kGoToPage, pageView_, page_); }
    CurrentPageKeeper(const CurrentPageKeeper&) = delete;
    CurrentPageKeeper& operator=(const CurrentPageKeeper&) = delete;

private:
    PageView pageView_;
    int32_t page_;
};

void MeasureSelection(Document doc, PageView pageView, Selection selection) {
    RECT r{};
    ::GetWindowRect(g_capture.pageViews[g_capture.focused].window, &r);
    g_capture.viewRect = ToRect(r);
    PageRect bounds{};
    HostCall<model::SelectionBounds>(g_module.Model(), model::kSelectionBounds, selection, &bounds);
    g_capture.selectionDevice = DeviceRect{};
    HostCall<view::PageToDevice>(g_module.View(), view::kPageToDevice, pageView, static_cast<const PageRect*>(&bounds),
                                 &g_capture.selectionDevice);
    CurrentPageKeeper keeper(pageView);
    HostCall<view::EnumShownPages>(g_module.View(), view::kEnumShownPages, doc, g_capture.shownPages,
                                   static_cast<void*>(pageView));
}

std::wstring ReadTitle(Document doc) {
    PdfDocument pdf = HostCall<view::DocumentPdf>(g_module.View(), view::kDocumentPdf, doc);
    if (!pdf) return std::wstring();
    unsigned char buffer[kTitleBytes + 1] = {};
    int32_t n = HostCall<model::InfoText>(g_module.Model(), model::kInfoText, pdf, "Title",
                                          reinterpret_cast<char*>(buffer), kTitleBytes);
    if (n < 0) n = 0;
    if (n > kTitleBytes) n = kTitleBytes;
    buffer[n] = 0;
    return DecodeTitle(buffer, n);
}

void WriteRecord(Document doc) {
    SharedData* record = g_capture.record;
    if (!record) return;
    // The title comes from the host before the record's mutex is taken: other
    // processes wait on that mutex, and no host call happens while we hold it.
    std::wstring title;
    try {
        title = ReadTitle(doc);
    } catch (...) { title.clear(); }
    if (!record->Lock()) return;
    try {
        ClearEmptySelection(g_capture.visibleSelection, g_capture.viewRect, g_capture.text);
        record->ClearEntries();
        record->SetViewRect(g_capture.viewRect);
        record->SetTitle(title.c_str());
        record->AddEntry(g_capture.text.c_str(), g_capture.visibleSelection);
    } catch (...) {}
    record->Unlock();
}

// A notification raised from inside a running capture is ignored before it
// asks the host anything.
void ACROHOST_CALL OnDocumentNotification(void* doc, void*) {
    if (g_capture.capturing) return;
    CaptureSelection(doc, HostCall<view::DocumentPageView>(g_module.View(), view::kDocumentPageView, doc));
}

void ACROHOST_CALL OnPageViewNotification(void* pageView, void*) {
    if (g_capture.capturing) return;
    CaptureSelection(HostCall<view::PageViewDocument>(g_module.View(), view::kPageViewDocument, pageView), pageView);
}

void ACROHOST_CALL OnOtherNotification(void*, void*) {}

}  // namespace

void CaptureSelection(Document doc, PageView pageView) {
    if (g_capture.capturing) return;
    struct Running {
        Running() { g_capture.capturing = true; }
        ~Running() { g_capture.capturing = false; }
    } running;
    FindPageViews(doc);
    g_capture.text.clear();
    g_capture.viewRect = AcroRect{};
    g_capture.visibleSelection = AcroRect{};
    if (g_capture.focused >= 0 && doc) {
        const Atom type = HostCall<view::SelectionType>(g_module.View(), view::kSelectionType, doc);
        Selection selection = HostCall<view::GetSelection>(g_module.View(), view::kSelection, doc);
        if (type == AtomOf("Text") && selection) {
            std::wstring buffer;
            HostCall<model::EnumSelectedText>(g_module.Model(), model::kEnumSelectedText, selection,
                                              g_capture.textChunk, static_cast<void*>(&buffer));
            g_capture.text = ReportedSelection(buffer);
            if (buffer.size() <= static_cast<size_t>(kSelectionMaxChars)) MeasureSelection(doc, pageView, selection);
        }
    }
    WriteRecord(doc);
}

void ACROHOST_CALL IdleCheck(void*) {
    if (g_capture.capturing) return;  // checked again at the next idle call
    Document doc = HostCall<view::ActiveDocument>(g_module.View(), view::kActiveDocument);
    if (!doc) return;
    HWND frame = DocumentHwnd(doc);
    RECT r{};
    if (!frame || !::GetWindowRect(frame, &r)) return;
    if (SameRect(ToRect(r), g_capture.lastFrame)) return;
    g_capture.lastFrame = ToRect(r);
    CaptureSelection(doc, HostCall<view::DocumentPageView>(g_module.View(), view::kDocumentPageView, doc));
}

void PluginInit() {
    g_pLogger = Logger::Open();
    LogMessage(L"(%s) InitPQPlugin", kAcrobatModuleName);
    if (g_pLogger) g_pLogger->LogVersion(kAcrobatModuleName);
    g_capture = CaptureState{};
    g_capture.record = AttachAcrobatRecord();
    g_capture.textChunk = MakeCallback(&OnTextChunk);
    g_capture.shownPages = MakeCallback(&OnShownPages);
    for (int32_t n : notify::kRegistered) {
        Callback handler = nullptr;
        if (n == notify::kDocumentCaptureA || n == notify::kDocumentCaptureB)
            handler = MakeCallback(&OnDocumentNotification);
        else if (n == notify::kPageViewCapture) handler = MakeCallback(&OnPageViewNotification);
        else handler = MakeCallback(&OnOtherNotification);
        HostCall<view::RegisterNotification>(g_module.View(), view::kRegisterNotification, n, g_module.extension,
                                             handler, static_cast<void*>(nullptr));
    }
    HostCall<view::RegisterIdle>(g_module.View(), view::kRegisterIdle, MakeCallback(&IdleCheck),
                                 static_cast<void*>(nullptr), kIdlePeriod);
}

void PluginUnload() {
    delete g_capture.record;
    g_capture.record = nullptr;
    LogMessage(L"(%s) KillPQPlugin", kAcrobatModuleName);
    delete g_pLogger;
    g_pLogger = nullptr;
}
