// The version resource of a module (the program's own at start-up).
#pragma once

#include <windows.h>

class CFileVersionInfo {
public:
    // Reads the fixed version record of `module` (none: the program).
    bool Create(HMODULE module = nullptr);
    bool IsValid() const { return valid_; }
    // The product version words ("a.b.c.d": MS = a,b and LS = c,d).
    DWORD GetProductVersionMS() const { return fixed_.dwProductVersionMS; }
    DWORD GetProductVersionLS() const { return fixed_.dwProductVersionLS; }

private:
    VS_FIXEDFILEINFO fixed_{};
    bool valid_ = false;
};
