#include "fx/DocTemplate.h"

#include "fx/App.h"
#include "fx/Gdi.h"

namespace fx {

namespace {
std::wstring ViewClass() {
    return RegisterWindowClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}
}  // namespace

bool View::CreateView(HWND parent, const RECT& rc, UINT id, DWORD style) {
    std::wstring cls = ViewClass();
    return CreateEx(0, cls.c_str(), L"", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

bool View::Create(Window& frame, Document& doc) {
    document_ = &doc;
    RECT rc{};
    ::GetClientRect(frame.hwnd(), &rc);
    return CreateView(frame.hwnd(), rc, kPaneFirst, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
}

bool View::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_PAINT) {
        PaintDC dc(hwnd());
        OnDraw(dc.get());
        result = 0;
        return true;
    }
    return Window::OnMessage(msg, wp, lp, result);
}

bool FrameWindow::LoadFrame(UINT resourceId, DWORD style, HWND parent) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    wchar_t title[256] = L"";
    ::LoadStringW(inst, resourceId, title, 256);
    if (wchar_t* nl = wcschr(title, L'\n')) *nl = L'\0';
    HICON icon = ::LoadIconW(inst, MAKEINTRESOURCEW(resourceId));
    CreateParams cp;
    cp.style = style;
    cp.title = title;
    cp.className = RegisterWindowClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    if (!PreCreateWindow(cp)) return false;
    return CreateEx(cp.exStyle, cp.className.c_str(), cp.title.c_str(), cp.style & ~WS_VISIBLE, cp.x, cp.y, cp.cx,
                    cp.cy, parent, cp.menu);
}

bool FrameWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_SIZE && view_ && view_->hwnd()) {
        ::MoveWindow(view_->hwnd(), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        result = 0;
        return true;
    }
    if (msg == WM_ENDSESSION) {
        App* app = App::Current();
        if (wp && app && app->m_pMainWnd == this) app->EndSession();  // does not return
        result = 0;
        return true;
    }
    return Window::OnMessage(msg, wp, lp, result);
}

SingleDocTemplate::SingleDocTemplate(UINT resourceId, DocumentMaker doc, FrameMaker frame, ViewMaker view)
    : resourceId_(resourceId), makeDocument_(std::move(doc)), makeFrame_(std::move(frame)),
      makeView_(std::move(view)) {}

SingleDocTemplate::~SingleDocTemplate() {
    // The view and frame windows first (they may still read the document),
    // then the document, then the window objects.
    if (frame_) frame_->Destroy();
    document_.reset();
    view_.reset();
    frame_.reset();
}

bool SingleDocTemplate::OpenNewDocument() {
    if (document_) return document_->OnNewDocument();
    document_ = makeDocument_();
    if (!document_) return false;
    frame_ = makeFrame_();
    if (!frame_ || !frame_->LoadFrame(resourceId_)) return false;
    view_ = makeView_();
    if (!view_ || !view_->Create(*frame_, *document_)) return false;
    frame_->SetView(view_.get());
    if (!document_->OnNewDocument()) return false;
    view_->OnInitialUpdate();
    return true;
}

}  // namespace fx
