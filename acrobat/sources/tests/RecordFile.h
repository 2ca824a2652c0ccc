// Test access to the Acrobat record through the reader process.
#pragma once

#include <windows.h>

#include <string>

#include "SharedData.h"
#include "TestSupport.h"

namespace acrotest {

// A fresh temporary file name (the file does not exist).
std::wstring TempFileName();

// Runs the reader once; its exit code (0: `out` holds the block).
int ReadRecord(AcrobatRecord& out);

// A reader that holds the record's mutex for holdMs.
class HeldRecord {
public:
    // True once the reader holds the mutex (at most timeoutMs).
    bool Start(DWORD holdMs, DWORD timeoutMs = 10000);
    bool Wait(DWORD timeoutMs) { return child_.Wait(timeoutMs); }
    testsupport::Child& child() { return child_; }
    ~HeldRecord();

private:
    testsupport::Child child_;
    std::wstring file_;
};

std::wstring Text(const wchar_t (&slot)[AcrobatRecordLayout::kTextUnits]);
bool Equal(const AcroRect& a, const AcroRect& b);

}  // namespace acrotest
