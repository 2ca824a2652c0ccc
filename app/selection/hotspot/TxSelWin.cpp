#include "app/selection/hotspot/TxSelWin.h"

#include <windowsx.h>

#include <cwchar>

#include "app/core/graphics/GraphicsRules.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/core/graphics/OpacityDraw.h"
#include "app/core/graphics/SharedGraphics.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/Settings.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "app/core/config/UserSetting.h"
#include "log/PondrelLog.h"

namespace {

SIZE ImageSize(Gdiplus::Image* image, SIZE fallback) {
    if (!image) return fallback;
    return SIZE{static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())};
}

HCURSOR HotspotCursor() {
    return theApp.m_Graphics.arrowCursor ? theApp.m_Graphics.arrowCursor : ::LoadCursorW(nullptr, IDC_ARROW);
}

struct PanelSearch {
    HWND self;
    HWND lowest;
};

BOOL CALLBACK FindPanelProc(HWND window, LPARAM lp) {
    auto& s = *reinterpret_cast<PanelSearch*>(lp);
    if (window == s.self || !::IsWindowVisible(window)) return TRUE;
    wchar_t cls[256] = {};
    ::GetClassNameW(window, cls, 256);
    if (std::wcscmp(cls, TxSelWin::kPanelClass) == 0) s.lowest = window;  // top to bottom: the last is the lowest
    return TRUE;
}

}  // namespace

TxSelWin::~TxSelWin() {
    if (hwnd()) ::KillTimer(hwnd(), kAnimationTimer);
    Destroy();
}

bool TxSelWin::CreateHotspot(const wchar_t* className, HotspotHost* owner, const Images& images) {
    m_pOwner = owner;
    m_Images = images;
    return Create(className, L"HoverHotspot");
}

void TxSelWin::PreCreateWindow(CREATESTRUCTW& cs) {
    SIZE size = ImageSize(m_Images.normal, SIZE{34, 30});
    cs.cx = size.cx;
    cs.cy = size.cy;
    cs.hwndParent = nullptr;
    // No window style: a bare pop-up (an overlapped window would get a
    // caption and a minimum size).
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.dwExStyle = kExStyle;
}

bool TxSelWin::OnCreateClient() {
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    m_Width = r.right - r.left;
    m_Height = r.bottom - r.top;
    ResizeBackBuffer(m_Width, m_Height);
    Render(0, true);
    Render(0, false);
    ::SetCursor(HotspotCursor());
    return FloatingWin::OnCreateClient();
}

void TxSelWin::PlaceBesideSelection(const RECT& anchor) {
    SIZE over = ImageSize(m_Images.over, SIZE{m_Width, m_Height});
    int x = anchor.right + 3;
    int y = anchor.top + (anchor.bottom - anchor.top) / 2 - over.cy / 2;
    ::MoveWindow(hwnd(), x, y, over.cx, over.cy, TRUE);
}

HWND TxSelWin::LowestVisiblePanel() const {
    PanelSearch search{hwnd(), nullptr};
    ::EnumWindows(FindPanelProc, reinterpret_cast<LPARAM>(&search));
    return search.lowest;
}

