#include "fx/DocTemplate.h"

#include <string>

namespace fx {

bool View::Create(Window& frame, Document& doc) {
    document_ = &doc;
    RECT rc{};
    ::GetClientRect(frame.hwnd(), &rc);
    std::wstring cls = RegisterWindowClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return CreateEx(0, cls.c_str(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, rc.right, rc.bottom,
                    frame.hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xE900)));
}

bool FrameWindow::LoadFrame(UINT resourceId, DWORD style, HWND parent) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    wchar_t title[256] = L"";
    ::LoadStringW(inst, resourceId, title, 256);
    if (wchar_t* nl = wcschr(title, L'\n')) *nl = L'\0';
    HICON icon = ::LoadIconW(inst, MAKEINTRESOURCEW(resourceId));
    std::wstring cls = RegisterWindowClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    return CreateEx(0, cls.c_str(), title, style & ~WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, parent, nullptr);
}

bool FrameWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_SIZE && view_ && view_->hwnd()) {
        ::MoveWindow(view_->hwnd(), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        result = 0;
        return true;
    }
    return Window::OnMessage(msg, wp, lp, result);
}

SingleDocTemplate::SingleDocTemplate(UINT resourceId, DocumentMaker doc, FrameMaker frame, ViewMaker view)
    : resourceId_(resourceId), makeDocument_(std::move(doc)), makeFrame_(std::move(frame)),
      makeView_(std::move(view)) {}

SingleDocTemplate::~SingleDocTemplate() {
    // Windows first: the view and frame may still read the document.
    view_.reset();
    frame_.reset();
    document_.reset();
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
    return document_->OnNewDocument();
}

}  // namespace fx
