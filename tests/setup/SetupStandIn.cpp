// Plays the product's setup program for tests and for tools/run:
//   PondrelSetup.exe [arguments...]
// Appends its whole command line as one UTF-8 line to the file named by the
// environment variable PONDREL_SETUP_RECORD (when set) and ends with exit
// code 0.  It installs nothing.
#include <windows.h>

#include <string>

#include "TextSupport.h"

namespace {

using testsupport::Env;

void Record(const std::wstring& line) {
    const std::wstring path = Env(L"PONDREL_SETUP_RECORD");
    if (!path.empty()) testsupport::AppendLine(path, line);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Record(::GetCommandLineW());
    return 0;
}
