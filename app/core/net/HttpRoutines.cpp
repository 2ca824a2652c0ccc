#include "app/core/net/HttpRoutines.h"

#include <windows.h>
#include <wininet.h>
#include <iphlpapi.h>
#include <gdiplus.h>

#include <atomic>
#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

#include "fx/Handle.h"
#include "fx/InternetHandle.h"
#include "app/core/common/Resource.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/net/RequestDeadlines.h"
#include "log/PondrelLog.h"

namespace {

constexpr DWORD kConnectTimeoutMs = 2000;
constexpr DWORD kReadChunk = 4096;
constexpr DWORD_PTR kContext = 1;
constexpr DWORD kGetFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY;
constexpr DWORD kPostFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
static_assert(kGetFlags == 0x80000002, "GET flags");
static_assert(kPostFlags == 0x84000000, "POST flags");
#ifndef _WIN64
static_assert(sizeof(URL_COMPONENTSW) == 60, "URL_COMPONENTSW as WinINet expects it");
#endif

constexpr const wchar_t* kAppTitle = L"PondRel";  // the title string's text
constexpr const wchar_t* kPostAgent = L"Pondrel";
constexpr size_t kMaxLogChars = 254;

std::atomic<HttpHost*> g_host{nullptr};
std::atomic<DWORD> g_ioTimeoutMs{kDefaultIoTimeoutMs};

// ---------------------------------------------------------------- logging

std::wstring ErrorText(DWORD error) {
    wchar_t buf[512];
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               ::GetModuleHandleW(L"wininet.dll"), error, 0, buf, 512, nullptr);
    while (n > 0 && (buf[n - 1] == L'\r' || buf[n - 1] == L'\n' || buf[n - 1] == L' ' || buf[n - 1] == L'.'))
        --n;
    std::wstring text(buf, n);
    if (text.empty()) text = L"error";
    return text + L" (" + std::to_wstring(error) + L")";
}

// One line: "<routine> failed: <reason>: <url>", cut to kMaxLogChars.
void LogFailure(const wchar_t* routine, const std::wstring& reason, const std::wstring& url) {
    std::wstring line = std::wstring(routine) + L" failed: " + reason + L": " + url;
    if (line.size() > kMaxLogChars) line.resize(kMaxLogChars);
    LogLine(line.c_str());
}

// ---------------------------------------------------------------- tray look

// Shows the connecting look for the time a request opens; the normal look
// comes back once, at Restore() or at the end of the scope.
class ConnectingLook {
public:
    ConnectingLook() : host_(GetHttpHost()) {
        if (host_) host_->ShowConnectingState();
    }
    ~ConnectingLook() { Restore(); }
    ConnectingLook(const ConnectingLook&) = delete;
    ConnectingLook& operator=(const ConnectingLook&) = delete;

    void Restore() {
        if (host_) host_->UpdateTrayIcon();
        host_ = nullptr;
    }

private:
    HttpHost* host_;
};

// ---------------------------------------------------------------- GET

// The application's title (string IDS_APP_TITLE), the GETs' user agent.
std::wstring AppTitle() {
    wchar_t buf[256];
    int n = ::LoadStringW(::GetModuleHandleW(nullptr), IDS_APP_TITLE, buf, 256);
    return n > 0 ? std::wstring(buf, n) : std::wstring(kAppTitle);
}

// The send and receive time-outs on a handle (a session hands them to its
// connections and those to their requests; each is set on all three, since
// not every WinINet passes them down).
void SetIoTimeouts(HINTERNET handle, DWORD timeout) {
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(handle, option, &timeout, sizeof timeout);
}

fx::InternetHandle OpenSession(const std::wstring& agent, DWORD ioTimeoutMs) {
    fx::InternetHandle session(::InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session) {
        DWORD timeout = kConnectTimeoutMs;
        ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
        SetIoTimeouts(session.get(), ioTimeoutMs);
    }
    return session;
}

// A request's handles, closed request first, then connection, then session,
// and what may end it from another thread: a cancel token (given by the
// caller, or the request's own when the host gives the calling thread a
// deadline, which the deadline thread then watches).  While the request
// runs its request handle belongs to the token; a handle the token closed is
// let go here instead of closed again (with the connection and session too
// when that close has not come back, as they would be closed under it).
struct RequestHandles {
    std::shared_ptr<RequestCancel> cancel;  // first: it outlives the handles
    DWORD deadlineMs = 0;
    fx::InternetHandle session;
    fx::InternetHandle connection;
    fx::InternetHandle request;
    bool attached = false;

