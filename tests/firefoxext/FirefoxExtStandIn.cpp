// Plays the Firefox extension on the other side of the channel:
//   FirefoxExtStandIn [--script FILE] [--report FILE] [--run-ms N]
//                     [--hostile-ms N] [--die-holding-lock] [--hold-lock-until FILE]
//                     [--silent] [--window]
// With --window it first shows a top-level window of Firefox's class
// "MozillaUIWindowClass" and brings it to the foreground (reporting
// "foreground"), so the enhancer finds Firefox in front; the window shows
// the first page's title and its selected pieces, highlighted in their
// first rectangles (screen coordinates), so a picture of the screen shows
// the selection the enhancer is told about.
// It opens the block, the lock and the events (waiting for the enhancer to
// create them), sets its alive event and answers every request with the
// scripted page.  After each answer it reports the site strings and
// navigation requests it finds to the report file and leaves a debug line
// in the extension log.  With --die-holding-lock it takes the lock and ends
// holding it; with --hold-lock-until it takes the lock, reports "holding the
// lock", and keeps it until FILE exists (reporting "released the lock"), then
// answers as usual.
//
// Script (UTF-8, one "key value" per line; "next" starts the page used from
// the following answer on; "#" starts a comment):
//   location https://ex.com/page
//   domain ex.com
//   title A page
//   piece Hello world|10,20,30,40|10,40,30,60     text and its rectangles
//   hotspot text|href|id1,id2|l,t,r,b            ids become an LF list
//   flags page selection hotspots                flags set with this answer
//                                                (default all three; "none")
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ChannelLayout.h"
#include "fx/Handle.h"
#include "hosts/HostWindowClasses.h"
#include "tests/support/TestSupport.h"

using namespace ffchannel;

namespace {

struct Rect { int32_t l, t, r, b; };
struct Piece { std::wstring text; std::vector<Rect> rects; };
struct HotSpot { std::wstring text, href, ids; Rect rect; };
struct Page {
    std::wstring location, domain, title;
    std::vector<Piece> pieces;
    std::vector<HotSpot> hotSpots;
    bool pageChanged = true, selectionChanged = true, hotSpotsChanged = true;
};

using testsupport::Split;

Rect ParseRect(const std::wstring& s) {
    Rect r{0, 0, 0, 0};
    swscanf(s.c_str(), L"%d,%d,%d,%d", &r.l, &r.t, &r.r, &r.b);
    return r;
}

std::vector<Page> ReadScript(const std::wstring& path) {
    std::vector<Page> pages(1);
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return pages;
    char line[8192];
    while (fgets(line, sizeof line, f)) {
        std::string raw(line);
        while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) raw.pop_back();
        std::wstring w = testsupport::Wide(raw);
        if (w.empty() || w[0] == L'#') continue;
        size_t sp = w.find(L' ');
        std::wstring key = w.substr(0, sp), value = sp == std::wstring::npos ? L"" : w.substr(sp + 1);
        Page& p = pages.back();
        if (key == L"next") pages.push_back(Page());
        else if (key == L"location") p.location = value;
        else if (key == L"domain") p.domain = value;
        else if (key == L"title") p.title = value;
        else if (key == L"piece") {
            auto parts = Split(value, L'|');
            Piece piece{parts[0], {}};
            for (size_t i = 1; i < parts.size(); ++i) piece.rects.push_back(ParseRect(parts[i]));
            p.pieces.push_back(piece);
        } else if (key == L"hotspot") {
            auto parts = Split(value, L'|');
            parts.resize(4);
            std::wstring ids = parts[2];
            for (auto& c : ids)
                if (c == L',') c = L'\n';
            p.hotSpots.push_back(HotSpot{parts[0], parts[1], ids, ParseRect(parts[3])});
        } else if (key == L"flags") {
            p.pageChanged = value.find(L"page") != std::wstring::npos;
            p.selectionChanged = value.find(L"selection") != std::wstring::npos;
            p.hotSpotsChanged = value.find(L"hotspots") != std::wstring::npos;
        }
    }
    fclose(f);
    return pages;
}

void PutText(char16_t* field, int capacity, const std::wstring& s) {
    size_t n = s.size() < (size_t)capacity - 1 ? s.size() : capacity - 1;
    std::memcpy(field, s.data(), 2 * n);
    field[n] = 0;
}

class Report {
public:
    explicit Report(const std::wstring& path) : f_(path.empty() ? nullptr : _wfopen(path.c_str(), L"ab")) {}
    ~Report() { if (f_) fclose(f_); }
    void Line(const std::string& s) {
        if (!f_) return;
        fputs(s.c_str(), f_);
        fputc('\n', f_);
        fflush(f_);
    }

private:
    FILE* f_;
};

