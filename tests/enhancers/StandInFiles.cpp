#include "StandIns.h"

#include "TextSupport.h"
#include "fx/Handle.h"

namespace standin {
namespace {

using testsupport::Env;
using testsupport::ReadWholeFile;
using testsupport::Utf8;
using testsupport::Wide;

std::vector<std::wstring> Lines(const std::string& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(Wide(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\': out += L"\\\\"; break;
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'\t': out += L"\\t"; break;
            default: out += c;
        }
    }
    return out;
}

void Record(const wchar_t* logVar, const std::wstring& object, const std::wstring& line) {
    const std::wstring path = Env(logVar);
    if (path.empty()) return;
    fx::UniqueHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!file) return;
    const std::string bytes = Utf8(object + L" " + line + L"\n");
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::wstring> ReadScript(const wchar_t* scriptVar) {
    const std::wstring path = Env(scriptVar);
    std::string text;
    if (path.empty() || !ReadWholeFile(path, text)) return {};
    std::vector<std::wstring> lines;
    for (const std::wstring& line : Lines(text))
        if (!line.empty() && line[0] != L'#') lines.push_back(line);
    return lines;
}

std::vector<std::wstring> ReadRecords(const std::wstring& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return {};
    return Lines(text);
}

bool WriteScript(const std::wstring& path, const std::wstring& text) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return false;
    const std::string bytes = Utf8(text);
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool SplitKey(const std::wstring& line, std::wstring& key, std::wstring& rest) {
    size_t space = line.find(L' ');
    key = line.substr(0, space);
    rest = space == std::wstring::npos ? std::wstring() : line.substr(space + 1);
    return !key.empty();
}

}  // namespace standin