    RequestHandles() = default;
    RequestHandles(const RequestHandles&) = delete;
    RequestHandles& operator=(const RequestHandles&) = delete;
    ~RequestHandles() {
        if (!attached) return;
        switch (cancel->Detach(request.get())) {
        case RequestCancel::Detached::Owned: break;
        case RequestCancel::Detached::StillClosing:
            static_cast<void>(connection.release());
            static_cast<void>(session.release());
            static_cast<void>(request.release());
            break;
        case RequestCancel::Detached::Closed: static_cast<void>(request.release()); break;
        }
    }

    // Before the request: the token and the deadline.
    void Prepare(std::shared_ptr<RequestCancel> given) {
        HttpHost* host = GetHttpHost();
        deadlineMs = host ? host->RequestDeadlineMs() : 0;
        cancel = std::move(given);
        if (deadlineMs && !cancel) cancel = std::make_shared<RequestCancel>();
        if (deadlineMs) request_deadlines::Watch(cancel, deadlineMs);
    }
    // Hands the request handle to the token for the request's time; false
    // when the request was cancelled already.
    bool Attach() {
        if (!cancel) return true;
        attached = cancel->Attach(request.get());
        return attached;
    }
    // Once cancelled the request handle is not used again.
    bool Cancelled() const { return cancel && cancel->IsCancelled(); }
    // Why a call failed: the cancel, when there was one, else the error.
    std::wstring Reason(DWORD error) const {
        switch (cancel ? cancel->reason() : RequestCancel::Reason::None) {
        case RequestCancel::Reason::DeadlinePassed:
            return L"no whole answer within the deadline of " + std::to_wstring(deadlineMs) + L" ms";
        case RequestCancel::Reason::Cancelled: return L"cancelled";
        case RequestCancel::Reason::None: break;
        }
        return ErrorText(error);
    }
};

// One read of at most kReadChunk bytes that comes back as soon as some of the
// answer is there (it asks what is there first; a plain read waits until its
// whole buffer is full), so that a cancel is seen between the pieces of an
// answer that drips in.  False when the read failed or the request was
// cancelled.
bool ReadPiece(const RequestHandles& h, char* buf, DWORD* got) {
    *got = 0;
    DWORD available = 0;
    if (h.Cancelled() || !::InternetQueryDataAvailable(h.request.get(), &available, 0, 0)) return false;
    const DWORD want = available == 0 || available > kReadChunk ? kReadChunk : available;
    return !h.Cancelled() && ::InternetReadFile(h.request.get(), buf, want, got) != FALSE;
}

// A GET whose answer passed the checks: its handles, and the Content-Length
// it announced (if any).
struct OpenedGet : RequestHandles {
    bool lengthKnown = false;
    unsigned long long length = 0;
};

