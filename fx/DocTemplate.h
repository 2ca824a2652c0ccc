// The single-document skeleton: one document, its frame window and one view
// inside the frame, made together by the template's "new document" command.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "fx/Window.h"

namespace fx {

class Document {
public:
    Document() = default;
    virtual ~Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Called once the frame and view exist; false fails the command.
    virtual bool OnNewDocument() { return true; }
};

class View : public Window {
public:
    Document* document() const { return document_; }
    // Creates the view as a child filling the frame's client area.
    virtual bool Create(Window& frame, Document& doc);

private:
    Document* document_ = nullptr;
};

class FrameWindow : public Window {
public:
    // Creates the frame as an overlapped top-level window (not shown), titled
    // with the first line of string `resourceId`, with icon `resourceId`.
    virtual bool LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr);
    View* view() const { return view_; }
    void SetView(View* v) { view_ = v; }

protected:
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

    // "New document": makes the document, the frame (hidden) and the view.
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
