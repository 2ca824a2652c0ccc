#include "app/core/frame/MainFrame.h"

#include <cstring>
#include <new>
#include <vector>

#include "app/core/config/Settings.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/frame/FrameDocument.h"
#include "app/core/frame/FrameHost.h"
#include "app/core/frame/SearchPanelGate.h"

namespace {

constexpr UINT kHeaderSize = sizeof(RAWINPUTHEADER);
#ifndef _WIN64
static_assert(kHeaderSize == 16, "raw input header of the 32-bit program");
#endif

bool WindowRect(HWND h, RECT& rc) {
    rc = RECT{};
    return h && ::GetWindowRect(h, &rc);
}

std::wstring ClassOf(HWND h) {
    wchar_t name[256] = L"";
    ::GetClassNameW(h, name, 256);
    return name;
}

// The classes of the window and, for an embedded web view, of its parents.
std::vector<std::wstring> ClassChain(HWND h) {
    std::vector<std::wstring> chain;
    if (!h) return chain;
    chain.push_back(ClassOf(h));
    if (chain[0] != rawinput::kWebViewClass) return chain;
    for (HWND p = ::GetParent(h); p; p = ::GetParent(p)) chain.push_back(ClassOf(p));
    return chain;
}

rawinput::State ReadState(const ControllerOps& c) {
    rawinput::State s;
    s.starting = GetFrameHost().IsStarting();
    s.menuPanelOpen = c.HasMenuPanel();
    s.menuPanelSticky = c.MenuPanelSticky();
    WindowRect(c.MenuPanelWindow(), s.menuPanelRect);
    HWND hotspot = c.HotspotWindow();
    s.hotspotVisible = hotspot && ::IsWindowVisible(hotspot);
    WindowRect(hotspot, s.hotspotRect);
    s.hotspotGuessesRequested = c.HotspotGuessesRequested();
    HWND menu = c.TextMenuWindow();
    s.textMenuVisible = menu && ::IsWindowVisible(menu);
    WindowRect(menu, s.textMenuRect);
    s.subMenuOpen = WindowRect(c.TextSubMenuWindow(), s.subMenuRect);
    return s;
}

}  // namespace

bool CMainFrame::PreCreateWindow(fx::CreateParams& cp) {
    cp.exStyle = WS_EX_NOPARENTNOTIFY;
    cp.style = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    cp.cx = 428;
    cp.cy = 365;
    cp.menu = nullptr;
    return true;
}

bool CMainFrame::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_CREATE:
            result = Default(msg, wp, lp) == -1 ? -1 : 0;
            if (result == 0) ::SetWindowTextW(hwnd(), L"PondRel Settings");
            return true;
        case WM_CLOSE:
            // The frame is never destroyed by the user: closing hides it.
            ::ShowWindow(hwnd(), SW_HIDE);
            result = 0;
            return true;
        case WM_ERASEBKGND: {
            result = fx::EraseWithButtonFace(hwnd(), reinterpret_cast<HDC>(wp));
            return true;
        }
        case WM_INPUT:
            OnRawInput(reinterpret_cast<HRAWINPUT>(lp));
            Default(msg, wp, lp);
            result = 0;
            return true;
        case kTrayCallbackMessage:
            result = GetFrameHost().OnTrayNotification(wp, lp);
            return true;
        case WM_COMMAND:
            if (LOWORD(wp) == kOpenSearchCommand) {
                OnOpenSearchPanel();
                result = 0;
                return true;
            }
            if (LOWORD(wp) == kTrayDoubleClickCommand) {
                result = 0;
                return true;
            }
            if (LOWORD(wp) == frame_msg::kAboutCommand) {
                GetFrameHost().OnAppAbout();
                result = 0;
                return true;
            }
            break;
        default:
            break;
    }
    return fx::FrameWindow::OnMessage(msg, wp, lp, result);
}

void CMainFrame::OnOpenSearchPanel() {
    FrameHost& host = GetFrameHost();
    FrameDocument* doc = host.Document();
    ControllerOps* controller = doc ? doc->GetController() : nullptr;
    Settings* view = doc ? doc->GetSettingsView() : nullptr;
    UserSetting* record = view ? view->m_pSearchEcp : nullptr;
    SearchPanelState state;
    state.disabled = host.IsDisabled();
    state.settingsLoaded = host.IsSettingsLoaded();
    state.online = host.IsOnline();
    state.starting = host.IsStarting();
    state.haveController = controller != nullptr;
    state.haveSettingsView = view != nullptr;
    state.searchBound = record != nullptr;
    for (size_t i = 0; record && i < view->m_EcpList.GetCount() && !state.searchInCurrentList; ++i)
        state.searchInCurrentList = view->m_EcpList.GetAt(i) == record;
    if (!ShouldOpenSearchPanel(state)) return;
    controller->LaunchEcp(RECT{0, 0, 20, 20}, record, L"", host.VersionTitle(), 1);
}