// Opens url and checks the answer's status; logs and returns false on failure.
// The request is opened on its own connection so that its time-outs hold
// before anything is sent.  Of the options, the time-out, the status taken
// and the cancel token count here.
bool OpenGet(const wchar_t* routine, const std::wstring& url, OpenedGet& get,
             const GetFileOptions& rules = GetFileOptions()) {
    const DWORD ioTimeoutMs = rules.ioTimeoutMs ? rules.ioTimeoutMs : HttpIoTimeout();
    PostTarget target;
    if (!CrackPostTarget(url, &target, url.size() + 1)) {
        LogFailure(routine, L"not an http or https URL", url);
        return false;
    }
    if (target.path.empty()) target.path = L"/";
    get.Prepare(rules.cancel);
    get.session = OpenSession(AppTitle(), ioTimeoutMs);
    if (!get.session) {
        LogFailure(routine, ErrorText(::GetLastError()), url);
        return false;
    }
    get.connection.reset(::InternetConnectW(get.session.get(), target.host.c_str(), target.endpoint.port, nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, kContext));
    if (!get.connection) {
        LogFailure(routine, ErrorText(::GetLastError()), url);
        return false;
    }
    SetIoTimeouts(get.connection.get(), ioTimeoutMs);
    {
        ConnectingLook look;
        get.request.reset(::HttpOpenRequestW(get.connection.get(), L"GET", target.path.c_str(), nullptr, nullptr,
                                             nullptr, kGetFlags | (target.endpoint.secure ? INTERNET_FLAG_SECURE : 0),
                                             kContext));
        DWORD error = ::GetLastError();
        bool sent = false;
        if (get.request && get.Attach()) {
            SetIoTimeouts(get.request.get(), ioTimeoutMs);
            sent = ::HttpSendRequestW(get.request.get(), nullptr, 0, nullptr, 0) != FALSE;
            error = ::GetLastError();
        }
        look.Restore();
        if (!sent || get.Cancelled()) {
            LogFailure(routine, get.Reason(error), url);
            return false;
        }
    }
    DWORD status = 0, size = sizeof status;
    if (!::HttpQueryInfoW(get.request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr)) {
        LogFailure(routine, L"no HTTP status", url);
        return false;
    }
    if (rules.only200 ? status != 200 : !IsSuccessStatus(status)) {
        LogFailure(routine, L"HTTP status " + std::to_wstring(status), url);
        return false;
    }
    wchar_t length[32];
    size = sizeof length;
    if (::HttpQueryInfoW(get.request.get(), HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
        wchar_t* end = nullptr;
        get.length = std::wcstoull(length, &end, 10);
        get.lengthKnown = end != length;
    }
    return true;
}

// Reads the body in chunks of at most kReadChunk bytes and hands each to
// sink(data, count), which returns false to stop.  True when the whole body
// was read and taken; logs otherwise.
template <class Sink>
bool ReadBody(const wchar_t* routine, const std::wstring& url, OpenedGet& get, Sink&& sink) {
    char buf[kReadChunk];
    unsigned long long received = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadPiece(get, buf, &got)) {
            LogFailure(routine, get.Reason(::GetLastError()), url);
            return false;
        }
        if (got == 0) break;
        if (!sink(buf, got)) return false;
        received += got;
    }
    // A read that the cancel ended may look like the body's end.
    if (get.Cancelled()) {
        LogFailure(routine, get.Reason(0), url);
        return false;
    }
    if (!IsWholeBody(received, get.lengthKnown, get.length)) {
        LogFailure(routine,
                   L"body ended after " + std::to_wstring(received) + L" of " + std::to_wstring(get.length) +
                       L" bytes",
                   url);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- files

// "dir\" of a path ("." when it names no directory).
std::wstring DirectoryOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

// ---------------------------------------------------------------- text

std::string ToThreadAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                  nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                          nullptr);
    return out;
}

}  // namespace

// ---------------------------------------------------------------- public

void SetHttpHost(HttpHost* host) { g_host.store(host); }
HttpHost* GetHttpHost() { return g_host.load(); }

