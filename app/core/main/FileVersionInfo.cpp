#include "app/core/main/FileVersionInfo.h"

#include <vector>

bool CFileVersionInfo::Create(HMODULE module) {
    valid_ = false;
    fixed_ = VS_FIXEDFILEINFO{};
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
    if (!size) return false;
    std::vector<unsigned char> data(size);
    if (!::GetFileVersionInfoW(path, 0, size, data.data())) return false;
    void* block = nullptr;
    UINT len = 0;
    if (!::VerQueryValueW(data.data(), L"\\", &block, &len) || len < sizeof(VS_FIXEDFILEINFO)) return false;
    fixed_ = *static_cast<VS_FIXEDFILEINFO*>(block);
    valid_ = true;
    return true;
}
