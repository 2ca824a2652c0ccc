// The single-document skeleton: the template makes the document, frame and view
// from their classes in order, the frame's class adjusts its creation record,
// the view is the frame's first pane and gets its initial update after the
// document's new-document step; dialogs name their template without a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fx/Dialog.h"
#include "fx/DocTemplate.h"

namespace {

std::vector<std::string> g_steps;

class TestDoc : public fx::Document {
public:
    bool OnNewDocument() override {
        g_steps.push_back("OnNewDocument");
        return !refuse;
    }
    static bool refuse;
};
bool TestDoc::refuse = false;

class TestFrame : public fx::FrameWindow {
public:
    bool PreCreateWindow(fx::CreateParams& cp) override {
        g_steps.push_back("PreCreateWindow");
        cp.exStyle = WS_EX_TOOLWINDOW;
        cp.style = WS_CAPTION | WS_SYSMENU;
        cp.cx = 321;
        cp.cy = 234;
        cp.title = L"adjusted";
        return true;
    }
};

class TestView : public fx::View {
public:
    void OnInitialUpdate() override { g_steps.push_back(document() ? "OnInitialUpdate" : "OnInitialUpdate without document"); }
};

TEST(DocTemplate, NewDocumentMakesFrameAndPaneThenUpdatesTheView) {
    g_steps.clear();
    auto t = fx::SingleDocTemplate::Of<TestDoc, TestFrame, TestView>(1);
    ASSERT_TRUE(t->OpenNewDocument());
    EXPECT_EQ(g_steps, (std::vector<std::string>{"PreCreateWindow", "OnNewDocument", "OnInitialUpdate"}));

    HWND frame = t->frame()->hwnd();
    EXPECT_FALSE(::IsWindowVisible(frame)) << "the frame is made hidden";
    EXPECT_TRUE(::GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT rc;
    ::GetWindowRect(frame, &rc);
    EXPECT_EQ(rc.right - rc.left, 321);
    EXPECT_EQ(rc.bottom - rc.top, 234);
    wchar_t title[32] = L"";
    ::GetWindowTextW(frame, title, 32);
    EXPECT_STREQ(title, L"adjusted");

    HWND view = t->view()->hwnd();
    EXPECT_EQ(::GetParent(view), frame);
    EXPECT_EQ(static_cast<UINT>(::GetDlgCtrlID(view)), fx::kPaneFirst);
    EXPECT_EQ(t->view()->document(), t->document());
    EXPECT_EQ(t->frame()->view(), t->view());

    // The view keeps filling the client area.
    ::SetWindowPos(frame, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client, pane;
    ::GetClientRect(frame, &client);
    ::GetClientRect(view, &pane);
    EXPECT_EQ(pane.right, client.right);
    EXPECT_EQ(pane.bottom, client.bottom);

    // A second "new document" reuses the document.
    g_steps.clear();
    EXPECT_TRUE(t->OpenNewDocument());
    EXPECT_EQ(g_steps, (std::vector<std::string>{"OnNewDocument"}));

    // Closing the template destroys the windows.
    t.reset();
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_FALSE(::IsWindow(view));
}

TEST(DocTemplate, RefusedNewDocumentFailsTheCommandWithoutAnInitialUpdate) {
    g_steps.clear();
    TestDoc::refuse = true;
    auto t = fx::SingleDocTemplate::Of<TestDoc, TestFrame, TestView>(1);
    EXPECT_FALSE(t->OpenNewDocument());
    TestDoc::refuse = false;
    EXPECT_EQ(g_steps, (std::vector<std::string>{"PreCreateWindow", "OnNewDocument"}));
}

TEST(DocTemplate, ViewsAsChildPanesAndDialogsWithoutWindows) {
    fx::Window parent;
    std::wstring cls = fx::RegisterWindowClass(0);
    ASSERT_TRUE(parent.CreateEx(0, cls.c_str(), L"", WS_OVERLAPPED, 0, 0, 200, 200, nullptr, nullptr));
    TestView child;
    RECT rc{5, 6, 55, 46};
    ASSERT_TRUE(child.CreateView(parent.hwnd(), rc, 77, WS_CHILD));
    EXPECT_EQ(::GetDlgCtrlID(child.hwnd()), 77);
    EXPECT_FALSE(::IsWindowVisible(child.hwnd()));
    RECT got;
    ::GetWindowRect(child.hwnd(), &got);
    ::MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&got), 2);
    EXPECT_TRUE(::EqualRect(&got, &rc));

    fx::Dialog never(143);
    EXPECT_EQ(never.templateId(), 143u);
    EXPECT_EQ(never.hwnd(), nullptr);
    EXPECT_FALSE(never.Create(nullptr)) << "no such template in this program";
    EXPECT_EQ(never.hwnd(), nullptr);
}

}  // namespace
