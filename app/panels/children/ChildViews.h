// The views of a panel's child windows, as the children thread makes and
// drives them: which view a windowed element gets (the main content's
// BottomView, the advertisement's BannerView, the search box), where it sits
// and what it loads, and what the thread asks of the main content view (a
// picture of it, its history).  The web views reach the thread, the panel
// and the controller through the thread's ChildViewHost.
#pragma once

#include <memory>
#include <string>

#include "app/panels/views/ViewHost.h"
#include "app/panels/elements/ChildWindow.h"
#include "fx/GdiPlus.h"

class ContentElement;

namespace panels {

class CChildWin;
class ChildrenThread;

// What the web views leave with their children thread: the search text as
// its shared text, the handed-over URL and the panel to open with the panel
// thread's controller; the application's part as AppViewHost.
class ChildViewHost : public AppViewHost {
public:
    explicit ChildViewHost(ChildrenThread& thread);
    void StoreSearchText(const std::wstring& text) override;
    void HandOverUrl(const std::wstring& url) override;
    void LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                        const RECT& screenRect) override;

private:
    ChildrenThread& thread_;
};

// Makes the element's view inside its child window while the window is
// being created (the window's first pane): a BottomView for the main content
// (and menu content), a BannerView for the advertisement, the search box for
// the search element; nothing for the other kinds.
void CreateElementView(ContentElement& element, CChildWin& frame);
// Puts the view at a rectangle of its window's client area; a web view also
// takes the element's zoom.
void PlaceElementView(ContentElement& element, CChildWin& frame, const templates::LayoutRect& client);
// Navigates the web view in frame to the element's content URL (nothing
// without a web view or a URL).
void NavigateElementView(ContentElement& element, CChildWin& frame);

// A picture of the web view in frame (the caller owns it); null without one.
std::unique_ptr<Gdiplus::Bitmap> SnapshotView(CChildWin& frame);
// The history of the web view in frame; nothing without one.
void GoForwardInView(CChildWin& frame);
void GoBackInView(CChildWin& frame);

}  // namespace panels
