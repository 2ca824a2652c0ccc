#include "RecordFile.h"

#include <cstring>

namespace acrotest {

std::wstring TempFileName() {
    wchar_t dir[MAX_PATH];
    wchar_t name[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"acr", 0, name);
    ::DeleteFileW(name);
    return name;
}

static bool Load(const std::wstring& file, AcrobatRecord& out) {
    fx::UniqueHandle h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD got = 0;
    return ::ReadFile(h.get(), &out, sizeof out, &got, nullptr) && got == sizeof out;
}

int ReadRecord(AcrobatRecord& out) {
    std::memset(&out, 0, sizeof out);
    std::wstring file = TempFileName();
    int code = testsupport::Run(ACRO_RECORD_READER_EXE, {file}, 20000);
    if (code == 0 && !Load(file, out)) code = 99;
    ::DeleteFileW(file.c_str());
    return code;
}

bool HeldRecord::Start(DWORD holdMs, DWORD timeoutMs) {
    file_ = TempFileName();
    if (!child_.Start(ACRO_RECORD_READER_EXE, {file_, std::to_wstring(holdMs)})) return false;
    return testsupport::WaitFor([&] { return ::GetFileAttributesW(file_.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                timeoutMs);
}

HeldRecord::~HeldRecord() {
    child_.Kill();
    if (!file_.empty()) ::DeleteFileW(file_.c_str());
}

std::wstring Text(const wchar_t (&slot)[AcrobatRecordLayout::kTextUnits]) { return ReadRecordText(slot); }

bool Equal(const AcroRect& a, const AcroRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace acrotest
