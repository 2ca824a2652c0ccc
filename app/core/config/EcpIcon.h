// A panel record's icon: the graphics' LoadEcpIcon with the record's icon
// URL, version and install directory.
#pragma once

#include <string>

#include "app/core/config/UserSetting.h"
#include "app/core/graphics/AppImages.h"

inline ArgbBitmap LoadEcpIcon(const std::wstring& installDir, const UserSetting& record) {
    return LoadEcpIcon(installDir, record.m_IconUrl, record.m_Version, record.m_InstallDir);
}
