// The settings view's role as holder of the content-panel records: the records
// of the current settings document and the bindings of the well-known panels.
// Belongs to the user-interface thread.
#pragma once

#include <string>

#include "core/UserSetting.h"

// Identifiers of the well-known panels.
namespace well_known {
extern const wchar_t* const kHelp;
extern const wchar_t* const kFeedback;
extern const wchar_t* const kBug;  // not a GUID: holds "MLA0"
extern const wchar_t* const kAbout;
extern const wchar_t* const kDockToggle;
extern const wchar_t* const kSettings;
extern const wchar_t* const kMobile;
extern const wchar_t* const kPromo;
extern const wchar_t* const kMiniBrowser;
extern const wchar_t* const kSingleInstanceOnly;  // no binding, single instance
}  // namespace well_known

// A walk over the records.  A fresh position starts at the head; once the walk
// has passed the last record it stays at the end.
struct EcpPosition {
    size_t next = 0;
};

class Settings {
public:
    Settings() = default;
    virtual ~Settings();
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

private:
    void ClearBindings();
    void Bind(UserSetting& record, const std::wstring& searchEcp, std::wstring& defaultEcp);
};
