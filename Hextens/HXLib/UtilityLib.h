// HXLib's exported class, shared by the browser enhancers.  Each enhancer
// owns one static UtilityLib, configures it at IAction::Init with a
// tagCONFIG, lends it its Logger, hands it the server's settings document and
// the ignore-word list, and filters every reported text through it.
//
// The importers are our own enhancers, built with the same compiler: the
// class is exported with the compiler's own decorated names.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class Logger;
class IgnoreWordTrie;

#if defined(HXLIB_BUILD)
#define HXLIB_API __declspec(dllexport)
#else
#define HXLIB_API __declspec(dllimport)
#endif

// The configuration record: the first part of UtilityLib's layout.
struct tagCONFIG {
    wchar_t id[50];    // the enhancer's class id in braces, 38 characters
    wchar_t name[50];  // the enhancer's module name ("HXIE", "HXFirefox")
    bool flag;         // requireLetter
};
static_assert(offsetof(tagCONFIG, id) == 0, "tagCONFIG id at 0");
static_assert(offsetof(tagCONFIG, name) == 100, "tagCONFIG name at 100");
static_assert(offsetof(tagCONFIG, flag) == 200, "tagCONFIG flag at 200");
static_assert(sizeof(tagCONFIG) == 202, "tagCONFIG size");

class HXLIB_API UtilityLib {
public:
    UtilityLib();
    ~UtilityLib();
    // Copies own their own ignore-word list.
    UtilityLib(const UtilityLib& other);
    UtilityLib& operator=(const UtilityLib& other);

    // Stores the module logger (the caller keeps it; null: no logging).
    void SetLogger(Logger* logger);
    // Copies id, name and flag and logs "(HXLib) <name> - <id>".
    void SetConfiguration(const tagCONFIG* config);
    // The object itself, as its configuration record.
    tagCONFIG* GetConfiguration();
    // The flags the record's callers read.  sendContext lies beyond the
    // tagCONFIG prefix: read it here, never through the record.
    bool RequireLetter() const { return requireLetter_; }
    bool SendContext() const { return sendContext_; }

    // Reads init/user/send_context and this enhancer's record from the
    // server's settings document into sendContext.
    void ConfigureServerInit(const wchar_t* xml);
    // Replaces the ignore-word list.
    void ConfigureIgnoreWordsList(const wchar_t* words);
    // The filtered text (possibly empty) in the library's 256-character
    // buffer, valid until the next call.
    wchar_t* SelectionFilter(const wchar_t* text);

    // Window-class, process, text and URL helpers (no object state).
    static bool IsClass(HWND window, const wchar_t* className);
    static bool IsClass(HWND window, int count, const wchar_t* const* classNames);
    static bool HasAncestorOfClass(HWND window, const wchar_t* className);
    static HWND GetMatchingAncestorByClass(HWND window, const wchar_t* className);
    static HWND GetDocWindow(HWND window, const wchar_t* className);
    static HWND GetFocusedSubWindow(HWND window);
    static void GetBaseName(unsigned long processId, wchar_t* buffer, int size);
    static void GetBaseName(HWND window, wchar_t* buffer, int size);
    static void ToUpperCase(const wchar_t* source, wchar_t* destination, int size);
    static std::wstring MB2WC(const char* utf8);
    static std::wstring URLEncode2(const std::wstring& text);

private:
    friend struct UtilityLibLayout;

    wchar_t id_[50];
    wchar_t name_[50];
    bool requireLetter_;
    bool sendContext_;
    IgnoreWordTrie* ignoreList_;  // owned; null until the first list
};
