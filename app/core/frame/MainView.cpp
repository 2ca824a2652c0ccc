#include "app/core/frame/MainView.h"

#include <commctrl.h>

#include "app/core/common/DialogFont.h"
#include "app/core/config/Settings.h"
#include "app/core/frame/FrameDocument.h"
#include "app/core/frame/FrameHost.h"
#include "fx/App.h"

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonStep = 81;

HMENU Id(UINT id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }
}  // namespace

void MainView::OnInitialUpdate() {
    fx::View::OnInitialUpdate();
    BuildPage();
    if (auto* doc = static_cast<FrameDocument*>(document())) doc->m_pMainView = this;
}

void MainView::BuildPage() {
    RECT c{};
    ::GetClientRect(hwnd(), &c);
    // Buttons along the bottom right, right to left: Apply, Cancel, OK.
    int applyLeft = c.right - kButtonStep;
    int top = c.bottom - 29;
    struct Button {
        fx::Window* window;
        const wchar_t* text;
        UINT id;
        int left;
        DWORD style;
    } buttons[] = {
        {&m_ApplyButton, L"Apply", kApplyId, applyLeft, BS_PUSHBUTTON},
        {&m_CancelButton, L"Cancel", kCancelId, applyLeft - kButtonStep, BS_PUSHBUTTON},
        {&m_OkButton, L"OK", kOkId, applyLeft - 2 * kButtonStep, BS_DEFPUSHBUTTON},
    };
    HFONT font = GetFrameHost().SharedGdiFont();
    for (const Button& b : buttons) {
        b.window->CreateEx(0, WC_BUTTONW, b.text, WS_CHILD | WS_TABSTOP | b.style, b.left, top, kButtonWidth,
                           kButtonHeight, hwnd(), Id(b.id));
        ::SendMessageW(b.window->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        ::ShowWindow(b.window->hwnd(), SW_SHOW);
    }
    // The tab control (not visible) over the rest of the page.
    RECT t{c.left + 6, c.top - 16, c.right - 4, c.bottom - 32};
    m_TabCtrl.CreateEx(0, WC_TABCONTROLW, L"", WS_CHILD | TCS_FIXEDWIDTH, t.left, t.top, t.right - t.left,
                       t.bottom - t.top, hwnd(), Id(kTabId));
    HWND dialog = FontDialogWindow();
    if (dialog) {
        LRESULT dialogFont = ::SendMessageW(dialog, WM_GETFONT, 0, 0);
        ::SendMessageW(m_TabCtrl.hwnd(), WM_SETFONT, static_cast<WPARAM>(dialogFont), TRUE);
    }
    LRESULT ex = ::SendMessageW(m_TabCtrl.hwnd(), TCM_GETEXTENDEDSTYLE, 0, 0);
    ::SendMessageW(m_TabCtrl.hwnd(), TCM_SETEXTENDEDSTYLE, 0, ex | TCS_EX_FLATSEPARATORS);
    const wchar_t* tabs[] = {L"General", L"Advanced"};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(tabs[i]);
        ::SendMessageW(m_TabCtrl.hwnd(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void MainView::OnApply() {
    auto* doc = static_cast<FrameDocument*>(document());
    if (doc && doc->GetSettingsView()) doc->GetSettingsView()->ReadCheckboxes();
}

void MainView::OnOk() {
    OnApply();
    OnCancel();
}

void MainView::OnCancel() {
    fx::App* app = fx::App::Current();
    if (app && app->m_pMainWnd) ::ShowWindow(app->m_pMainWnd->hwnd(), SW_HIDE);
}

bool MainView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_ERASEBKGND: {
            result = fx::EraseWithButtonFace(hwnd(), reinterpret_cast<HDC>(wp));
            return true;
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case kApplyId: OnApply(); break;
                case kOkId: OnOk(); break;
                case kCancelId: OnCancel(); break;
                default: return fx::View::OnMessage(msg, wp, lp, result);
            }
            result = 0;
            return true;
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr->idFrom == kTabId && hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
                result = 0;
                return true;
            }
            break;
        }
        default:
            break;
    }
    return fx::View::OnMessage(msg, wp, lp, result);
}
