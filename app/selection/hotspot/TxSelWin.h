// TxSelWin, the hotspot ("HoverHotspot"): the small icon window that stands
// beside the selected text or the hovered link.  It fades in when hover
// tracking shows it, pulses while best-guess items arrive, and when the
// cursor moves onto it opens the text menu at its place or launches the
// best-guess panel directly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/core/common/AppMessages.h"
#include "app/selection/hotspot/HotspotHost.h"
#include "app/core/common/WindowClasses.h"
#include "app/selection/hotspot/HotspotAnimation.h"
#include "app/selection/skin/FloatingWin.h"
#include "fx/GdiPlus.h"

class LinkInfo;

class TxSelWin : public FloatingWin {
public:
    static constexpr UINT_PTR kAnimationTimer = timer_id::kHotspotAnimation;
    static constexpr UINT kAnimationPeriodMs = 33;
    static constexpr DWORD kExStyle = 0x08080088;  // no-activate, layered, tool window, top-most
    static constexpr const wchar_t* kPanelClass = window_class::kBackWin;

    // The shared images it draws (owned by the application's graphics).
    struct Images {
        Gdiplus::Image* normal = nullptr;   // "Images\pq_normal.png": the window's size
        Gdiplus::Image* over = nullptr;     // "Images\pq_over.png": the placement size
        Gdiplus::Image* target1 = nullptr;  // the normal icon
        Gdiplus::Image* target2 = nullptr;  // best-guess items offered, no panel image
        Gdiplus::Image* target3 = nullptr;  // a best-guess panel offered, no panel image loaded
    };

    TxSelWin() = default;
    ~TxSelWin() override;

    // Creates the hidden window (class `className`, name "HoverHotspot").
    bool CreateHotspot(const wchar_t* className, HotspotHost* owner, const Images& images);

    void PlaceBesideSelection(const RECT& anchor);
    void FadeIn();
    void AnimationStep();
    void Render(int unused, bool initial) override;
    // The best-guess panel's image under the settings' images URL.
    void LoadTargetImage(const std::wstring& name);
    // Restarts the highlight pulse (an answer with best guesses arrived).
    void StartHighlight();
    bool IsVisible() const { return hwnd() && ::IsWindowVisible(hwnd()); }

    // A new target from hover tracking: its rectangle, whether it is a
    // selection piece, and the record the hotspot acts for.
    void SetTarget(const RECT& rect, bool selectionMode, LinkInfo* record);

    // Target members, set by hover tracking.
    fx::GdiplusPtr<Gdiplus::Image> m_pTargetImage;
    bool m_SelectionMode = false;
    bool m_GuessesRequested = false;
    RECT m_TargetRect{};
    LinkInfo* m_pLinkRecord = nullptr;
    HotspotAnimation m_Animation;  // m_FadeKeys, m_HighlightKeys, m_Fade, m_Highlight

    // The tick count the animation reads (tests inject theirs).
    std::function<uint32_t()> m_Clock = [] { return static_cast<uint32_t>(::GetTickCount()); };
    // The image cache's load (url, cache file) and the installed fallback
    // (file); tests replace them.
    std::function<Gdiplus::Image*(const std::wstring& url, const std::wstring& cacheFile)> m_LoadCached;
    std::function<Gdiplus::Image*(const std::wstring& file)> m_LoadFile;

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnMouseMove();
    void PaintIcon();
    // The window just below which the hotspot goes: the lowest visible
    // panel window; null when none shows.
    HWND LowestVisiblePanel() const;

    HotspotHost* m_pOwner = nullptr;
    Images m_Images;
    // The best-guess panel was looked for (and launched when found) for the
    // current target.
    bool m_LaunchTried = false;
};
