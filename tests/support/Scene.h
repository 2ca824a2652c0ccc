// The main road's scene driven from outside, for the tests that run the real
// PondRel.exe on the demo settings: the stand-in Firefox extension in front
// with "Pond life" selected, the stand-in browser as the default browser, and
// the pointer moved and clicked with xdotool on the test's own display.  The
// program's windows are found by class and title only: nothing here calls
// into the program's code.
//
// The steps report with gtest assertions; call them inside
// ASSERT_NO_FATAL_FAILURE.  `log` gives the program's log so far for a
// failure's message.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "tests/support/TestSupport.h"

namespace scene {

// The selected piece, in screen coordinates, away from the screen's edges.
constexpr RECT kPiece{300, 300, 420, 318};
// The menus' item heights.
constexpr int kItem = 19, kSeparator = 11;
// The text menu, top down: the default best guess (the demo's best-guess
// panel for the text) and its divider, then the demo's one shown category,
// "Reference", which starts here.
constexpr int kReferenceTop = kItem + kSeparator;
// The demo's "Reference" sub-menu, top down (Translate is off).
enum SubMenuItem { kDictionary = 0, kEncyclopedia = 1, kWebSearch = 2, kSearchTheWeb = 3, kSubMenuItems = 4 };
// The URL part a chosen "Search the Web" hands to the browser: "Pond life"
// percent-encoded as UTF-8 in place of "{pq_token}", the argument's closing
// quote after it.
constexpr const char* kSearchTail = "/files/search?q=%50%6f%6e%64%20%6c%69%66%65\"";

using Log = std::function<std::string()>;

// A popup of the program ("PondMenu" windows by title: "HoverHotspot",
// "TxMenu", "company").
HWND Popup(const wchar_t* name);
bool Shown(const wchar_t* name);
RECT WindowRect(HWND w);
RECT Center(const RECT& r);  // a 1-pixel rectangle at r's centre

// The pointer, through xdotool.
void MoveTo(int x, int y);
// The left button pressed and let go where the pointer is.
void Click();
// Moves the pointer to (x, y) and a pixel beside it until cond holds (a menu
// takes its first move to start tracking the pointer), each move followed by
// a bounded wait; false when cond never held.
bool HoverUntil(int x, int y, const std::function<bool()>& cond);

// When PONDREL_SCREENSHOT_DIR names a folder of the host (tools/screenshots
// sets it), saves the display's area around the given windows there as
// <name>.png; unset, it does nothing and takes no time.
void Snapshot(const char* name, std::initializer_list<RECT> windows);

// A fresh scratch directory under the temporary folder (trailing "\").
std::wstring ScratchDir(const wchar_t* prefix);
// Writes text as the file dir + name; returns the full path.
std::wstring WriteFile(const std::wstring& dir, const std::wstring& name, const std::string& text);
// Copies every file of folder `from` matching `pattern` into folder `to`
// (both with a trailing "\"); the number copied.
int CopyFiles(const std::wstring& from, const wchar_t* pattern, const std::wstring& to);
// Every occurrence of from in text replaced by to.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// The stand-in browser registered as the prefix's default browser while the
// object lives; the program's children inherit where it records the command
// lines it is started with (record).
class DefaultBrowser {
public:
    explicit DefaultBrowser(const std::string& exe);
    ~DefaultBrowser();
    DefaultBrowser(const DefaultBrowser&) = delete;
    DefaultBrowser& operator=(const DefaultBrowser&) = delete;

    bool registered() const { return registered_; }
    std::string Record() const;  // what it recorded so far

private:
    std::string exe_;
    std::string record_;
    bool registered_ = false;
};

// Starts the stand-in Firefox extension (exe) with its window of Firefox's
// class in front and "Pond life" selected at kPiece (the selection changed at
// its first answer, the same page from then on); its script and report lie
// in dir.  Returns when it reports its window in the foreground, with the
// pointer resting on the selected text.
void StartFirefoxInFront(testsupport::Child& firefox, const std::string& exe, const std::wstring& dir);
// After a search opened in the stand-in browser: once the browser's window
// has come and gone, the pointer back on the selection and the stand-in
// Firefox window brought to the foreground again, as the user's click into
// it would (its extension then reports the selection anew).
void BackToFirefox();

// The places of the main road's windows, as they opened.
struct Road {
    RECT hotspot{}, menu{}, sub{};
};

// Waits for the hotspot beside the selection, the pointer resting on the
// selection (a move over the page while the hotspot shows hides it again).
void AwaitHotspot(Road& road, const Log& log);
// The pointer on the hotspot opens the text menu below it: a separator, then
// the demo's one shown category, "Reference".
void OpenTextMenu(Road& road, const Log& log);
// The pointer on "Reference" opens its sub-menu of panels and searches.
void OpenSubMenu(Road& road, const Log& log);
// The sub-menu's item made hot, then clicked.
void ClickSubMenuItem(const Road& road, SubMenuItem item, const char* snapshot = nullptr);

}  // namespace scene
