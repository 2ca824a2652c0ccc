#include "app/core/main/FileVersionInfo.h"

#include <cstring>
#include <new>

void CFileVersionInfo::Reset() {
    fixed_ = VS_FIXEDFILEINFO{};
    data_.reset();
    translations_ = nullptr;
    valid_ = false;
    translationCount_ = 0;
}

bool CFileVersionInfo::Create(HMODULE module) {
    // The module's file name, however long.
    std::unique_ptr<wchar_t[]> path;
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        path.reset(new wchar_t[size]);
        DWORD n = ::GetModuleFileNameW(module, path.get(), size);
        if (n == 0) {
            Reset();
            return false;
        }
        if (n < size) return CreateFromFile(path.get());
    }
    Reset();
    return false;
}

bool CFileVersionInfo::CreateFromFile(const wchar_t* path) {
    if (!path) return false;
    Reset();
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) return false;
    data_.reset(new (std::nothrow) BYTE[size]);
    if (!data_ || !::GetFileVersionInfoW(path, 0, size, data_.get())) {
        Reset();
        return false;
    }
    void* block = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data_.get(), L"\\", &block, &length) || !block || length < sizeof(VS_FIXEDFILEINFO)) {
        Reset();
        return false;
    }
    std::memcpy(&fixed_, block, sizeof fixed_);
    valid_ = fixed_.dwSignature == 0xFEEF04BD;
    if (valid_) {
        void* table = nullptr;
        UINT tableLength = 0;
        if (::VerQueryValueW(data_.get(), L"\\VarFileInfo\\Translation", &table, &tableLength) && table) {
            translations_ = static_cast<const DWORD*>(table);
            translationCount_ = tableLength / 4;
        } else {
            valid_ = false;
        }
    }
    if (!valid_) Reset();
    return valid_;
}
