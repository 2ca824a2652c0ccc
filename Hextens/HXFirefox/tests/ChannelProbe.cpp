// The extension's side of the layout test, in its own process.  It knows the
// block only as numbers: it checks what the enhancer wrote at each offset,
// waits for the request, writes every extension field at its offset and
// signals the answer.  Exit code 0 when every check held.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

unsigned char* g_block = nullptr;
int g_failures = 0;

int32_t I32(size_t at) {
    int32_t v;
    std::memcpy(&v, g_block + at, 4);
    return v;
}
void PutI32(size_t at, int32_t v) { std::memcpy(g_block + at, &v, 4); }
void PutWide(size_t at, const wchar_t* s) { std::memcpy(g_block + at, s, 2 * (wcslen(s) + 1)); }
void PutRect(size_t at, int32_t l, int32_t t, int32_t r, int32_t b) {
    PutI32(at, l);
    PutI32(at + 4, t);
    PutI32(at + 8, r);
    PutI32(at + 12, b);
}

void Expect(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "probe: %s\n", what);
        ++g_failures;
    }
}

bool WideAt(size_t at, const wchar_t* s) { return std::memcmp(g_block + at, s, 2 * (wcslen(s) + 1)) == 0; }

}  // namespace

int wmain() {
    HANDLE mapping = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"PHXFFMemoryFile");
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"PHXFFLOCKMUTEX");
    HANDLE answer = ::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, L"PHXUPDATEEVENT");
    if (!mapping || !mutex || !answer) {
        std::fprintf(stderr, "probe: cannot open the channel objects\n");
        return 2;
    }
    g_block = static_cast<unsigned char*>(::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!g_block) return 3;
    MEMORY_BASIC_INFORMATION mbi{};
    ::VirtualQuery(g_block, &mbi, sizeof mbi);
    Expect(mbi.RegionSize >= 189494, "mapping smaller than 189494 bytes");

    // What the enhancer wrote before the request.
    ::WaitForSingleObject(mutex, 1000);
    Expect(g_block[0] == 1, "enhancerPresent at 0");
    Expect(g_block[1] == 1, "enhancerInitialised at 1");
    for (size_t i = 14; i < 30; ++i) Expect(g_block[i] == 0, "reservedRect at 14 zeroed");
    Expect(I32(174886) == 2, "siteStringCount at 174886");
    Expect(I32(174890) == 0, "first site string offset at 174890");
    Expect(I32(174898) == 12, "second site string offset at 174898");
    Expect(WideAt(177206, L"alpha"), "first site string in the pool at 177206");
    Expect(WideAt(177206 + 12, L"beta"), "second site string at pool + 12");
    Expect(I32(176938) == 0x1234, "navigateWindow at 176938");
    Expect(std::strcmp(reinterpret_cast<char*>(g_block + 176942), "http://ex.com/caf%C3%A9") == 0,
           "navigateUrl at 176942");
    Expect(I32(177198) == 7, "navigateFlags at 177198");
    ::ReleaseMutex(mutex);

    // The request.
    DWORD start = ::GetTickCount();
    while (g_block[2] != 1 && ::GetTickCount() - start < 10000) ::Sleep(2);
    Expect(g_block[2] == 1, "updateRequested at 2");

    ::WaitForSingleObject(mutex, 1000);
    Expect(I32(6) == 111, "cursorX at 6");
    Expect(I32(10) == 222, "cursorY at 10");
    g_block[3] = 1;
    g_block[4] = 1;
    g_block[5] = 1;
    PutWide(30, L"https://ex.com/page");
    PutWide(542, L"ex.com");
    PutWide(1054, L"A page");
    PutI32(1566, 2);
    PutWide(1570, L"one\ttwo");
    PutI32(17954, 1);
    PutI32(17958, 2);
    PutRect(18082, 1, 2, 3, 4);
    PutRect(18098, 5, 6, 7, 8);
    PutRect(18114, 9, 10, 11, 12);
    PutI32(19682, 1);
    PutWide(19686, L"link");
    PutWide(70886, L"http://ex.com/l");
    PutWide(122086, L"a\nb");
    PutRect(173286, 20, 30, 40, 50);
    std::strcpy(reinterpret_cast<char*>(g_block + 185398), "line one\nline two\n");
    ::ReleaseMutex(mutex);
    ::SetEvent(answer);

    ::UnmapViewOfFile(g_block);
    ::CloseHandle(answer);
    ::CloseHandle(mutex);
    ::CloseHandle(mapping);
    return g_failures == 0 ? 0 : 1;
}
