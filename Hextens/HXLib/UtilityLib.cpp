#include "Hextens/HXLib/UtilityLib.h"

#include <psapi.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <vector>

#include "Hextens/HXLib/CoreLog.h"
#include "Hextens/HXLib/SelectionFilter.h"
#include "Hextens/HXLib/ServerInit.h"
#include "Hextens/HXLib/UrlEncode.h"
#include "fx/Handle.h"
#include "log/Logger.h"

// The layout the enhancers compile against.
struct UtilityLibLayout {
    static_assert(offsetof(UtilityLib, id_) == offsetof(tagCONFIG, id), "id at 0");
    static_assert(offsetof(UtilityLib, name_) == offsetof(tagCONFIG, name), "name at 100");
    static_assert(offsetof(UtilityLib, requireLetter_) == offsetof(tagCONFIG, flag), "requireLetter at 200");
    static_assert(offsetof(UtilityLib, sendContext_) == 201, "sendContext at 201");
#ifndef _WIN64
    static_assert(offsetof(UtilityLib, ignoreList_) == 204, "ignore list at 204");
    static_assert(sizeof(UtilityLib) == 208, "UtilityLib size");
#else
    // The 64-bit test build: the pointer is aligned to 8.
    static_assert(offsetof(UtilityLib, ignoreList_) == 208, "ignore list at 208");
    static_assert(sizeof(UtilityLib) == 216, "UtilityLib size");
#endif
};

namespace {

constexpr const wchar_t* kModule = L"HXLib";

// The result buffer of SelectionFilter.
wchar_t g_filterResult[hxcore::kFilterChars];

const hxcore::Char* AsCore(const wchar_t* s) { return reinterpret_cast<const hxcore::Char*>(s); }

// The cores' lines go out as "(HXLib) <line>".
void LogCoreLine(const hxcore::String& line) {
    std::wstring text(reinterpret_cast<const wchar_t*>(line.c_str()), line.size());
    LogMessage(L"(%s) %s", kModule, text.c_str());
}

// Each client (one UtilityLib object per enhancer) logs through the logger
// its enhancer lent it.  The library's module logger follows the client that
// is being called, so one enhancer's unload or re-initialisation never
// silences another enhancer's lines.  Every call comes on the main program's
// user-interface thread.
struct ClientLogger {
    const UtilityLib* client;
    Logger* logger;
};

// Never destroyed: a client's destructor may run after this library's
// statics are gone (module unload order at process end).
std::vector<ClientLogger>& ClientLoggers() {
    static std::vector<ClientLogger>* const clients = new std::vector<ClientLogger>;
    return *clients;
}

Logger* LoggerOf(const UtilityLib* client) {
    for (const ClientLogger& c : ClientLoggers())
        if (c.client == client) return c.logger;
    return nullptr;
}

void SetLoggerOf(const UtilityLib* client, Logger* logger) {
    auto& clients = ClientLoggers();
    for (auto it = clients.begin(); it != clients.end(); ++it)
        if (it->client == client) {
            if (logger) it->logger = logger;
            else clients.erase(it);
            return;
        }
    if (logger) clients.push_back(ClientLogger{client, logger});
}

// For the length of one call of a client: the module logger is that client's.
class ClientLogScope {
public:
    explicit ClientLogScope(const UtilityLib* client) : previous_(g_pLogger) {
        g_pLogger = LoggerOf(client);
        if (g_pLogger && g_pLogger != previous_) g_pLogger->AdoptInModule();
    }
    ~ClientLogScope() {
        g_pLogger = previous_;
        if (g_pLogger) g_pLogger->AdoptInModule();
    }
    ClientLogScope(const ClientLogScope&) = delete;
    ClientLogScope& operator=(const ClientLogScope&) = delete;

private:
    Logger* previous_;
};

void CopyBounded(wchar_t* to, const wchar_t* from, size_t chars) {
    size_t i = 0;
    for (; from && i + 1 < chars && from[i]; ++i) to[i] = from[i];
    to[i] = L'\0';
}

// The window's class name, at most 63 characters; false when unreadable.
bool ReadClassName(HWND window, wchar_t (&name)[64]) { return window && ::GetClassNameW(window, name, 64) > 0; }

}  // namespace

UtilityLib::UtilityLib() : requireLetter_(false), sendContext_(false), ignoreList_(nullptr) {
    id_[0] = L'\0';
    name_[0] = L'\0';
}

UtilityLib::~UtilityLib() {
    SetLoggerOf(this, nullptr);
    delete ignoreList_;
}

UtilityLib::UtilityLib(const UtilityLib& other) : UtilityLib() { *this = other; }

UtilityLib& UtilityLib::operator=(const UtilityLib& other) {
    if (this == &other) return *this;
    IgnoreWordTrie* list = other.ignoreList_ ? new IgnoreWordTrie(*other.ignoreList_) : nullptr;
    delete ignoreList_;
    ignoreList_ = list;
    std::wmemcpy(id_, other.id_, 50);
    std::wmemcpy(name_, other.name_, 50);
    requireLetter_ = other.requireLetter_;
    sendContext_ = other.sendContext_;
    return *this;
}

