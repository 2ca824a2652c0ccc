#include "app/core/graphics/AppImages.h"

#include "app/core/graphics/GraphicsRules.h"

namespace {

ArgbBitmap ProductIcon(const std::wstring& installDir) {
    return LoadImageFile(installDir + L"Images\\pondrel.png", 0, 0);
}

bool IsPlainName(const std::wstring& name) {
    if (name.empty() || name.find(L"..") != std::wstring::npos) return false;
    for (wchar_t c : name) {
        bool ok = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'.' ||
                  c == L'_' || c == L'-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

ArgbBitmap FindEcpBannerImage(const std::wstring& installDir, const std::wstring& name) {
    if (IsPlainName(name)) {
        for (const wchar_t* ext : {L".png", L".bmp", L".ico", L".gif", L".jpg"}) {
            ArgbBitmap b = LoadImageFile(installDir + L"Images\\EcpBanners\\" + name + ext, 150, 50);
            if (b) return b;
        }
    }
    return ProductIcon(installDir);
}

ArgbBitmap LoadAppImage(const std::wstring& installDir, const std::wstring& url, const std::wstring& fileName) {
    ArgbBitmap b;
    if (!fileName.empty()) b = LoadImageCached(url, 16, 16, true, installDir + L"Images\\" + fileName);
    return b ? std::move(b) : ProductIcon(installDir);
}

ArgbBitmap LoadEcpIcon(const std::wstring& installDir, const std::wstring& iconUrl, const std::wstring& version,
                       const std::wstring& ecpInstallDir) {
    const std::wstring name = CacheFileNameFromUrl(iconUrl, version, L"EcpIcons\\");
    ArgbBitmap b;
    if (!name.empty()) b = LoadImageCached(iconUrl, 16, 16, true, ecpInstallDir + L"Images\\" + name);
    return b ? std::move(b) : ProductIcon(installDir);
}

ArgbBitmap LoadCachedIcon(const std::wstring& installDir, const std::wstring& cacheDir, const std::wstring& url) {
    const std::wstring name = CacheFileNameFromUrl(url, L"", L"");
    ArgbBitmap b;
    if (!name.empty() && !cacheDir.empty()) b = LoadImageCached(url, 16, 16, true, cacheDir + name);
    return b ? std::move(b) : ProductIcon(installDir);
}
