// The settings view's role as holder of the content-panel records: the records
// of the current settings document and the bindings of the well-known panels.
// Belongs to the user-interface thread.
#pragma once

#include <string>

#include <vector>

#include "app/core/config/SettingsRules.h"
#include "app/core/config/UserSetting.h"
#include "fx/DocTemplate.h"
#include "fx/GdiPlus.h"


// A walk over the records.  A fresh position starts at the head; once the walk
// has passed the last record it stays at the end.
struct EcpPosition {
    size_t next = 0;
};

// A drawable element of the settings pane: it draws itself and may own a
// check-box window.
class WndElement {
public:
    virtual ~WndElement() = default;
    virtual void Draw(Gdiplus::Graphics& g) = 0;
    virtual HWND CheckBoxWindow() const = 0;
};

// The pane's elements, in drawing order; the list does not own them.
class WndList {
public:
    void AddTail(WndElement* e) { items_.push_back(e); }
    void RemoveAll() { items_.clear(); }
    size_t GetCount() const { return items_.size(); }
    WndElement* GetAt(size_t i) const { return items_[i]; }
    ~WndList() { RemoveAll(); }

private:
    std::vector<WndElement*> items_;
};

// The settings view: a pane that paints its element list and, above all, the
// holder of the records.  The document keeps one ECPSettings object; it gets a
// window only when a host creates one.
class Settings : public fx::View {
public:
    Settings() = default;
    ~Settings() override;
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Deletes every record and clears every binding with them.
    void DeleteAllRecords();
    // Appends a record and binds it when it is a well-known panel.
    // searchEcp: the user setting search_ecp; defaultEcp: the user setting
    // default_ecp, set to the settings panel's identifier when empty.
    UserSetting* AddRecord(std::unique_ptr<UserSetting> record, const std::wstring& searchEcp,
                           std::wstring& defaultEcp);

    // First record whose identifier equals id exactly (case-sensitive).
    UserSetting* FindEcp(const std::wstring& id) const;
    // The next record from pos with a positive open count, or null at the end.
    UserSetting* NextUsedEcp(EcpPosition& pos) const;
    void ResetEcpUsage();
    // Copies each element's check-box state into the active flag of the first
    // record.
    void ReadCheckboxes();

    UserECPList m_EcpList;
    UserSetting* m_pHelpEcp = nullptr;
    UserSetting* m_pFeedbackEcp = nullptr;
    UserSetting* m_pBugEcp = nullptr;
    UserSetting* m_pAboutEcp = nullptr;
    UserSetting* m_pDockToggleEcp = nullptr;
    UserSetting* m_pSettingsEcp = nullptr;
    UserSetting* m_pPromoEcp = nullptr;
    UserSetting* m_pMobileEcp = nullptr;
    UserSetting* m_pSearchEcp = nullptr;
    UserSetting* m_pMiniBrowserEcp = nullptr;
    bool m_ReadKey = true;  // the user key has not been read yet
    WndList m_WndList;
    HBRUSH m_hStaticBrush = nullptr;  // for static child controls (none is set)

protected:
    void OnDraw(HDC dc) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ClearBindings();
    void Bind(UserSetting& record, const std::wstring& searchEcp, std::wstring& defaultEcp);
};

// The document's settings view: a white pane.
class ECPSettings : public Settings {
protected:
    void OnDraw(HDC dc) override;
};