void UtilityLib::SetLogger(Logger* logger) {
    SetLoggerOf(this, logger);
    // The cores' lines go through the module logger of the client being called.
    hxcore::SetLogSink(LogCoreLine);
}

void UtilityLib::SetConfiguration(const tagCONFIG* config) {
    ClientLogScope log(this);
    if (!config) return;
    CopyBounded(id_, config->id, 50);
    CopyBounded(name_, config->name, 50);
    requireLetter_ = config->flag;
    LogMessage(L"(%s) %s - %s", kModule, name_, id_);
}

tagCONFIG* UtilityLib::GetConfiguration() { return reinterpret_cast<tagCONFIG*>(this); }

void UtilityLib::ConfigureServerInit(const wchar_t* xml) {
    ClientLogScope log(this);
    sendContext_ = false;
    try {
        sendContext_ = hxcore::ReadSendContext(AsCore(xml), AsCore(id_));
    } catch (...) { LogMessage(L"(%s) *** Exception in ConfigureServerInit", kModule); }
}

void UtilityLib::ConfigureIgnoreWordsList(const wchar_t* words) {
    ClientLogScope log(this);
    LogMessage(L"(%s) ConfigureIgnoreWordsList: %d", kModule, words ? static_cast<int>(std::wcslen(words)) : 0);
    delete ignoreList_;
    ignoreList_ = nullptr;
    try {
        IgnoreWordTrie* list = new IgnoreWordTrie;
        try {
            list->Build(AsCore(words));
        } catch (...) {
            delete list;
            throw;
        }
        ignoreList_ = list;
    } catch (...) { LogMessage(L"(%s) *** Exception in ConfigureIgnoreList", kModule); }
}

wchar_t* UtilityLib::SelectionFilter(const wchar_t* text) {
    ClientLogScope log(this);
    hxcore::FilterSelection(AsCore(text), reinterpret_cast<hxcore::Char*>(g_filterResult), requireLetter_, ignoreList_);
    return g_filterResult;
}

bool UtilityLib::IsClass(HWND window, const wchar_t* className) {
    wchar_t name[64];
    return className && ReadClassName(window, name) && std::wcscmp(name, className) == 0;
}

bool UtilityLib::IsClass(HWND window, int count, const wchar_t* const* classNames) {
    wchar_t name[64];
    if (!classNames || !ReadClassName(window, name)) return false;
    for (int i = 0; i < count; ++i)
        if (classNames[i] && std::wcscmp(name, classNames[i]) == 0) return true;
    return false;
}

HWND UtilityLib::GetMatchingAncestorByClass(HWND window, const wchar_t* className) {
    if (!className) return nullptr;
    wchar_t name[64];
    for (HWND w = window; ReadClassName(w, name); w = ::GetAncestor(w, GA_PARENT))
        if (std::wcscmp(name, className) == 0) return w;
    return nullptr;
}

bool UtilityLib::HasAncestorOfClass(HWND window, const wchar_t* className) {
    return GetMatchingAncestorByClass(window, className) != nullptr;
}

namespace {

struct DocWindowSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindDocWindow(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<DocWindowSearch*>(param);
    if (!UtilityLib::IsClass(child, search->className)) return TRUE;
    search->found = child;
    return FALSE;
}

}  // namespace

HWND UtilityLib::GetDocWindow(HWND window, const wchar_t* className) {
    HWND root = window ? ::GetAncestor(window, GA_ROOTOWNER) : nullptr;
    if (!root || !className) return nullptr;
    DocWindowSearch search{className, nullptr};
    ::EnumChildWindows(root, FindDocWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND UtilityLib::GetFocusedSubWindow(HWND window) {
    if (!window) return nullptr;
    DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!thread || !::GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

void UtilityLib::GetBaseName(unsigned long processId, wchar_t* buffer, int size) {
    if (!buffer || size <= 0) return;
    fx::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return;
    ::GetModuleBaseNameW(process.get(), nullptr, buffer, static_cast<DWORD>(size));
}

void UtilityLib::GetBaseName(HWND window, wchar_t* buffer, int size) {
    DWORD processId = 0;
    if (!window || !::GetWindowThreadProcessId(window, &processId)) return;
    GetBaseName(static_cast<unsigned long>(processId), buffer, size);
}

void UtilityLib::ToUpperCase(const wchar_t* source, wchar_t* destination, int size) {
    if (!destination || size <= 0) return;  // no room, not even for the terminator
    int written = 0;
    for (; source && written < size - 1 && source[written]; ++written)
        destination[written] = static_cast<wchar_t>(std::towupper(source[written]));
    destination[written] = L'\0';
}

std::wstring UtilityLib::MB2WC(const char* utf8) {
    if (!utf8 || !*utf8) return std::wstring();
    const int bytes = static_cast<int>(std::strlen(utf8));
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, &out[0], chars);
    return out;
}

std::wstring UtilityLib::URLEncode2(const std::wstring& text) { return urlenc::PercentEncodeUtf8(text.c_str()); }
