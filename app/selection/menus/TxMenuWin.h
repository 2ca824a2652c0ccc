// TxMenuWin: the skinned pop-up menu and the base of every menu of the
// program.  A layered, top-most, non-activating tool window that lays out a
// vertical list of items (MyMenuItem) and paints them into its back buffer;
// hovering an item highlights it and opens its sub-menu, releasing the left
// button on it closes the menu chain and hands the item to OnItemChosen.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/selection/menus/MenuHost.h"
#include "app/core/common/WindowClasses.h"
#include "app/selection/menus/MenuItems.h"
#include "app/selection/skin/FloatingWin.h"
#include "fx/GdiPlus.h"

class TxMenuWin;
class SubMenu;

class MyMenuItem : public MenuItemData {
public:
    MyMenuItem();
    ~MyMenuItem() override;

    fx::GdiplusPtr<Gdiplus::Image> m_pIcon;
    std::unique_ptr<TxMenuWin> m_pSubMenu;
};

using MenuItemList = BasicMenuItemList<MyMenuItem>;

class TxMenuWin : public FloatingWin {
public:
    static constexpr DWORD kExStyle = 0x08080088;  // no-activate, layered, tool window, top-most
    static constexpr const wchar_t* kClass = window_class::kPondMenu;

    TxMenuWin();
    ~TxMenuWin() override;

    // Creates the menu window (class "PondMenu", name `name`): items built
    // and measured first.
    bool CreateMenu(const wchar_t* name, MenuHost* ownerView = nullptr, MenuObserver* observer = nullptr);

    MyMenuItem* AddItem(const std::wstring& text, const std::wstring& id, int data, int where = -1);
    MyMenuItem* AddSeparator(int where = -1);
    void ClearItems();
    // Deletes the best-guess items; an attached sub-menu (which may belong
    // to one of them) is closed first.
    void RemoveGuessItems();
    void MeasureItems();
    // An item's icon from a URL through the image cache (16 x 16, the
    // cache folder's copy when there is one); the installed
    // "Images\pondrel.png" when that gives none.  Null when neither loads.
    static fx::GdiplusPtr<Gdiplus::Image> LoadItemIcon(const std::wstring& url);

    void Render(int unused, bool full) override;
    virtual void PlaceOnMonitor(const RECT& rect);
    virtual void BuildItems() {}
    virtual void ShowAt(const RECT& rect, MenuHost* ownerView, MenuObserver* observer);
    virtual void OnItemChosen(MyMenuItem* item);
    virtual void RefreshItems() {}

    void HideMenu();
    void CloseSubMenu();
    // Counts the offered best guesses that are searches (usage "1034.0").
    void CountShownGuesses();
    bool IsVisible() const { return hwnd() && ::IsWindowVisible(hwnd()); }

    MenuItemList m_Items;
    TxMenuWin* m_pParentMenu = nullptr;
    TxMenuWin* m_pOpenSubMenu = nullptr;
    int m_HideCountdown = 0;
    bool m_Wide = false;
    MyMenuItem* m_pDebugItem = nullptr;
    MenuHost* m_pOwnerView = nullptr;
    MenuObserver* m_pObserver = nullptr;
    bool m_Tracking = false;
    // Text widths (tests may replace the font measurement).
    std::function<float(const std::wstring&)> m_MeasureText;

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    void PaintItems();
    void PaintFrame(Gdiplus::Graphics& g);
    virtual void OnMouseMove(int x, int y);
    void OnLButtonUp(int x, int y);
    void OpenCompanyMenu(MyMenuItem* item);
    void OpenEcpSubMenu(MyMenuItem* item);
    void OpenPondrelSubMenu(MyMenuItem* item);
    void AttachSubMenu(MyMenuItem* item);
    void AdoptSubMenu(MyMenuItem* item, std::unique_ptr<SubMenu> sub, const wchar_t* name);
    void HideSubMenu(TxMenuWin* sub);

private:
    const wchar_t* name_ = L"";
};

// The base of the sub-menus: placed beside the parent's item, on its left
// when the work area has no room on the right.
class SubMenu : public TxMenuWin {
public:
    void PlaceOnMonitor(const RECT& rect) override;
    int m_CategoryIndex = 0;
    MyMenuItem* m_pOwnerItem = nullptr;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// The panels and searches of one category.
class CompanyMenu : public SubMenu {
public:
    void BuildItems() override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
