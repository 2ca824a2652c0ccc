// The controller's observer: the link hot spots and selection pieces of the
// last collection and the hover state.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "app/core/enhancers/LinkInfo.h"
#include "app/selection/controller/HoverEngine.h"
#include "app/selection/menus/MenuHost.h"

class BrowserTreeView;

// The hover state (m_LastPoint, m_LastMoveTick, m_MenuTick, m_Anchor) is the
// hover engine's.
class Observer : public hover::Marks, public MenuObserver {
public:
    explicit Observer(BrowserTreeView& owner) : m_Owner(owner) {}
    ~Observer() override = default;
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    // Empties the hot-spot list and forgets the controller's current link.
    virtual void Clear();
    // Starts the default browser with url (http and https only, passed as one
    // quoted argument with its quotes percent-encoded); false when nothing was
    // started.
    virtual bool OpenInDefaultBrowser(std::wstring url);

    // What the menus read (MenuObserver).
    std::wstring HoverText() const override { return m_HoverText; }
    RECT HoverAnchor() const override { return RECT{m_Anchor.left, m_Anchor.top, m_Anchor.right, m_Anchor.bottom}; }

    std::wstring m_AreaTitle;
    bool m_Flag = false;
    std::wstring m_HoverText;
    std::wstring m_HoverContext;
    std::wstring m_HoverGuess;
    LinkList m_HotSpots;
    LinkList m_Selections;

private:
    BrowserTreeView& m_Owner;
};

// The browser start of OpenInDefaultBrowser: the default browser's path and
// the shell start (ShellExecute with no verb, no directory, normal show);
// and the shell call that starts the browser for OpenUrlInBrowser
// (ShellExecuteExW).  Tests replace them.
struct BrowserStarter {
    std::function<std::wstring()> browserPath;
    std::function<bool(const std::wstring& file, const std::wstring& parameters)> start;
    std::function<BOOL(SHELLEXECUTEINFOW& info)> shellExecuteEx;
};
BrowserStarter& DefaultBrowserStarter();
