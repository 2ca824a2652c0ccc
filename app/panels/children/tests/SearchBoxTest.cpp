// The search box on a panel's children thread under Wine: what is typed is
// published and Enter runs the search, its focus hides the tail and raises
// the panel, the panel's text put into it, its format, and the paste of one
// line from the clipboard.
#include "app/panels/children/tests/ChildrenFixture.h"

namespace children_test {
namespace {

// Typing publishes the box's text, the character just typed included;
// Enter asks the panel for the search.
TEST_F(Children, SearchBoxPublishesWhatIsTypedAndEnterRunsTheSearch) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    // Key presses as the keyboard gives them: the thread's loop translates
    // each key-down into its character.
    for (wchar_t c : std::wstring(L"POND")) {
        ::PostMessageW(edit, WM_KEYDOWN, c, 1);
        ::PostMessageW(edit, WM_KEYUP, c, 0xC0000001);
    }
    ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == L"pond"; }, 5000)) << testsupport::Utf8(TextOf(edit));
    EXPECT_TRUE(WaitFor([&] { return Url() == L"pond" && SearchQuery() == L"pond"; }, 5000))
        << testsupport::Utf8(Url());

    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kReload); }, 5000));
    for (const Posted& p : panel_.Messages()) {
        if (p.msg != panel_msg::kReload) continue;
        EXPECT_EQ(0u, p.wp);
        EXPECT_EQ(1, p.lp);
    }
    EXPECT_EQ(L"pond", TextOf(edit));  // Enter is not passed on to the box
}

// Enter on an empty box still asks for the search, with an empty text.
TEST_F(Children, EnterOnAnEmptyBoxRunsTheSearchWithAnEmptyText) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    SetUrl(L"earlier words");
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kReload); }, 5000));
    EXPECT_EQ(L"", Url());
}

// Focusing the box hides the panel's tail for good and brings the panel
// back to its z-order.
TEST_F(Children, FocusOnTheBoxHidesTheTailAndRaisesThePanel) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(true, t, edit, box));
    ASSERT_TRUE(testsupport::RunOn(*t, [&] {
        ::ShowWindow(box, SW_SHOWNA);
        ::SetFocus(edit);
    }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kRaise); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return host_.Got(controller_msg::kMenuPanelGone); }, 5000));
    PanelLockScope hold(panelLock_.get());
    EXPECT_TRUE(tail_->noShow);
}

// The panel's text goes into the box (11308); the search text read from a
// longer box is cut to 256 characters.
TEST_F(Children, PanelTextIntoTheBoxAndTheSearchTextBounded) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    const std::wstring longText(300, L'z');
    SetUrl(longText);
    ::PostMessageW(t->HandlerWindow(), children_msg::kSetSearchText, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == longText; }, 5000));
    ::PostMessageW(edit, WM_KEYDOWN, VK_END, 1);
    EXPECT_TRUE(WaitFor([&] { return Url() == longText.substr(0, 256); }, 5000)) << Url().size();
}

// The panel's text put into the box (11308) is selected whole (11215), so
// the next key replaces it; a text of one character is left unselected.
TEST_F(Children, PanelTextIntoTheBoxIsSelectedWhole) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    struct Case {
        const wchar_t* text;
        bool selected;
    } cases[] = {{L"p", false}, {L"pond life", true}, {L"po", true}, {L"q", false}};
    auto selection = [&] {
        CHARRANGE range{-1, -1};
        ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.text));
        SetUrl(c.text);
        ::PostMessageW(t->HandlerWindow(), children_msg::kSetSearchText, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == c.text; }, 5000));
        // The handler posts 11215 once the text is in: a second round trip
        // through the thread's queue comes after it.
        ASSERT_TRUE(testsupport::RunOn(*t, [] {}));
        ASSERT_TRUE(testsupport::RunOn(*t, [] {}));
        const CHARRANGE range = selection();
        if (c.selected) {
            EXPECT_EQ(0, range.cpMin);
            // A rich edit's whole selection takes in its closing paragraph mark.
            EXPECT_GE(range.cpMax, static_cast<LONG>(wcslen(c.text)));
        } else {
            EXPECT_EQ(range.cpMin, range.cpMax) << range.cpMin << ".." << range.cpMax;
        }
    }
}

// 11309 puts the keyboard focus into the search box.
TEST_F(Children, FocusRequestPutsTheFocusIntoTheBox) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    auto focus = [&] {
        HWND focused = nullptr;
        testsupport::RunOn(*t, [&] { focused = ::GetFocus(); });
        return focused;
    };
    ASSERT_TRUE(testsupport::RunOn(*t, [&] { ::ShowWindow(box, SW_SHOWNA); }));
    ASSERT_NE(edit, focus()) << "the box has the focus already";
    ::PostMessageW(t->HandlerWindow(), children_msg::kFocusSearch, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return focus() == edit; }, 5000));
}

