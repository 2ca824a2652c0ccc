// A reader of the Acrobat record, as an outside reader would follow the
// record's rule: open the mutex and the block, take the mutex (at most
// 1000 ms), copy the 18520 bytes, release.
//
//   AcroRecordReader.exe OUTFILE [HOLD_MS]
// Writes the copied block to OUTFILE.  With HOLD_MS the mutex stays held for
// that long after OUTFILE is written (OUTFILE appearing means "held now").
// Exit codes: 0 copied, 2 usage, 3 no record, 4 mutex not obtained, 5 write failed.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "SharedData.h"

using namespace AcrobatRecordLayout;

// An outside reader's own bound, longer than the plug-in's.
constexpr DWORD kReaderWaitMs = 1000;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const DWORD holdMs = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 0;
    fx::UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName));
    fx::UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, kMappingName));
    if (!mutex || !mapping) return 3;
    fx::MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, kSize));
    if (!view) return 3;
    fx::MutexLock lock(mutex.get(), kReaderWaitMs);
    if (!lock.acquired()) return 4;
    AcrobatRecord copy;
    std::memcpy(&copy, view.get(), sizeof copy);
    // Written to a side name and renamed, so OUTFILE appears complete.
    std::wstring part = std::wstring(argv[1]) + L".part";
    {
        fx::UniqueHandle file(
            ::CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), &copy, sizeof copy, &written, nullptr) || written != sizeof copy)
            return 5;
    }
    if (!::MoveFileExW(part.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING)) return 5;
    if (holdMs) ::Sleep(holdMs);
    return 0;
}