void CMainFrame::OnRawInput(HRAWINPUT handle) {
    // Nothing is examined while the program starts.
    if (GetFrameHost().IsStarting()) return;
    // Read the record; a failed or short read is not examined.
    RAWINPUT input;
    if (ReadRawInputRecord(handle, input)) HandleRawInput(input);
}

bool CMainFrame::ReadRawInputRecord(HRAWINPUT handle, RAWINPUT& out, RawInputReader readData) {
    UINT size = 0;
    if (readData(handle, RID_INPUT, nullptr, &size, kHeaderSize) != 0 || size < kHeaderSize) return false;
    std::vector<BYTE> buffer;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    UINT announced = size;
    UINT read = readData(handle, RID_INPUT, buffer.data(), &size, kHeaderSize);
    if (read != announced) {
        if (read != static_cast<UINT>(-1)) ::OutputDebugStringW(L"GetRawInputData doesn't return correct size !\n");
        return false;
    }
    std::memset(&out, 0, sizeof(out));
    std::memcpy(&out, buffer.data(), read < sizeof(out) ? read : sizeof(out));
    UINT need = kHeaderSize + (out.header.dwType == RIM_TYPEMOUSE      ? sizeof(RAWMOUSE)
                               : out.header.dwType == RIM_TYPEKEYBOARD ? sizeof(RAWKEYBOARD)
                                                                       : 0);
    return read >= need;
}

void CMainFrame::HandleRawInput(const RAWINPUT& input) {
    FrameDocument* doc = GetFrameHost().Document();
    ControllerOps* c = doc ? doc->GetController() : nullptr;
    if (!c) return;

    // /4. The event, the cursor and the windows under it.
    rawinput::Event e;
    rawinput::Pointer p;
    HWND under = nullptr;
    bool moved = false;
    if (input.header.dwType == RIM_TYPEKEYBOARD) {
        e.type = rawinput::InputType::Keyboard;
        e.virtualKey = input.data.keyboard.VKey;
    } else if (input.header.dwType == RIM_TYPEMOUSE) {
        e.type = rawinput::InputType::Mouse;
        e.buttonFlags = input.data.mouse.usButtonFlags;
        e.lastX = input.data.mouse.lLastX;
        e.lastY = input.data.mouse.lLastY;
        e.absolute = (input.data.mouse.usFlags & MOUSE_MOVE_ABSOLUTE) != 0;
        moved = rawinput::IsMotion(e, m_AbsoluteTrack);
        ::GetCursorPos(&p.cursor);
        under = ::WindowFromPoint(p.cursor);
        p.classChain = ClassChain(under);
    } else {
        return;
    }
    rawinput::State s = ReadState(*c);
    bool pressed = (e.buttonFlags & rawinput::kButtonDownFlags) != 0;

    // /6. Decide, answering the controller queries as they come, and carry
    // out each action once, in order.
    rawinput::Answers answers;
    size_t done = 0;
    for (;;) {
        std::vector<rawinput::Action> actions = rawinput::Decide(e, moved, p, s, answers);
        bool asked = false;
        for (; done < actions.size() && !asked; ++done) {
            using rawinput::Action;
            switch (actions[done]) {
                case Action::AdvanceHotspotFade: c->AdvanceHotspotFade(); break;
                case Action::HideHotspot: c->HideHotspot(); break;
                case Action::HideMenus: c->HideMenus(true); break;
                case Action::HideMenusKeepSearch: c->HideMenus(false); break;
                case Action::CloseMenuEcp: c->CloseMenuEcp(); break;
                case Action::PostWheelToMenuPanel:
                    ::PostMessageW(c->MenuPanelWindow(), kPanelWheelMessage, 0, 0);
                    break;
                case Action::FocusWindowUnderCursor:
                    ::SetForegroundWindow(under);
                    ::SetFocus(under);
                    break;
                case Action::Rescan: c->Rescan(false); break;
                case Action::RescanWithTick: c->Rescan(true); break;
                case Action::AskPointOverPopup:
                    answers.overPopup = c->IsPointOverPopup(p.cursor, pressed);
                    answers.askedOverPopup = true;
                    answers.buttonDownSeen = c->ButtonDownSeen();
                    answers.downOverPopup = c->DownOverPopup();
                    asked = true;
                    break;
                case Action::PollOnce:
                    answers.polls.push_back(c->PollOnce());
                    asked = true;
                    break;
            }
        }
        if (!asked) break;
    }
}
