// Internet Explorer played by fake COM objects over the toolchain's own
// browser and document interfaces: a shell-windows collection, browsers,
// documents, elements, selections, text ranges with metrics and frames, each
// built from a page described as data.
//
// The collection is reached the way the enhancer asks for it: a FakeIE
// registers its class object for CLSID_ShellWindows in this process, so
// CoCreateInstance(CLSID_ShellWindows) answers with the fake.  Every object the
// fakes hand out is kept by the FakeIE with one reference of its own; Leaks()
// names each object whose count is not back to that one reference.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Hextens/HXIE/PageGeometry.h"

namespace fakeie {

// One element of a page.  Rectangles are client coordinates of the page's
// window; an element's text is its own, its inner text adds its children's.
struct ElementData {
    std::wstring tag;  // upper case, as the document reports it: "A", "INPUT", ...
    int parent = -1;   // index of the parent element; -1 for the root
    hxie::Rect rect;
    std::wstring text;
    // Attributes by name ("id", "href", "type", "name", "content", ...).
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    long scrollLeft = 0, scrollTop = 0;
};

struct SelectionData {
    int element = -1;  // the range's parent element; -1: nothing selected
    std::wstring text;
    hxie::RangeMetrics metrics;
    hxie::RangeMetrics afterMoveStart;  // metrics once the start moved one character
    bool startMoves = true;
};

struct PageData {
    std::wstring title;
    std::wstring url;
    long screenLeft = 0, screenTop = 0;  // the page window's screen corner
    std::vector<ElementData> elements;   // element 0 is the root ("HTML")
    int body = 1;                        // index of "BODY"
    SelectionData selection;
    std::vector<PageData> frames;  // embedded frames, each a page of its own
};

// A page with the usual root and body over the given size.
PageData BasicPage(const std::wstring& title, const std::wstring& url, long width, long height);
// Adds an element; returns its index.
int AddElement(PageData& page, const std::wstring& tag, int parent, hxie::Rect rect, const std::wstring& text = L"",
               std::vector<std::pair<std::wstring, std::wstring>> attributes = {});

class FakeBrowser;
class FakeShellWindows;
class FakeObject;

class FakeIE {
public:
    FakeIE();
    ~FakeIE();
    FakeIE(const FakeIE&) = delete;
    FakeIE& operator=(const FakeIE&) = delete;

    // A browser whose top-level window is `top` and whose shell window (the
    // one that holds "Internet Explorer_Server") is `shell`.
    FakeBrowser* AddBrowser(HWND top, HWND shell, const PageData& page);
    // The browser's next page (a new document; the old one stays tracked).
    void SetPage(FakeBrowser* browser, const PageData& page);

    // A browser that is no item of the collection (UpdateForECP's case).
    FakeBrowser* MakeLooseBrowser(HWND shell, const PageData& page);

    // How often the collection was created.
    int ShellWindowsCreated() const;
    // The calls made into the fake browser process (the collection's count,
    // a browser's document and its navigations), and how many of them were
    // made while a message filter was registered for the caller's apartment.
    int BrowserCalls() const { return browserCalls_; }
    int FilteredBrowserCalls() const { return filteredBrowserCalls_; }
    // Objects whose reference count is not back to the FakeIE's own one.
    std::vector<std::string> Leaks() const;

    // Internal: objects register themselves here, and note their browser calls.
    void Track(FakeObject* object);
    void NoteBrowserCall();

private:
    std::vector<std::unique_ptr<FakeObject>> objects_;
    FakeShellWindows* shellWindows_ = nullptr;
    DWORD cookie_ = 0;
    int created_ = 0;
    int browserCalls_ = 0;
    int filteredBrowserCalls_ = 0;
    friend class FakeShellWindowsFactory;
};

// What a browser records and how it answers.
struct BrowserScript {
    bool locationUrlFails = false;
    // Results of the next Navigate calls, first to last (S_OK once used up).
    std::vector<HRESULT> navigateResults;
};

struct Navigation {
    std::wstring url;
    long flags = 0;
};

// Accessors of a fake browser for tests.
BrowserScript& Script(FakeBrowser* browser);
const std::vector<Navigation>& Navigations(FakeBrowser* browser);
IUnknown* AsUnknown(FakeBrowser* browser);

}  // namespace fakeie
