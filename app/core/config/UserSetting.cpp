#include "app/core/config/UserSetting.h"

UserSetting::UserSetting() : m_ActionWhitespace(L" ") {}

UserSetting::~UserSetting() = default;

void UserSetting::CopyFrom(const UserSetting& s) {
    if (&s == this) return;
    m_Active = s.m_Active;
    m_CategoryId = s.m_CategoryId;
    m_InstallDir = s.m_InstallDir;
    m_TargetText = s.m_TargetText;
    m_Id = s.m_Id;
    m_IconUrl = s.m_IconUrl;
    m_Version = s.m_Version;
    m_Name = s.m_Name;
    m_Skin = s.m_Skin;
    m_TemplateKey = s.m_TemplateKey;
    m_TemplateBaseUrl = s.m_TemplateBaseUrl;
    m_QueryText = s.m_QueryText;
    m_Context = s.m_Context;
    m_CurrentUrl = s.m_CurrentUrl;
    m_Parent = s.m_Parent;
    m_Action = s.m_Action;
    m_HasParent = s.m_HasParent;
    m_Searchable = s.m_Searchable;
    m_RunValue = s.m_RunValue;
    m_SingleInstance = s.m_SingleInstance;
    // m_OpenCount and m_OpenTime stay the copy's own.
    m_Transient = s.m_Transient;
    m_CategoryIndex = s.m_CategoryIndex;
    m_TargetIndex = s.m_TargetIndex;
    m_EcpIndex = s.m_EcpIndex;
    m_Width = s.m_Width;
    m_Height = s.m_Height;
    m_Placement = s.m_Placement;
    m_ActionWhitespace = s.m_ActionWhitespace;
    m_ShowAds = s.m_ShowAds;
    m_ShowSearch = s.m_ShowSearch;
    m_Resizable = s.m_Resizable;
    m_MediaMode = s.m_MediaMode;
    m_Dockable = s.m_Dockable;
    m_Detachable = s.m_Detachable;
    m_Shareable = s.m_Shareable;
    m_InMenu = s.m_InMenu;
    m_SettingsPanel = s.m_SettingsPanel;
    m_RunFlag = s.m_RunFlag;
    m_Counted = s.m_Counted;
    m_SearchPanel = s.m_SearchPanel;
    m_NoSkin = s.m_NoSkin;
    m_RunInt1 = s.m_RunInt1;
    m_RunInt2 = s.m_RunInt2;
    m_RunInt3 = s.m_RunInt3;
    m_RunInt4 = s.m_RunInt4;
    m_RunText = s.m_RunText;
    m_RunInt5 = s.m_RunInt5;
    // m_LastRunValue stays the copy's own.
}

UserSetting* UserECPList::Add(std::unique_ptr<UserSetting> record) {
    records_.push_back(std::move(record));
    return records_.back().get();
}

void UserECPList::DeleteAll() { records_.clear(); }