void TxSelWin::FadeIn() {
    if (!hwnd() || ::IsWindowVisible(hwnd())) return;
    m_Animation.fade = 0.0f;
    Render(0, false);
    // Shown without activation: the application whose selection it marks
    // stays the foreground window (its enhancer reports a selection only
    // while it is in front).
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    // Below the content panels, still in the top-most band above the
    // browser whose selection it marks.
    if (HWND panel = LowestVisiblePanel())
        ::SetWindowPos(hwnd(), panel, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_Animation.StartFade(m_Clock());
    theApp.m_HaveBestGuesses = false;
    ::SetTimer(hwnd(), kAnimationTimer, kAnimationPeriodMs, nullptr);
}

void TxSelWin::StartHighlight() {
    m_Animation.StartHighlight(m_Clock());
    if (hwnd()) ::SetTimer(hwnd(), kAnimationTimer, kAnimationPeriodMs, nullptr);
}

void TxSelWin::AnimationStep() {
    HotspotAnimation::Step step = m_Animation.Advance(m_Clock());
    if (step.finished && hwnd()) ::KillTimer(hwnd(), kAnimationTimer);
    if (step.stepped) Render(0, false);
}

void TxSelWin::PaintIcon() {
    if (!m_pBackBuffer) return;
    m_pBackBuffer->Clear();
    Gdiplus::Image* base = m_Images.target1;
    Gdiplus::Image* alt = nullptr;
    if (m_pOwner && m_pOwner->HaveGuesses()) {
        if (theApp.m_HaveBestGuesses)
            alt = m_pTargetImage ? m_pTargetImage.get() : m_Images.target3;
        else
            alt = m_Images.target2;
    }
    const bool highlighting = !m_Animation.highlightKeys.m_AtEnd;
    if (!highlighting && alt) base = alt;
    Gdiplus::Graphics g(m_pBackBuffer->bitmap());
    // Each picture at (0, 0) at its own size.
    auto draw = [&g](Gdiplus::Image* image, float opacity) {
        if (!image) return;
        const int w = static_cast<int>(image->GetWidth()), h = static_cast<int>(image->GetHeight());
        render::DrawImageWithOpacity(0, 0, w, h, image, 0, 0, w, h, opacity, nullptr,
                                     Gdiplus::InterpolationModeDefault, g);
    };
    draw(base, m_Animation.fade);
    if (highlighting && alt) draw(alt, m_Animation.highlight);
}

void TxSelWin::Render(int, bool initial) {
    PaintIcon();
    if (initial) {
        if (!m_OffscreenReady) MakeOffscreen();
        UpdateLayered();
        return;
    }
    if (!hwnd()) return;
    ::GetWindowRect(hwnd(), &m_WindowRect);
    ::MoveWindow(hwnd(), m_WindowRect.left, m_WindowRect.top, m_WindowRect.right - m_WindowRect.left,
                 m_WindowRect.bottom - m_WindowRect.top, TRUE);
    UpdateLayered();
}

void TxSelWin::LoadTargetImage(const std::wstring& name) {
    m_pTargetImage.reset();
    const std::wstring fallback = theApp.m_InstallDir + L"Images\\target2.png";
    auto loadFile = [&](const std::wstring& file) -> fx::GdiplusPtr<Gdiplus::Image> {
        if (m_LoadFile) return fx::GdiplusPtr<Gdiplus::Image>(m_LoadFile(file));
        return LoadImageFile(file, 0, 0);
    };
    // No name: nothing to download, the installed image at once.
    if (name.empty()) {
        m_pTargetImage = loadFile(fallback);
        return;
    }
    const std::wstring url = theApp.m_ImagesUrl + name;
    // The cache file is named by the sanitising rule: a name chosen by the
    // server never leaves the cache folder (empty: no cache, no download).
    const std::wstring cacheName = CacheFileNameFromUrl(url, L"", L"");
    const std::wstring cacheFile =
        cacheName.empty() || theApp.m_CacheDir.empty() ? std::wstring() : theApp.m_CacheDir + cacheName;
    fx::GdiplusPtr<Gdiplus::Image> image;
    if (m_LoadCached) {
        image.reset(m_LoadCached(url, cacheFile));
    } else if (!cacheFile.empty()) {
        image = LoadImageCached(url, 22, 20, true, cacheFile);
    }
    if (!image) {
        LogLine(L"Hover BG Target image load failed");
        LogWithPrefix(L"URL :%s", url.c_str());
        LogWithPrefix(L"Cache : %s", cacheFile.c_str());
        image = loadFile(fallback);
    }
    m_pTargetImage = std::move(image);
}

void TxSelWin::SetTarget(const RECT& rect, bool selectionMode, LinkInfo* record) {
    m_TargetRect = rect;
    m_SelectionMode = selectionMode;
    m_pLinkRecord = record;
    m_LaunchTried = false;
}

void TxSelWin::OnMouseMove() {
    ::SetCursor(HotspotCursor());
    if (!m_pOwner || !m_pLinkRecord || m_pOwner->IsTextMenuVisible()) return;
    RECT anchor{};
    ::GetWindowRect(hwnd(), &anchor);
    if (m_GuessesRequested) {
        m_pOwner->OpenTextMenuFromHotspot(anchor, *m_pLinkRecord);
        return;
    }
    // Launch mode tries once per target: a panel that cannot be found is
    // not looked for again at every move over the icon.
    if (m_pOwner->IsMenuPanelOpen() || m_LaunchTried) return;
    m_LaunchTried = true;
    m_pOwner->LaunchBestGuess(anchor, *m_pLinkRecord);
}

bool TxSelWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_MOUSEMOVE:
            OnMouseMove();
            return false;  // then the default handling
        case WM_TIMER:
            if (wp == kAnimationTimer) AnimationStep();
            result = 0;
            return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            ::BeginPaint(hwnd(), &ps);
            ::EndPaint(hwnd(), &ps);
            result = 0;
            return true;
        }
        case WM_NCHITTEST: result = HTCLIENT; return true;
        case WM_NCACTIVATE: result = TRUE; return true;
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
        case WM_LBUTTONDOWN:
        case WM_MOUSELEAVE: result = 0; return true;
        default: return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}