void Fill(ChannelBlock& b, const Page& p) {
    PutText(b.location, kPageTextChars, p.location);
    PutText(b.domain, kPageTextChars, p.domain);
    PutText(b.title, kPageTextChars, p.title);
    std::wstring text;
    int rect = 0;
    for (size_t i = 0; i < p.pieces.size() && i < (size_t)kMaxSelectionPieces; ++i) {
        if (i) text += L'\t';
        text += p.pieces[i].text;
        b.selectionRectCounts[i] = (int32_t)p.pieces[i].rects.size();
        for (const Rect& r : p.pieces[i].rects)
            if (rect < kMaxSelectionRects) b.selectionRects[rect++] = ChannelRect{r.l, r.t, r.r, r.b};
    }
    b.selectionCount = (int32_t)p.pieces.size();
    PutText(b.selectionText, kSelectionChars, text);
    std::wstring texts, hrefs, ids;
    for (size_t i = 0; i < p.hotSpots.size() && i < (size_t)kMaxHotSpots; ++i) {
        if (i) { texts += L'\t'; hrefs += L'\t'; ids += L'\t'; }
        texts += p.hotSpots[i].text;
        hrefs += p.hotSpots[i].href;
        ids += p.hotSpots[i].ids;
        const Rect& r = p.hotSpots[i].rect;
        b.hotSpotRects[i] = ChannelRect{r.l, r.t, r.r, r.b};
    }
    b.hotSpotCount = (int32_t)p.hotSpots.size();
    PutText(b.hotSpotTexts, kHotSpotChars, texts);
    PutText(b.hotSpotHrefs, kHotSpotChars, hrefs);
    PutText(b.hotSpotIds, kHotSpotChars, ids);
    if (p.pageChanged) b.pageChanged = 1;
    if (p.selectionChanged) b.selectionChanged = 1;
    if (p.hotSpotsChanged) b.hotSpotsChanged = 1;
}

void AppendLog(ChannelBlock& b, const std::string& line) {
    size_t used = 0;
    while (used < (size_t)kExtensionLogBytes && b.extensionLog[used]) ++used;
    if (used >= (size_t)kExtensionLogBytes || used + line.size() + 2 > (size_t)kExtensionLogBytes) return;
    std::memcpy(b.extensionLog + used, line.data(), line.size());
    b.extensionLog[used + line.size()] = '\n';
    b.extensionLog[used + line.size() + 1] = 0;
}

// Site strings and a navigation request left by the enhancer.
void TakeRequests(ChannelBlock& b, int& sitesSeen, Report& report) {
    int32_t count = b.siteStringCount;
    if (count < sitesSeen) sitesSeen = 0;   // the enhancer laid the block out afresh
    for (; sitesSeen < count && sitesSeen < kMaxSiteStrings; ++sitesSeen) {
        int32_t offset = b.siteStringOffsets[sitesSeen].offset;
        if (offset < 0 || offset >= kSitePoolBytes || offset % 2) continue;
        const char16_t* s = b.siteStringPool + offset / 2;
        int max = kSitePoolChars - offset / 2, n = 0;
        while (n < max && s[n]) ++n;
        char line[64];
        snprintf(line, sizeof line, "site %d %d ", sitesSeen, offset);
        report.Line(line + testsupport::Utf8(std::wstring(reinterpret_cast<const wchar_t*>(s), n)));
    }
    if (b.navigateUrl[0]) {
        char url[kNavigateUrlChars + 1];
        std::memcpy(url, b.navigateUrl, kNavigateUrlChars);
        url[kNavigateUrlChars] = 0;
        char line[400];
        snprintf(line, sizeof line, "navigate %08x %d %s", (unsigned)b.navigateWindow, (int)b.navigateFlags, url);
        report.Line(line);
        AppendLog(b, std::string("navigating to ") + url);
        b.navigateUrl[0] = 0;   // taken
    }
}

// The page the window shows.
const Page* g_shownPage = nullptr;

