// One content panel ("ECP") as the settings tree defines it, and the list that
// owns the panels of the current settings document.  Panels, menus and thread
// entries that keep a record beyond one call keep a copy (CopyFrom).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The fields a copy of a record carries, in record order (the usage
// counters and the last run-time value are the record's own, below).  A copy
// takes this whole part at once, so a field added here is copied too.
struct UserSettingFields {
    BOOL m_Active = FALSE;
    std::wstring m_CategoryId;
    std::wstring m_InstallDir;
    std::wstring m_TargetText;
    std::wstring m_Id;
    std::wstring m_IconUrl;
    std::wstring m_Version;
    std::wstring m_Name;
    std::wstring m_Skin;
    std::wstring m_TemplateKey;
    std::wstring m_TemplateBaseUrl;
    std::wstring m_QueryText;
    std::wstring m_Context;
    std::wstring m_CurrentUrl;
    std::wstring m_Parent;
    std::wstring m_Action;
    BYTE m_HasParent = 0;
    BYTE m_Searchable = 0;
    int32_t m_RunValue = 0;
    BYTE m_SingleInstance = 0;
    uint32_t m_Transient = 0;
    int32_t m_CategoryIndex = 0;
    int32_t m_TargetIndex = 0;
    int32_t m_EcpIndex = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    uint32_t m_Placement = 0;  // 1 centre, 128 tray
    std::wstring m_ActionWhitespace = L" ";
    BYTE m_ShowAds = 0;
    BYTE m_ShowSearch = 0;
    BYTE m_Resizable = 0;
    BYTE m_MediaMode = 0;
    BYTE m_Dockable = 0;
    BYTE m_Detachable = 0;
    BYTE m_Shareable = 0;
    BYTE m_InMenu = 0;
    BYTE m_SettingsPanel = 0;
    BYTE m_RunFlag = 0;
    BYTE m_Counted = 0;
    BYTE m_SearchPanel = 0;
    BYTE m_NoSkin = 0;
    int32_t m_RunInt1 = 0;
    int32_t m_RunInt2 = 0;
    int32_t m_RunInt3 = 0;
    int32_t m_RunInt4 = 0;
    std::wstring m_RunText;
    int32_t m_RunInt5 = 0;
};

class UserSetting : public UserSettingFields {
public:
    UserSetting();
    virtual ~UserSetting();
    UserSetting(const UserSetting&) = delete;
    UserSetting& operator=(const UserSetting&) = delete;

    // Copies every field but the usage counters and the last run-time value.
    void CopyFrom(const UserSetting& source);

    // The record's own, never copied.
    int32_t m_OpenCount = 0;
    int32_t m_OpenTime = 0;  // milliseconds
    int32_t m_LastRunValue = 0;
};

// Owns its records, in document order (category, target, entry).
class UserECPList {
public:
    UserECPList() = default;
    UserECPList(const UserECPList&) = delete;
    UserECPList& operator=(const UserECPList&) = delete;

    UserSetting* Add(std::unique_ptr<UserSetting> record);
    void DeleteAll();

    size_t GetCount() const { return records_.size(); }
    bool IsEmpty() const { return records_.empty(); }
    UserSetting* GetAt(size_t index) const { return index < records_.size() ? records_[index].get() : nullptr; }

private:
    std::vector<std::unique_ptr<UserSetting>> records_;
};
