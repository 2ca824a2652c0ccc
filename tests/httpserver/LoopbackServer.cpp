#include "tests/httpserver/LoopbackServer.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "fx/Handle.h"
#include "tests/support/TestSupport.h"

namespace loopback {

namespace {

int EnvInt(const wchar_t* name) {
    std::wstring v = testsupport::Env(name);
    return v.empty() ? 0 : _wtoi(v.c_str());
}

std::wstring LogDir() {
    std::wstring dir = testsupport::Env(L"PONDREL_HTTP_LOG");
    if (dir.empty()) return dir;
    return testsupport::WinPath(std::string(dir.begin(), dir.end()));
}

using testsupport::ReadWholeFile;

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ::tolower(static_cast<unsigned char>(x)) == ::tolower(static_cast<unsigned char>(y));
           });
}

// Recorded names ("000001") in order.
std::vector<std::wstring> RecordNames() {
    std::vector<std::wstring> names;
    std::wstring dir = LogDir();
    if (dir.empty()) return names;
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((dir + L"\\*.head").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring n = fd.cFileName;
        names.push_back(n.substr(0, n.size() - 5));
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

Request Parse(const std::string& head, std::string body) {
    Request r;
    size_t pos = 0;
    bool first = true;
    while (pos < head.size()) {
        size_t end = head.find("\r\n", pos);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(pos, end - pos);
        pos = end + 2;
        if (first) {
            first = false;
            size_t a = line.find(' ');
            size_t b = line.rfind(' ');
            r.method = line.substr(0, a);
            if (a != std::string::npos && b > a) {
                r.target = line.substr(a + 1, b - a - 1);
                r.version = line.substr(b + 1);
            }
            continue;
        }
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        r.headers.emplace_back(line.substr(0, colon), value);
    }
    r.body = std::move(body);
    return r;
}

}  // namespace

int Port() { return EnvInt(L"PONDREL_HTTP_PORT"); }
int DeadPort() { return EnvInt(L"PONDREL_HTTP_DEAD_PORT"); }

std::wstring Url(const std::wstring& path) {
    return L"http://127.0.0.1:" + std::to_wstring(Port()) + path;
}

std::wstring DeadUrl(const std::wstring& path) {
    return L"http://127.0.0.1:" + std::to_wstring(DeadPort()) + path;
}

std::string PatternBytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 13 + (i >> 8)) & 0xFF);
    return s;
}

std::string Request::Header(const std::string& name) const {
    for (const auto& h : headers)
        if (EqualNoCase(h.first, name)) return h.second;
    return std::string();
}

bool Request::HasHeader(const std::string& name) const {
    for (const auto& h : headers)
        if (EqualNoCase(h.first, name)) return true;
    return false;
}

std::vector<Request> Requests() {
    std::vector<Request> out;
    std::wstring dir = LogDir();
    for (const auto& name : RecordNames()) {
        std::string head, body;
        if (!ReadWholeFile(dir + L"\\" + name + L".head", head)) continue;
        ReadWholeFile(dir + L"\\" + name + L".body", body);
        out.push_back(Parse(head, std::move(body)));
    }
    return out;
}

void Clear() {
    std::wstring dir = LogDir();
    for (const auto& name : RecordNames()) {
        ::DeleteFileW((dir + L"\\" + name + L".head").c_str());
        ::DeleteFileW((dir + L"\\" + name + L".body").c_str());
    }
}

}  // namespace loopback