void PaintPage(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(w, &ps);
    RECT client{};
    ::GetClientRect(w, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    if (g_shownPage) {
        RECT title{12, 8, client.right - 12, 28};
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(0x40, 0x40, 0x40));
        ::DrawTextW(dc, g_shownPage->title.c_str(), -1, &title, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        for (const Piece& piece : g_shownPage->pieces) {
            if (piece.rects.empty()) continue;
            POINT corners[2] = {{piece.rects[0].l, piece.rects[0].t}, {piece.rects[0].r, piece.rects[0].b}};
            ::MapWindowPoints(nullptr, w, corners, 2);
            RECT r{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
            ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_HIGHLIGHT));
            ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
            ::DrawTextW(dc, piece.text.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT);
        }
    }
    ::SelectObject(dc, oldFont);
    ::EndPaint(w, &ps);
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PaintPage(w);
        return 0;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

// Firefox's main window, brought to the foreground (true once it is there).
bool ShowFirefoxWindow(HWND& window) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = host_class::kFirefoxFrame;
    ::RegisterClassW(&wc);
    window = ::CreateWindowExW(0, wc.lpszClassName, L"A page - Firefox stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               40, 40, 480, 320, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return false;
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 5000) {
        ::SetForegroundWindow(window);
        Pump();
        if (::GetForegroundWindow() == window) return true;
        ::Sleep(20);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring script, reportPath, releaseFile;
    DWORD runMs = 60000, hostileMs = 0;
    bool dieHoldingLock = false, window = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--script" && i + 1 < argc) script = argv[++i];
        else if (a == L"--report" && i + 1 < argc) reportPath = argv[++i];
        else if (a == L"--run-ms" && i + 1 < argc) runMs = wcstoul(argv[++i], nullptr, 10);
        else if (a == L"--hostile-ms" && i + 1 < argc) hostileMs = wcstoul(argv[++i], nullptr, 10);
        else if (a == L"--die-holding-lock") dieHoldingLock = true;
        else if (a == L"--hold-lock-until" && i + 1 < argc) releaseFile = argv[++i];
        else if (a == L"--window") window = true;
    }
    std::vector<Page> pages = ReadScript(script);
    Report report(reportPath);
    g_shownPage = &pages.front();
    HWND firefox = nullptr;
    if (window) report.Line(ShowFirefoxWindow(firefox) ? "foreground" : "no window in front");

    DWORD start = ::GetTickCount();
    fx::UniqueHandle mapping, mutex, answer, alive;
    while (::GetTickCount() - start < runMs) {
        mapping.reset(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMappingName));
        mutex.reset(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName));
        answer.reset(::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kUpdateEventName));
        if (mapping && mutex && answer) break;
        if (firefox) Pump();
        ::Sleep(20);
    }
    if (!mapping || !mutex || !answer) return 2;
    // The extension's alive event: open the enhancer's, or make it first.
    alive.reset(::CreateEventW(nullptr, TRUE, FALSE, kExtensionAliveName));
    fx::MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize));
    if (!view || !alive) return 3;
    ChannelBlock& b = *static_cast<ChannelBlock*>(view.get());
    ::SetEvent(alive.get());
    report.Line("ready");

    if (dieHoldingLock) {
        ::WaitForSingleObject(mutex.get(), 5000);
        report.Line("holding the lock");
        ::ExitProcess(9);   // ends owning the lock: the enhancer finds it abandoned
    }
    if (!releaseFile.empty()) {
        // A hung extension: the lock is held (and nothing answered) until the
        // test lets go of it.
        if (::WaitForSingleObject(mutex.get(), 5000) != WAIT_OBJECT_0) return 4;
        report.Line("holding the lock");
        while (::GetFileAttributesW(releaseFile.c_str()) == INVALID_FILE_ATTRIBUTES &&
               ::GetTickCount() - start < runMs)
            ::Sleep(20);
        ::ReleaseMutex(mutex.get());
        report.Line("released the lock");
    }

    std::mt19937 rng(4242);
    int answers = 0, sitesSeen = 0;
    while (::GetTickCount() - start < runMs) {
        if (hostileMs && ::GetTickCount() - start < hostileMs) {
            // Random bytes anywhere in the block, lock or not.
            std::uniform_int_distribution<uint32_t> at(0, kBlockSize - 1);
            for (int i = 0; i < 256; ++i) view.bytes()[at(rng)] = (unsigned char)rng();
            b.selectionCount = (int32_t)rng();
            b.hotSpotCount = (int32_t)(rng() % 300) - 100;
            ::SetEvent(answer.get());
            ::Sleep(1);
            continue;
        }
        if (firefox) Pump();   // Firefox's window, when shown
        if (b.updateRequested == 1) {
            fx::MutexLock lock(mutex.get(), 1000);
            if (lock.acquired() && b.updateRequested == 1) {
                const Page& page = pages[answers < (int)pages.size() ? answers : pages.size() - 1];
                Fill(b, page);
                ++answers;
                char line[80];
                snprintf(line, sizeof line, "answered request %d at %d,%d", answers, (int)b.cursorX, (int)b.cursorY);
                AppendLog(b, line);
                TakeRequests(b, sitesSeen, report);
                b.updateRequested = 2;   // answered; the enhancer clears it
                lock.unlock();
                ::SetEvent(answer.get());
                report.Line(line);
            }
        } else {
            fx::MutexLock lock(mutex.get(), 0);
            if (lock.acquired()) TakeRequests(b, sitesSeen, report);
        }
        ::Sleep(2);
    }
    ::ResetEvent(alive.get());
    return 0;
}
