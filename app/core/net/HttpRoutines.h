// The main program's requests to its server, its connectivity test and two
// URL helpers.  WinINet directly; every request builds and closes its own
// session on the calling thread and shows the tray's connecting look while it
// opens (HttpHost).  Failures are logged through LogLine.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/core/net/HttpDecisions.h"
#include "app/core/net/HttpHost.h"
#include "app/core/net/RequestCancel.h"

// True when the IP routing table holds a default route.
bool IsNetworkUp();

// Bodies a request takes at most (into memory, into a file, or drained from
// the POST's answer): a server announcing or sending more fails the request.
constexpr size_t kMaxBodyBytes = 64u * 1024 * 1024;

// Besides the connect time-out, every request waits at most this long for
// one send or one receive, so a server that stalls after connecting cannot
// hold the calling thread for ever.  A request also ends, failed, when the
// host's deadline for the calling thread (HttpHost::RequestDeadlineMs) passes
// before its whole answer is in, so that one dripping its answer cannot
// either.
constexpr DWORD kDefaultIoTimeoutMs = 30000;
// The send and receive time-out of the requests made from now on (tests
// shorten it); 0 restores the default.
void SetHttpIoTimeout(DWORD ms);
DWORD HttpIoTimeout();

// GETs url.  On a 2xx answer whose body arrived whole and holds at most
// maxBytes bytes: the body plus one zero byte after it, and byteCount = the
// body's length.  Otherwise null (logged) and byteCount untouched.
std::unique_ptr<char[]> HttpGetToMemory(const std::wstring& url, int* byteCount, size_t maxBytes = kMaxBodyBytes);

// GETs url into path.  The body goes into a temporary file beside path, which
// replaces path only when the answer was 2xx and the body arrived whole with
// at most maxBytes bytes; on any failure path keeps what it held and no
// partial file remains.
bool HttpGetToFile(const std::wstring& url, const std::wstring& path, size_t maxBytes = kMaxBodyBytes);

// The same with its rules given: the routine's name in the log lines, the
// status taken (only 200, or any 2xx), the file the body goes into until it
// is whole (deleted on failure; "" for a unique temporary file beside path),
// this request's send and receive time-out (0: HttpIoTimeout()), the
// largest body, and a token through which another thread may end the
// request (its Cancel closes the request handle, which ends a read waiting
// on the server; the request then fails).
struct GetFileOptions {
    const wchar_t* routine = L"HttpGetToFile";
    bool only200 = false;
    std::wstring partPath;
    DWORD ioTimeoutMs = 0;
    size_t maxBytes = kMaxBodyBytes;
    std::shared_ptr<RequestCancel> cancel;
};
bool HttpGetToFile(const std::wstring& url, const std::wstring& path, const GetFileOptions& options);

// POSTs "data=" + text (in the thread's ANSI code page, not percent-encoded)
// as a form to the host's log URL, on the URL's own scheme, host and port.
// False when the server answered "200" with a body of at most kMaxBodyBytes
// (read and thrown away); true in every other case (gate closed, not sent,
// failed, other status, an answer larger than that).
bool HttpPostForm(const std::wstring& text);

// Where a form POST to url goes: host name and URL path (with its query) as
// WinINet splits them, and the scheme's port and security.  False when url is
// not an http or https URL with a host, or a part is longer than partChars
// characters (the POST's own limit by default).
struct PostTarget {
    std::wstring host;
    std::wstring path;
    PostEndpoint endpoint{};
};
constexpr size_t kPostUrlPartChars = 1000;
bool CrackPostTarget(const std::wstring& url, PostTarget* target, size_t partChars = kPostUrlPartChars);

// The object part of url (path and query) with its percent escapes decoded;
// "" when url does not parse.
std::wstring SplitUrl(const std::wstring& url);

// Index of the JPEG encoder among the GDI+ image encoders and its CLSID, or -1.
int GetJpegEncoderClsid(CLSID* clsid);
// The same for the encoder of a MIME type ("image/png").
int GetEncoderClsid(const wchar_t* mimeType, CLSID* clsid);
