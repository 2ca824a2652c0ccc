#include "app/tests/support/CoreTestFiles.h"

#include <atomic>

#include "TestSupport.h"
#include "fx/Handle.h"
#include "log/Logger.h"

namespace coretest {

std::wstring ScratchDir() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"pondrel-core-" + std::to_wstring(::GetCurrentProcessId()) +
                       L"-" + std::to_wstring(++counter) + L"\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring WriteFile(const std::wstring& dir, const std::wstring& name, const std::string& utf8) {
    std::wstring path = dir + name;
    fx::UniqueHandle h(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h) {
        DWORD written = 0;
        ::WriteFile(h.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
    return path;
}

std::string ReadFile(const std::wstring& path) {
    std::string out;
    testsupport::ReadWholeFile(path, out);
    return out;
}

std::wstring SourceDir() {
    std::wstring dir = testsupport::WinPath(std::string(PONDREL_TEST_SOURCE_DIR));
    if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
    return dir;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string SampleSettings(const std::string& server) {
    return ReplaceAll(ReadFile(SourceDir() + L"demo\\settings.xml"), "{server}", server);
}

CapturedLog::CapturedLog() {
    viewer_.Create();
    delete g_pLogger;
    g_pLogger = Logger::Open();
}

CapturedLog::~CapturedLog() {
    delete g_pLogger;
    g_pLogger = nullptr;
}

std::vector<std::wstring> CapturedLog::Lines() {
    std::vector<std::wstring> out;
    for (auto& line : viewer_.ReadNew()) {
        const std::wstring prefix = L"(Pondrel) ";
        size_t tab = line.find(L"\t ");
        if (line.compare(0, prefix.size(), prefix) == 0 && tab != std::wstring::npos)
            out.push_back(line.substr(tab + 2));
        else
            out.push_back(line);
    }
    return out;
}

bool CapturedLog::Contains(const std::wstring& fragment) {
    for (auto& line : Lines())
        if (line.find(fragment) != std::wstring::npos) return true;
    return false;
}

}  // namespace coretest
