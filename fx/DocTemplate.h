// The single-document skeleton: one document, its frame window and one view
// inside the frame, made together by the template's "new document" command
// from the classes the template names.  Views are child windows with an
// initial-update hook; the frame lets its class adjust the creation record.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "fx/Window.h"

namespace fx {

// Id of the first pane of a frame (the template's view) and of the first pane
// inside a view.
constexpr UINT kPaneFirst = 0xE900;

// Dynamic creation by class: a maker that constructs a T and hands it out as
// its base class.
template <class Base, class T>
std::function<std::unique_ptr<Base>()> CreatorOf() {
    return [] { return std::unique_ptr<Base>(new T()); };
}

class Document {
public:
    Document() = default;
    virtual ~Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The "new document" step, run once the frame and view exist; false
    // fails the command.
    virtual bool OnNewDocument() { return true; }
};

class View : public Window {
public:
    Document* document() const { return document_; }
    void SetDocument(Document* doc) { document_ = doc; }
    // Creates the view as a child window of `parent` with the given id and
    // client rectangle (in the parent's client coordinates).
    bool CreateView(HWND parent, const RECT& rc, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    // The template's view: the frame's first pane, filling its client area.
    virtual bool Create(Window& frame, Document& doc);
    // Called once after the document's "new document" step.
    virtual void OnInitialUpdate() {}

protected:
    // Painting: WM_PAINT hands the paint DC to OnDraw.
    virtual void OnDraw(HDC) {}
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    Document* document_ = nullptr;
};

// The record a frame's window is created from.
struct CreateParams {
    DWORD exStyle = 0;
    DWORD style = WS_OVERLAPPEDWINDOW;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
    HMENU menu = nullptr;
    std::wstring className;
    std::wstring title;
};

class FrameWindow : public Window {
public:
    // Creates the frame as an overlapped top-level window (not shown), titled
    // with the first line of string `resourceId`, with icon `resourceId`,
    // after PreCreateWindow has seen the record.
    virtual bool LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr);
    // Adjusts the creation record; false cancels the creation.
    virtual bool PreCreateWindow(CreateParams&) { return true; }
    View* view() const { return view_; }
    void SetView(View* v) { view_ = v; }

protected:
    // Keeps the view filling the client area; at the end of the session
    // (WM_ENDSESSION) the main window ends the application.
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    View* view_ = nullptr;
};

class SingleDocTemplate {
public:
    using DocumentMaker = std::function<std::unique_ptr<Document>()>;
    using FrameMaker = std::function<std::unique_ptr<FrameWindow>()>;
    using ViewMaker = std::function<std::unique_ptr<View>()>;

    SingleDocTemplate(UINT resourceId, DocumentMaker doc, FrameMaker frame, ViewMaker view);
    ~SingleDocTemplate();

    // A template over the three classes.
    template <class D, class F, class V>
    static std::unique_ptr<SingleDocTemplate> Of(UINT resourceId) {
        return std::make_unique<SingleDocTemplate>(resourceId, CreatorOf<Document, D>(),
                                                   CreatorOf<FrameWindow, F>(), CreatorOf<View, V>());
    }

    // "New document": makes the document, the frame (hidden) and the view,
    // runs the document's new-document step, then the view's initial update.
    bool OpenNewDocument();
    Document* document() const { return document_.get(); }
    FrameWindow* frame() const { return frame_.get(); }
    View* view() const { return view_.get(); }

private:
    UINT resourceId_;
    DocumentMaker makeDocument_;
    FrameMaker makeFrame_;
    ViewMaker makeView_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<FrameWindow> frame_;
    std::unique_ptr<View> view_;
};

}  // namespace fx