// The box's look: the default character format is Tahoma, 170 twips,
// black, without effects; the formatting rectangle starts 2 pixels lower
// than a plain rich edit of the same size has it.
TEST_F(Children, SearchBoxFormat) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    ASSERT_TRUE(testsupport::RunOn(*t, [&] {
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        ::SendMessageW(edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        EXPECT_STREQ(L"Tahoma", format.szFaceName);
        EXPECT_EQ(170, format.yHeight);
        EXPECT_EQ(0u, static_cast<DWORD>(format.crTextColor));
        EXPECT_EQ(0u, format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_PROTECTED |
                                          CFE_AUTOCOLOR));

        RECT client{};
        ::GetClientRect(edit, &client);
        HWND plain = ::CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, client.right,
                                       client.bottom, ::GetParent(edit), nullptr, nullptr, nullptr);
        ASSERT_TRUE(plain);
        RECT plainRect{}, boxRect{};
        ::SendMessageW(plain, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&plainRect));
        ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&boxRect));
        ::DestroyWindow(plain);
        EXPECT_EQ(plainRect.top + 2, boxRect.top);
    }));
}

// The view's paste command (ID_EDIT_PASTE) pastes one line as Ctrl+V does.
TEST_F(Children, PasteCommandOfTheViewPastesOneLine) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    const std::wstring clipboard = L"pond\r\nlife\tnow";
    ASSERT_TRUE(FillClipboard(clipboard));
    SetUrl(L"stale");
    ::PostMessageW(::GetParent(edit), WM_COMMAND, MAKEWPARAM(0xE125, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return TextOf(edit) == panels::PasteText(clipboard); }, 5000))
        << testsupport::Utf8(TextOf(edit));
    EXPECT_TRUE(WaitFor([&] { return Url() == panels::PasteText(clipboard); }, 5000));
}

// A paste whose copy of the clipboard's text fails (no memory) leaves the
// clipboard closed: no other program is locked out of it.
TEST_F(Children, AFailedPasteLeavesTheClipboardClosed) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    ASSERT_TRUE(FillClipboard(L"a text that no short string holds"));
    HWND openBy = reinterpret_cast<HWND>(1);
    ASSERT_TRUE(testsupport::RunOn(*t, [&] {
        {
            testsupport::FailingAllocationsHere failing;
            ::SendMessageW(::GetParent(edit), WM_COMMAND, MAKEWPARAM(0xE125, 0), 0);
        }
        openBy = ::GetOpenClipboardWindow();
        if (openBy) ::CloseClipboard();
    }));
    EXPECT_EQ(openBy, nullptr) << "the paste left the clipboard open";
}

// A paste by WM_PASTE (Shift+Insert, the context menu) inserts one line of at
// most 255 characters and publishes it.
TEST_F(Children, PasteInsertsOneLineAndPublishesIt) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    const std::wstring clipboard = L"pond\r\nlife\tnow " + std::wstring(300, L'x');
    ASSERT_TRUE(FillClipboard(clipboard));

    ::PostMessageW(edit, WM_PASTE, 0, 0);
    const std::wstring expected = panels::PasteText(clipboard);
    ASSERT_EQ(255u, expected.size());
    EXPECT_TRUE(WaitFor([&] { return TextOf(edit) == expected; }, 5000)) << testsupport::Utf8(TextOf(edit));
    EXPECT_TRUE(WaitFor([&] { return Url() == expected && SearchQuery() == expected; }, 5000));
}

// Ctrl+V (key code 86 or 118 with Ctrl held on the box's thread) pastes
// through the view as one line, and its key-up publishes the text.
TEST_F(Children, CtrlVPastesOneLineThroughTheView) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    for (WPARAM key : {WPARAM{86}, WPARAM{118}}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(testsupport::RunOn(*t, [&] { ::SetWindowTextW(edit, L""); }));
        const std::wstring clipboard = L"pond\r\nlife\tnow";
        ASSERT_TRUE(FillClipboard(clipboard));
        SetUrl(L"stale");
        ASSERT_TRUE(testsupport::RunOn(*t, [&] {
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            const BYTE before = keys[VK_CONTROL];
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            ::SendMessageW(edit, WM_KEYDOWN, key, 1);
            ::SendMessageW(edit, WM_KEYUP, key, 0xC0000001);
            keys[VK_CONTROL] = before;
            ::SetKeyboardState(keys);
        }));
        EXPECT_EQ(panels::PasteText(clipboard), TextOf(edit));
        EXPECT_EQ(panels::PasteText(clipboard), Url());
    }
}

}  // namespace
}  // namespace children_test
