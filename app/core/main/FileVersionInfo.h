// The version resource of a module (the program's own at start-up).
#pragma once

#include <windows.h>

#include <memory>

class CFileVersionInfo {
public:
    CFileVersionInfo() = default;
    virtual ~CFileVersionInfo() = default;
    CFileVersionInfo(const CFileVersionInfo&) = delete;
    CFileVersionInfo& operator=(const CFileVersionInfo&) = delete;

    // Reads the version resource of `module` (none: the program itself).
    bool Create(HMODULE module = nullptr);
    // Reads the version resource of a file; true when its fixed record and its
    // translation table were found.
    bool CreateFromFile(const wchar_t* path);
    // Clears everything and frees the data block.
    void Reset();

    bool IsValid() const { return valid_; }
    const VS_FIXEDFILEINFO& GetFixedInfo() const { return fixed_; }
    // The product version words ("a.b.c.d": MS = a,b and LS = c,d).
    DWORD GetProductVersionMS() const { return fixed_.dwProductVersionMS; }
    DWORD GetProductVersionLS() const { return fixed_.dwProductVersionLS; }
    DWORD GetFileVersionMS() const { return fixed_.dwFileVersionMS; }
    DWORD GetFileVersionLS() const { return fixed_.dwFileVersionLS; }
    // Language and code page pairs of the translation table.
    UINT GetTranslationCount() const { return translationCount_; }
    const DWORD* GetTranslations() const { return translations_; }

private:
    VS_FIXEDFILEINFO fixed_{};
    std::unique_ptr<BYTE[]> data_;
    const DWORD* translations_ = nullptr;
    bool valid_ = false;
    UINT translationCount_ = 0;
};