bool IsNetworkUp() {
    ULONG size = 0;
    if (::GetIpForwardTable(nullptr, &size, TRUE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
    // DWORD units keep the table's alignment.
    std::unique_ptr<DWORD[]> buffer(new (std::nothrow) DWORD[(size + sizeof(DWORD) - 1) / sizeof(DWORD)]);
    if (!buffer) return false;
    auto* table = reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.get());
    if (::GetIpForwardTable(table, &size, TRUE) != NO_ERROR) return false;
    return HasDefaultRoute(*table);
}

void SetHttpIoTimeout(DWORD ms) { g_ioTimeoutMs.store(ms ? ms : kDefaultIoTimeoutMs); }
DWORD HttpIoTimeout() { return g_ioTimeoutMs.load(); }

std::unique_ptr<char[]> HttpGetToMemory(const std::wstring& url, int* byteCount, size_t maxBytes) {
    static const wchar_t kRoutine[] = L"HttpGetToMemory";
    // The count goes out as an int.
    maxBytes = std::min<size_t>(maxBytes, static_cast<size_t>(INT_MAX) - 1);
    OpenedGet get;
    if (!OpenGet(kRoutine, url, get)) return nullptr;
    const std::wstring tooLarge = L"body larger than " + std::to_wstring(maxBytes) + L" bytes";
    if (get.lengthKnown && get.length > maxBytes) {
        LogFailure(kRoutine, tooLarge + L" (announced " + std::to_wstring(get.length) + L")", url);
        return nullptr;
    }
    std::string body;
    if (get.lengthKnown) body.reserve(static_cast<size_t>(get.length));
    bool whole = ReadBody(kRoutine, url, get, [&](const char* data, DWORD count) {
        if (count > maxBytes - body.size()) {
            LogFailure(kRoutine, tooLarge, url);
            return false;
        }
        body.append(data, count);
        return true;
    });
    if (!whole) return nullptr;
    std::unique_ptr<char[]> result(new (std::nothrow) char[body.size() + 1]);
    if (!result) {
        LogFailure(kRoutine, L"out of memory for " + std::to_wstring(body.size()) + L" bytes", url);
        return nullptr;
    }
    std::memcpy(result.get(), body.data(), body.size());
    result[body.size()] = '\0';
    if (byteCount) *byteCount = static_cast<int>(body.size());
    return result;
}

bool HttpGetToFile(const std::wstring& url, const std::wstring& path, size_t maxBytes) {
    GetFileOptions options;
    options.maxBytes = maxBytes;
    return HttpGetToFile(url, path, options);
}

bool HttpGetToFile(const std::wstring& url, const std::wstring& path, const GetFileOptions& options) {
    const wchar_t* kRoutine = options.routine ? options.routine : L"HttpGetToFile";
    const size_t maxBytes = options.maxBytes;
    OpenedGet get;
    if (!OpenGet(kRoutine, url, get, options)) return false;
    const std::wstring tooLarge = L"body larger than " + std::to_wstring(maxBytes) + L" bytes";
    if (get.lengthKnown && get.length > maxBytes) {
        LogFailure(kRoutine, tooLarge + L" (announced " + std::to_wstring(get.length) + L")", url);
        return false;
    }

    std::wstring partPath = options.partPath;
    if (partPath.empty()) {
        wchar_t tempName[MAX_PATH];
        if (!::GetTempFileNameW(DirectoryOf(path).c_str(), L"pdl", 0, tempName)) {
            LogFailure(kRoutine, L"no temporary file beside " + path + L": " + ErrorText(::GetLastError()), url);
            return false;
        }
        partPath = tempName;
    }
    TempFile temp(partPath);
    {
        fx::UniqueHandle file(::CreateFileW(temp.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            LogFailure(kRoutine, L"cannot write " + temp.path() + L": " + ErrorText(::GetLastError()), url);
            return false;
        }
        size_t stored = 0;
        bool whole = ReadBody(kRoutine, url, get, [&](const char* data, DWORD count) {
            if (count > maxBytes - stored) {
                LogFailure(kRoutine, tooLarge, url);
                return false;
            }
            stored += count;
            DWORD written = 0;
            if (::WriteFile(file.get(), data, count, &written, nullptr) && written == count) return true;
            LogFailure(kRoutine, L"cannot write " + temp.path() + L": " + ErrorText(::GetLastError()), url);
            return false;
        });
        if (!whole) return false;
    }
    DWORD error = 0;
    if (!temp.MoveTo(path, &error)) {
        LogFailure(kRoutine, L"cannot replace " + path + L": " + ErrorText(error), url);
        return false;
    }
    return true;
}

bool HttpPostForm(const std::wstring& text) {
    static const wchar_t kRoutine[] = L"HttpPostForm";
    HttpHost* host = GetHttpHost();
    if (!host || host->IsDisabled() || !host->IsSettingsLoaded() || !host->IsOnline() || host->IsStarting())
        return true;
    const std::wstring url = host->LogUrl();

    ConnectingLook look;
    const std::string body = "data=" + ToThreadAnsi(text);

    PostTarget target;
    if (!CrackPostTarget(url, &target)) {
        LogFailure(kRoutine, L"log URL is not an http or https URL", url);
        return true;
    }
    const PostEndpoint& endpoint = target.endpoint;

    RequestHandles h;
    h.Prepare(nullptr);
    h.session = OpenSession(kPostAgent, HttpIoTimeout());
    if (!h.session) {
        LogFailure(kRoutine, ErrorText(::GetLastError()), url);
        return true;
    }
    h.connection.reset(::InternetConnectW(h.session.get(), target.host.c_str(), endpoint.port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, kContext));
    if (!h.connection) {
        LogFailure(kRoutine, ErrorText(::GetLastError()), url);
        return true;
    }
    SetIoTimeouts(h.connection.get(), HttpIoTimeout());
    h.request.reset(::HttpOpenRequestW(h.connection.get(), L"POST", target.path.c_str(), L"HTTP/1.1", nullptr, nullptr,
                                       kPostFlags | (endpoint.secure ? INTERNET_FLAG_SECURE : 0), kContext));
    if (!h.request || !h.Attach()) {
        LogFailure(kRoutine, h.Reason(::GetLastError()), url);
        return true;
    }
    HINTERNET request = h.request.get();
    SetIoTimeouts(request, HttpIoTimeout());
    std::wstring hostHeader = L"Host: " + target.host;
    if (!endpoint.defaultPort) hostHeader += L":" + std::to_wstring(endpoint.port);
    hostHeader += L"\r\n";
    ::HttpAddRequestHeadersW(request, L"Content-Type: application/x-www-form-urlencoded\r\n", (DWORD)-1,
                             HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    ::HttpAddRequestHeadersW(request, hostHeader.c_str(), (DWORD)-1, HTTP_ADDREQ_FLAG_ADD_IF_NEW);

    INTERNET_BUFFERSW buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.dwBufferTotal = static_cast<DWORD>(body.size());
    if (h.Cancelled() || !::HttpSendRequestExW(request, &buffers, nullptr, HSR_INITIATE, kContext)) {
        LogFailure(kRoutine, h.Reason(::GetLastError()), url);
        return true;
    }
    for (size_t sent = 0; sent < body.size();) {
        DWORD written = 0;
        if (h.Cancelled() ||
            !::InternetWriteFile(request, body.data() + sent, static_cast<DWORD>(body.size() - sent), &written) ||
            written == 0) {
            LogFailure(kRoutine, h.Reason(::GetLastError()), url);
            return true;
        }
        sent += written;
    }
    if (h.Cancelled() || !::HttpEndRequestW(request, nullptr, 0, kContext) || h.Cancelled()) {
        LogFailure(kRoutine, h.Reason(::GetLastError()), url);
        return true;
    }

    wchar_t status[32] = L"";
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, status, &size, nullptr)) {
        LogFailure(kRoutine, L"no HTTP status", url);
        return true;
    }
    if (std::wcscmp(status, L"200") != 0) {
        LogFailure(kRoutine, L"HTTP status " + std::wstring(status), url);
        return true;
    }
    // The answer is read to its end and thrown away, within the same bound as
    // a GET's body.
    char sink[kReadChunk];
    size_t drained = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadPiece(h, sink, &got)) {
            LogFailure(kRoutine, h.Reason(::GetLastError()), url);
            return true;
        }
        if (got == 0) break;
        if (got > kMaxBodyBytes - drained) {
            LogFailure(kRoutine, L"answer larger than " + std::to_wstring(kMaxBodyBytes) + L" bytes", url);
            return true;
        }
        drained += got;
    }
    // A read that the cancel ended may look like the answer's end.
    if (h.Cancelled()) {
        LogFailure(kRoutine, h.Reason(0), url);
        return true;
    }
    return false;
}

