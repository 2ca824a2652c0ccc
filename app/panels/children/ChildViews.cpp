#include "app/panels/children/ChildViews.h"

#include "app/panels/children/ChildLink.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/elements/WindowElement.h"

namespace panels {

void CreateElementView(ContentElement& element, CChildWin& frame) {
    if (dynamic_cast<SearchElement*>(&element)) {
        auto view = std::make_unique<SearchView>();
        if (view->CreateIn(frame.hwnd(), CChildWin::kViewId)) {
            if (ChildLink* link = frame.Link()) view->Connect(link->HandlerWindow(), link->PanelWindow());
            view->OnInitialUpdate();
            frame.SetView(std::move(view));
        }
    }
}

std::unique_ptr<Gdiplus::Bitmap> SnapshotView(CChildWin&) { return nullptr; }

void GoForwardInView(CChildWin&) {}

void GoBackInView(CChildWin&) {}

}  // namespace panels
