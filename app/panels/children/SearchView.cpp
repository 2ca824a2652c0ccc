#include "app/panels/children/SearchView.h"

#include <richedit.h>

#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/children/ChildLink.h"
#include "app/panels/children/SearchText.h"

namespace panels {

namespace {

const std::wstring& ViewClass() {
    static const std::wstring name =
        fx::RegisterWindowClass(0, ::LoadCursorW(nullptr, IDC_IBEAM), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return name;
}

// The clipboard, open for the scope's life: closed (and its block unlocked)
// on every way out, a failed copy of its text too.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (locked_) ::GlobalUnlock(locked_);
        if (open_) ::CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool open() const { return open_; }
    const wchar_t* Lock(HANDLE data) {
        const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data));
        if (chars) locked_ = data;
        return chars;
    }

private:
    bool open_;
    HANDLE locked_ = nullptr;
};

// The clipboard's text, or nothing (it cannot be opened or holds no text).
bool ReadClipboardText(HWND owner, std::wstring* text) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open()) return false;
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    const wchar_t* chars = data ? clipboard.Lock(data) : nullptr;
    if (!chars) return false;
    // At most the block's size: a block without its terminator is not read past its end.
    const size_t most = ::GlobalSize(data) / sizeof(wchar_t);
    size_t n = 0;
    while (n < most && chars[n]) ++n;
    text->assign(chars, n);
    return true;
}

}  // namespace

SearchView::SearchView() : m_Edit(this) {}

SearchView::~SearchView() { Destroy(); }

bool SearchView::CreateIn(HWND parent, int id) {
    RECT client{};
    ::GetClientRect(parent, &client);
    return CreateEx(0, ViewClass().c_str(), L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, client.right, client.bottom,
                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void SearchView::Connect(HWND childHandlerWindow, HWND panelWindow) {
    m_hChildHandler = childHandlerWindow;
    m_hPanel = panelWindow;
}

void SearchView::OnInitialUpdate() {
    RECT parent{};
    ::GetWindowRect(::GetParent(hwnd()), &parent);
    ::OffsetRect(&parent, -parent.left, -parent.top);
    if (!m_Edit.CreateBox(hwnd(), parent)) return;
    RECT format{};
    ::SendMessageW(m_Edit.hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    format.top += 2;
    ::SendMessageW(m_Edit.hwnd(), EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
    ApplyFormat();
}

void SearchView::ApplyFormat() {
    if (!m_Edit.hwnd()) return;
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = kFormatMask;
    format.dwEffects = 0;
    format.yHeight = kFormatHeightTwips;
    format.crTextColor = 0;
    lstrcpynW(format.szFaceName, L"Tahoma", LF_FACESIZE);
    ::SendMessageW(m_Edit.hwnd(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

std::wstring SearchView::GetSearchText() const {
    if (!m_Edit.hwnd()) return std::wstring();
    std::vector<wchar_t> buffer(kSearchTextMaxChars + 1, L'\0');
    const int n = ::GetWindowTextW(m_Edit.hwnd(), buffer.data(), static_cast<int>(buffer.size()));
    return BoundSearchText(std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0));
}

void SearchView::Publish() {
    const std::wstring text = GetSearchText();
    ChildLink* link = ChildLink::FromHandler(m_hChildHandler);
    fx::ScopedLock hold(g_SearchTextLock);
    if (link) link->SetUrl(text);
    theApp.m_SearchQuery = text;
}

void SearchView::RunSearch() {
    const std::wstring text = GetSearchText();
    if (ChildLink* link = ChildLink::FromHandler(m_hChildHandler)) link->SetUrl(text);
    if (m_hPanel) ::PostMessageW(m_hPanel, panel_msg::kReload, 0, 1);
}

void SearchView::Paste() {
    std::wstring clipboard;
    if (m_Edit.hwnd() && ReadClipboardText(hwnd(), &clipboard)) {
        const std::wstring line = PasteText(clipboard);
        ApplyFormat();
        ::SendMessageW(m_Edit.hwnd(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    }
    m_Text = GetSearchText();
    Publish();
}

void SearchView::SetText(const std::wstring& text) {
    if (m_Edit.hwnd()) ::SetWindowTextW(m_Edit.hwnd(), text.c_str());
}

bool SearchView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case search_box_msg::kSelectAll:
        if (m_Edit.hwnd() && ::GetWindowTextLengthW(m_Edit.hwnd()) > 1)
            ::SendMessageW(m_Edit.hwnd(), EM_SETSEL, 0, -1);
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && m_hChildHandler) {
            ApplyFormat();
            ::PostMessageW(m_hChildHandler, children_msg::kHideTail, 0, 0);
        }
        return false;
    case WM_SETFOCUS:
        if (m_Edit.hwnd()) ::SetFocus(m_Edit.hwnd());
        return true;
    case WM_COMMAND:
        if (LOWORD(wp) == kEditPasteCommand) {
            Paste();
            return true;
        }
        return LOWORD(wp) == kEditCopyCommand;  // copy is swallowed
    default: (void)lp; return false;
    }
}

}  // namespace panels