bool CrackPostTarget(const std::wstring& url, PostTarget* target, size_t partChars) {
    if (url.empty() || partChars == 0 || partChars > 0xFFFFFFu) return false;
    std::wstring hostName(partChars, L'\0');
    std::wstring urlPath(partChars, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = &hostName[0];
    parts.dwHostNameLength = static_cast<DWORD>(partChars);
    parts.lpszUrlPath = &urlPath[0];
    parts.dwUrlPathLength = static_cast<DWORD>(partChars);
    if (!::InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
    target->endpoint = ChoosePostEndpoint(parts.nScheme, parts.nPort);
    target->host.assign(hostName.data(), parts.dwHostNameLength);
    target->path.assign(urlPath.data(), parts.dwUrlPathLength);
    return target->endpoint.valid && !target->host.empty();
}

std::wstring SplitUrl(const std::wstring& url) {
    const DWORD chars = static_cast<DWORD>(url.size() + 1);
    std::wstring path(chars, L'\0');
    std::wstring extra(chars, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszUrlPath = &path[0];
    parts.dwUrlPathLength = chars;
    parts.lpszExtraInfo = &extra[0];
    parts.dwExtraInfoLength = chars;
    if (url.empty() || !::InternetCrackUrlW(url.c_str(), 0, ICU_DECODE, &parts)) return std::wstring();
    path.resize(parts.dwUrlPathLength);
    extra.resize(parts.dwExtraInfoLength);
    return path + extra;
}

int GetJpegEncoderClsid(CLSID* clsid) { return GetEncoderClsid(L"image/jpeg", clsid); }

int GetEncoderClsid(const wchar_t* mimeType, CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return -1;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
    if (!buffer) return -1;
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok) return -1;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, mimeType) == 0) {
            if (clsid) *clsid = codecs[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}
