// The window-class and process helpers against real windows of our own
// classes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Hextens/HXLib/UtilityLib.h"

namespace {

const wchar_t kLongClass[] = L"HXLibTestClassWithAVeryLongNameThatRunsPastSixtyThreeCharactersXYZ";

void Register(const wchar_t* name) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
}

// A frame "IEFrame" with a middle child and a document grandchild, an owned
// pop-up and a window with an over-long class name.
class WindowHelpers : public testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const wchar_t* c : {L"IEFrame", L"HXLibTestMiddle", L"HXLibTestDoc", L"HXLibTestPopup", kLongClass})
            Register(c);
    }
    void SetUp() override {
        HINSTANCE inst = ::GetModuleHandleW(nullptr);
        frame = ::CreateWindowExW(0, L"IEFrame", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, inst,
                                  nullptr);
        middle = ::CreateWindowExW(0, L"HXLibTestMiddle", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, frame, nullptr,
                                   inst, nullptr);
        doc = ::CreateWindowExW(0, L"HXLibTestDoc", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50, middle, nullptr, inst,
                                nullptr);
        popup = ::CreateWindowExW(0, L"HXLibTestPopup", L"", WS_POPUP, 0, 0, 10, 10, frame, nullptr, inst, nullptr);
        longNamed = ::CreateWindowExW(0, kLongClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, inst, nullptr);
        ASSERT_TRUE(frame && middle && doc && popup && longNamed);
    }
    void TearDown() override {
        ::DestroyWindow(longNamed);
        ::DestroyWindow(popup);
        ::DestroyWindow(frame);
    }
    HWND frame = nullptr, middle = nullptr, doc = nullptr, popup = nullptr, longNamed = nullptr;
};

TEST_F(WindowHelpers, IsClassComparesExactly) {
    EXPECT_TRUE(UtilityLib::IsClass(frame, L"IEFrame"));
    EXPECT_FALSE(UtilityLib::IsClass(frame, L"ieframe"));
    EXPECT_FALSE(UtilityLib::IsClass(frame, L"IEFram"));
    EXPECT_FALSE(UtilityLib::IsClass(nullptr, L"IEFrame"));
    EXPECT_FALSE(UtilityLib::IsClass(frame, static_cast<const wchar_t*>(nullptr)));

    const wchar_t* list[] = {nullptr, L"IEFrame"};
    EXPECT_TRUE(UtilityLib::IsClass(frame, 2, list));
    EXPECT_FALSE(UtilityLib::IsClass(frame, 1, list));
    EXPECT_FALSE(UtilityLib::IsClass(doc, 2, list));
    EXPECT_FALSE(UtilityLib::IsClass(nullptr, 2, list));
    const wchar_t* lower[] = {L"ieframe", L"IEFRAME"};
    EXPECT_FALSE(UtilityLib::IsClass(frame, 2, lower));

    // Class names are read with at most 63 characters.
    const std::wstring first63(kLongClass, 63);
    EXPECT_TRUE(UtilityLib::IsClass(longNamed, first63.c_str()));
    EXPECT_FALSE(UtilityLib::IsClass(longNamed, kLongClass));
}

TEST_F(WindowHelpers, AncestorsByClass) {
    EXPECT_EQ(UtilityLib::GetMatchingAncestorByClass(frame, L"IEFrame"), frame);  // the window itself
    EXPECT_EQ(UtilityLib::GetMatchingAncestorByClass(doc, L"IEFrame"), frame);
    EXPECT_EQ(UtilityLib::GetMatchingAncestorByClass(doc, L"HXLibTestMiddle"), middle);
    EXPECT_EQ(UtilityLib::GetMatchingAncestorByClass(doc, L"HXLibTestPopup"), nullptr);
    EXPECT_EQ(UtilityLib::GetMatchingAncestorByClass(nullptr, L"IEFrame"), nullptr);
    EXPECT_TRUE(UtilityLib::HasAncestorOfClass(doc, L"IEFrame"));
    EXPECT_TRUE(UtilityLib::HasAncestorOfClass(doc, L"HXLibTestDoc"));
    EXPECT_FALSE(UtilityLib::HasAncestorOfClass(middle, L"HXLibTestDoc"));
    EXPECT_FALSE(UtilityLib::HasAncestorOfClass(nullptr, L"IEFrame"));
}

TEST_F(WindowHelpers, DocWindowBelowTheRootOwner) {
    EXPECT_EQ(UtilityLib::GetDocWindow(doc, L"HXLibTestDoc"), doc);
    EXPECT_EQ(UtilityLib::GetDocWindow(frame, L"HXLibTestDoc"), doc);
    EXPECT_EQ(UtilityLib::GetDocWindow(popup, L"HXLibTestDoc"), doc);  // through the pop-up's owner
    EXPECT_EQ(UtilityLib::GetDocWindow(frame, L"IEFrame"), nullptr);   // descendants only
    EXPECT_EQ(UtilityLib::GetDocWindow(nullptr, L"HXLibTestDoc"), nullptr);
}

TEST_F(WindowHelpers, FocusedSubWindowOfTheWindowsThread) {
    ::ShowWindow(frame, SW_SHOW);
    ::SetFocus(doc);
    EXPECT_EQ(UtilityLib::GetFocusedSubWindow(frame), ::GetFocus());
    EXPECT_EQ(UtilityLib::GetFocusedSubWindow(nullptr), nullptr);
}

TEST_F(WindowHelpers, BaseNameOfAProcessAndOfAWindowsProcess) {
    wchar_t name[MAX_PATH] = L"";
    UtilityLib::GetBaseName(static_cast<unsigned long>(::GetCurrentProcessId()), name, MAX_PATH);
    EXPECT_EQ(_wcsicmp(name, L"hxlib_tests.exe"), 0) << name;
    wchar_t byWindow[MAX_PATH] = L"";
    UtilityLib::GetBaseName(frame, byWindow, MAX_PATH);
    EXPECT_EQ(_wcsicmp(byWindow, L"hxlib_tests.exe"), 0) << byWindow;

    wchar_t untouched[8] = L"keep";
    UtilityLib::GetBaseName(0xFFFFFFF0ul, untouched, 8);  // no such process
    EXPECT_STREQ(untouched, L"keep");
    UtilityLib::GetBaseName(static_cast<HWND>(nullptr), untouched, 8);
    EXPECT_STREQ(untouched, L"keep");
}

}  // namespace
