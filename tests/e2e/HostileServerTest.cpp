// The real PondRel.exe against a hostile server, checked from outside only.
// The loopback server serves a settings document made to hurt: absurd sizes
// and numbers, icon and skin names that climb out of the image and cache
// folders (relative, absolute, UNC, percent-encoded, device names), hostile
// enhancer classes, a window template nested far too deep and one very
// wide; and a messages file whose urls are javascript:, file:, UNC paths,
// bare paths and quote-injection texts beside one honest http URL, with a
// message opening a panel on the hostile template.  The start-up panel
// (MiniBrowse) has a hostile skin too, and the tray menu is opened so that its
// icons are fetched.  The checks: only http URLs reach the stand-in browser,
// each as exactly one argument; no file is written on drive C: outside the
// program's own folders, nor in the host folder the absolute names aim at;
// the program survives the panels, keeps polling, answers its window, and
// ends on its own "shut" with exit code 0.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/tests/support/ShellHarness.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/Scene.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::Utf8;
using testsupport::WaitFor;
using testsupport::Wide;

std::wstring HttpRoot() { return testsupport::WinDir(HOSTILE_HTTP_ROOT); }
std::wstring SourceDir() { return testsupport::WinDir(E2E_SOURCE_DIR); }
// A host folder (under the build tree) that absolute hostile names aim at.
std::wstring HostTarget() { return testsupport::WinDir(HOSTILE_HOST_TARGET); }

// The install folder, deep under a folder of its own on drive C:, so that a
// name climbing out of Images\ or Cache\ lands somewhere the snapshot sees.
constexpr const wchar_t* kTop = L"C:\\pondrel-hostile\\";
constexpr const wchar_t* kInstall = L"C:\\pondrel-hostile\\one\\two\\install";

// Every file name a hostile value aims at carries this.
constexpr const char* kMarker = "pondrel-escape";

// The url of the tray menu's first item.
constexpr const char* kTrayUrl = "javascript:document.location='file:///C:/windows/win.ini'";

// The start-up panel's fixed identifier.
constexpr const char* kMiniBrowse = "4C733FB7-1F02-4F4F-BBBD-C5156B5B9872";

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::wstring LowerW(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

// Text as XML character data (control characters as references).
std::string Xml(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if (c < 0x20) out += "&#" + std::to_string(c) + ";";
                else out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Element(const std::string& name, const std::string& text) {
    return "<" + name + ">" + Xml(text) + "</" + name + ">";
}

// Names that try to leave the folder they are appended to, each ending in a
// name with the marker (n tells them apart).
std::vector<std::string> EscapingNames() {
    const std::string host = Utf8(HostTarget());
    std::vector<std::string> names;
    auto add = [&](const std::string& before, const std::string& after = ".png") {
        names.push_back(before + kMarker + "-" + std::to_string(names.size()) + after);
    };
    add("..\\..\\..\\..\\..\\..\\..\\..\\");
    add("../../../../../../../../");
    add("Images\\..\\..\\..\\");
    add("..%5C..%5C..%5C..%5C..%5C");
    add("%2e%2e/%2e%2e/%2e%2e/%2e%2e/");
    add("....//....//");
    add("C:\\");
    add("C:\\pondrel-hostile\\");
    add("C:");
    add("\\\\127.0.0.1\\c$\\");
    add("\\\\?\\C:\\");
    add("\\\\.\\C:\\");
    add(host);
    add("file:///C:/");
    add("", ".png:stream");
    add("", ".png\\..\\..\\..\\..\\x.png");
    names.push_back("CON");
    names.push_back("NUL.png");
    names.push_back("COM1.png");
    names.push_back("AUX");
    names.push_back("LPT1.gif");
    names.push_back(std::string(400, 'a') + kMarker + ".png");
    return names;
}

// One file or folder seen on the drive.
struct Seen {
    ULONGLONG size = 0;
    FILETIME written{};
    bool folder = false;
};
using Tree = std::map<std::wstring, Seen>;

// Every file and folder below dir (with "\"), keyed by lower-case path;
// the folders in `skip` (lower case, with "\") and what lies under them
// are left out, and links are not followed.
void Walk(const std::wstring& dir, const std::vector<std::wstring>& skip, Tree& out, int depth = 0) {
    if (depth > 40) return;
    WIN32_FIND_DATAW f;
    HANDLE find = ::FindFirstFileExW((dir + L"*").c_str(), FindExInfoBasic, &f, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = f.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool folder = (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::wstring path = dir + name + (folder ? L"\\" : L"");
        const std::wstring key = LowerW(path);
        if (std::any_of(skip.begin(), skip.end(), [&](const std::wstring& s) { return key.compare(0, s.size(), s) == 0; }))
            continue;
        Seen& s = out[key];
        s.folder = folder;
        s.size = (static_cast<ULONGLONG>(f.nFileSizeHigh) << 32) | f.nFileSizeLow;
        s.written = f.ftLastWriteTime;
        if (folder && !(f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Walk(path, skip, out, depth + 1);
    } while (::FindNextFileW(find, &f));
    ::FindClose(find);
}

// What is new or changed in `after` (folders only when new).
std::vector<std::wstring> Written(const Tree& before, const Tree& after) {
    std::vector<std::wstring> out;
    for (const auto& [path, now] : after) {
        auto was = before.find(path);
        if (was == before.end()) {
            out.push_back(path);
        } else if (!now.folder && (was->second.size != now.size ||
                                   ::CompareFileTime(&was->second.written, &now.written) != 0)) {
            out.push_back(path);
        }
    }
    return out;
}

// The files and folders under dir.
std::vector<std::wstring> FilesIn(const std::wstring& dir) {
    Tree t;
    Walk(dir, {}, t);
    std::vector<std::wstring> out;
    for (const auto& [path, seen] : t) out.push_back(path);
    return out;
}

// The folder of the system's HTTP cache, cookies and history.
std::wstring InetCache() {
    wchar_t local[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    return std::wstring(local) + L"\\Microsoft\\Windows\\";
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW f;
    HANDLE find = ::FindFirstFileW((dir + L"*").c_str(), &f);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = f.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + name;
            if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &f));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(dir.c_str());
}

// The arguments of a command line as the started program reads them.
std::vector<std::wstring> Arguments(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> out;
    for (int i = 0; argv && i < count; ++i) out.push_back(argv[i]);
    if (argv) ::LocalFree(argv);
    return out;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) out.push_back(line);
        start = end + 1;
    }
    return out;
}

class HostileServer : public shell::ShellTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(shell::ShellTest::SetUp());
        // The install folder afresh, with the images an install brings.
        RemoveTree(kTop);
        std::wstring made;
        for (const wchar_t* part : {L"C:\\pondrel-hostile", L"\\one", L"\\two", L"\\install", L"\\Images"}) {
            made += part;
            ::CreateDirectoryW(made.c_str(), nullptr);
        }
        ASSERT_GT(scene::CopyFiles(SourceDir() + L"demo\\Images\\", L"*.png", made + L"\\"), 0);
        path_.Set(kInstall);
        shell::DeleteUserTree();
        RemoveTree(HostTarget());
        ::CreateDirectoryW(HostTarget().c_str(), nullptr);

        root_ = Utf8(loopback::Url(L""));
        ASSERT_NO_FATAL_FAILURE(WriteServedFiles());
        init_.Set(loopback::Url(L"/files/settings.xml"));
        browser_ = std::make_unique<scene::DefaultBrowser>(BROWSER_STANDIN_EXE);
        ASSERT_TRUE(browser_->registered());
        loopback::Clear();

        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        // The program's own folders, and the HTTP client's cache (its
        // own files, named after the URLs but kept by the system).
        skip_ = {LowerW(std::wstring(kInstall) + L"\\"), LowerW(temp), LowerW(InetCache())};
        Walk(L"C:\\", skip_, before_);
    }
    void TearDown() override {
        if (program_ && !program_->child.Wait(0)) testsupport::Run(PONDREL_EXE, {L"shut"}, 30000);
        shell::ShellTest::TearDown();
        browser_.reset();
        RemoveTree(kTop);
        RemoveTree(HostTarget());
    }

    // The settings document, the templates and the messages file.
    void WriteServedFiles() {
        const std::string files = root_ + "/files";
        const std::vector<std::string> escapes = EscapingNames();

        // The records: the one the messages open on the hostile template,
        // one on a skin that climbs out of the cache, the start-up panel on
        // the deep template, and one record per escaping icon name.
        std::string records;
        auto record = [&](const std::string& id, const std::string& skin, const std::string& width,
                          const std::string& height, const std::string& icon, const std::string& version) {
            records += "<ecp>" + Element("id", id) + Element("name", "Hostile " + id) + Element("skin", skin) +
                       Element("width", width) + Element("height", height) + Element("icon", icon) +
                       Element("version", version) + "<in_menu>true</in_menu><resizable>true</resizable>"
                       "<dockable>true</dockable><show_search>true</show_search></ecp>";
        };
        record("HOSTILE-1", "Hostile", "2147483647", "2147483647", escapes[0], "99999999999999999999");
        record("SKIN-1", "..\\..\\..\\..\\..\\..\\" + std::string(kMarker) + "-skin", "-2147483648", "0", escapes[1],
               "..\\..\\x");
        record(kMiniBrowse, "Deep", "99999999999", "-1", escapes[2], "-1");
        for (size_t i = 0; i < escapes.size(); ++i)
            record("ICON-" + std::to_string(i), escapes[i], "1e308", "-0", escapes[i], escapes[i]);
        // More records with nonsense numbers.
        for (int i = 0; i < 40; ++i)
            record("WIDE-" + std::to_string(i), "Hostile", std::to_string(-i * 99999999LL), "NaN", "x.png", "0x7fffffff");

        // The tray menu: first an item that opens a javascript: url, then
        // one per escaping name, as its record's icon and as its icon URL.
        std::string tray = "<item><text>Open</text><ecp></ecp>" + Element("url", kTrayUrl) +
                           Element("icon", root_ + "/img/" + escapes[4]) + "<divider></divider></item>";
        std::string dock;
        for (size_t i = 0; i < escapes.size(); ++i) {
            tray += "<item>" + Element("text", "Item " + std::to_string(i)) +
                    Element("ecp", i % 2 ? "ICON-" + std::to_string(i) : "") + "<url></url>" +
                    Element("icon", root_ + "/img/" + escapes[i]) + "<divider></divider></item>";
            dock += "<item>" + Element("text", "Dock " + std::to_string(i)) + Element("ecp", "ICON-" + std::to_string(i)) +
                    Element("icon", escapes[i]) + Element("context", "javascript:alert(1)") +
                    "<control>true</control><docked>true</docked></item>";
        }

        std::string settings = "<?xml version=\"1.0\" encoding=\"utf-8\"?><init><urls>" +
                               Element("preview", root_ + "/preview/") + Element("log", root_ + "/log/stats.asp") +
                               Element("preview_link_upload", root_ + "/upload") +
                               Element("ecp", root_ + "/ecp/?type=ecp&ecpguid=") +
                               Element("bestguess", root_ + "/bestguess") +
                               Element("updates", root_ + "/status/404/PondrelSetup.exe") +
                               Element("download_page", "javascript:alert(1)") +
                               // Any name under /img/ is answered (with a body that is no image).
                               Element("images", root_ + "/img/") + Element("ads", root_ + "/ads/") +
                               Element("templates", files + "/templates/") +
                               Element("site_enhancer", root_ + "/siteenhancer.xml") +
                               Element("messages", root_ + "/messages/messages.xml") +
                               Element("ignores", root_ + "/ignores?uid=") + "</urls>"
                               "<actions>" + Element("icon", root_ + "/img/..%5C..%5C..%5C..%5C" + kMarker + "-action.png") +
                               "</actions>"
                               "<log_interval>99999999999999999999</log_interval>"
                               "<messages_interval>2</messages_interval>"
                               "<user><userid>HOSTILE-USER</userid><load_at_start>true</load_at_start>"
                               "<show_splash>false</show_splash><hotkey_mode>Control+Alt+Shift+Win+Nonsense</hotkey_mode>"
                               "<hotkey_char>\xC3\xBF\xC3\xBF\xC3\xBF</hotkey_char><show_dock_bar>true</show_dock_bar>"
                               "<show_tray_icon>true</show_tray_icon><key>k</key>"
                               "<default_ecp>HOSTILE-1</default_ecp><search_ecp>..\\..\\nothing</search_ecp></user>"
                               "<ecptree><category><in_menu>true</in_menu><divider></divider><active>true</active>"
                               "<name>Hostile</name>" + Element("icon", escapes[3]) +
                               "<version>99999999999</version><id>hostile</id><target>text" + records +
                               "</target></category></ecptree>"
                               "<templates><ecp><Hostile><version>18446744073709551617</version></Hostile>"
                               "<Deep><version>-2147483649</version></Deep></ecp></templates>"
                               "<enhancers><app>"
                               // A class of the system's, an unknown one and no GUID at all.
                               "<enhancer><id>13709620-C279-11CE-A49E-444553540000</id><active>true</active></enhancer>"
                               "<enhancer><id>00000000-0000-0000-0000-000000000000</id><active>true</active></enhancer>"
                               "<enhancer><id>..\\..\\evil.dll</id><active>true</active></enhancer>"
                               "</app></enhancers>"
                               "<tray><menu>" + tray + "</menu></tray>"
                               "<dock><areas>" + dock + "</areas></dock></init>";
        scene::WriteFile(HttpRoot(), L"settings.xml", settings);

        const std::wstring templates = HttpRoot() + L"templates\\";
        ::CreateDirectoryW(templates.c_str(), nullptr);
        ::CreateDirectoryW((templates + L"ecp").c_str(), nullptr);
        scene::WriteFile(templates + L"ecp\\", L"Hostile.xml", HostileTemplate(escapes));
        scene::WriteFile(templates + L"ecp\\", L"Deep.xml", DeepTemplate());
        scene::WriteFile(HttpRoot(), L"messages.xml", Messages());
    }

    // Absurd numbers everywhere, a chain nested past any sensible depth
    // (but within what the XML parser takes), and a very wide level whose
    // first images climb out of the cache folder.
    std::string HostileTemplate(const std::vector<std::string>& escapes) const {
        std::string chain;
        constexpr int kChain = 200;
        for (int i = 0; i < kChain; ++i)
            chain += "<element><type>area.design</type><id>deep" + std::to_string(i) + "</id><style>"
                     "<position>absolute</position><left>-2147483648</left><top>2147483647</top>"
                     "<width>99999999999%</width><height>-5</height></style>";
        for (int i = 0; i < kChain; ++i) chain += "</element>";
        // The wide level, in a box of its own after the chain (so that the
        // chain reaches the depth bound before the wide level spends the
        // element count): every kind of element, each with absurd numbers
        // and an escaping image, and one in kWebViewEvery a kind that makes
        // a web view (content and advertisement in turn).  Only the first
        // elements up to the count bound are built.
        constexpr int kWide = 2000, kWebViewEvery = 4;
        static const char* const kTypes[] = {"area.design",  "controls.close", "controls.move", "controls.tail",
                                             "controls.resize", "controls.dock", "controls.back", "nonsense"};
        std::string wide;
        for (int i = 0; i < kWide; ++i) {
            // (Each escaping name once as either image; the rest have none, or
            // the panel's start would spend its time on their downloads.)
            const size_t n = static_cast<size_t>(i);
            const std::string image = n < escapes.size() ? escapes[n] : "";
            const char* type = i % kWebViewEvery != 1         ? kTypes[i % 8]
                               : (i / kWebViewEvery) % 2 == 0 ? "area.content"
                                                              : "area.ad";
            wide += "<element>" + Element("type", type) + Element("id", i % 3 ? "w" + std::to_string(i) : "") +
                    Element("mouseoverImage", image.empty() ? "" : "{pq_images}" + image) +
                    "<style><position>absolute</position>" +
                    Element("left", std::to_string(i * 1000003)) + Element("right", "-99999999999") +
                    Element("top", "1e400") + Element("width", i % 2 ? "100%" : "4294967296") +
                    Element("height", "2147483647") +
                    Element("backgroundImage", image.empty() ? "" : "{pq_images_skin}" + image) +
                    Element("backgroundPosition", "-2147483648 2147483647") + "</style></element>";
        }
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?><window><style><zoom>99999999999%</zoom>"
               "<width>{pq_width}</width><height>{pq_height}</height></style>"
               "<edges><top>2147483647</top><left>-2147483648</left><bottom>99999999999</bottom><right>-1</right></edges>"
               "<element><type>area.design</type><id>pq_ecp_frame_{pq_object_id}</id><style><position>absolute</position>"
               "<left>0</left><top>0</top><width>100%</width><height>100%</height></style>" +
               chain +
               "<element><type>area.design</type><id>wide</id><style><position>absolute</position>"
               "<left>0</left><top>0</top><width>100%</width><height>100%</height></style>" +
               wide + "</element></element></window>";
    }

    // Nested far deeper than any XML parser takes.
    static std::string DeepTemplate() {
        constexpr int kDepth = 100000;
        std::string xml = "<?xml version=\"1.0\"?><window>";
        xml.reserve(kDepth * 20 + 100);
        for (int i = 0; i < kDepth; ++i) xml += "<element><type>area.design</type>";
        for (int i = 0; i < kDepth; ++i) xml += "</element>";
        return xml + "</window>";
    }

    // The hostile urls beside the honest one, the panel on the hostile
    // template (its record exists at the first poll only: "{poll}" is the
    // poll's number) and a record that does not exist: 16 messages, none
    // beyond what the cap on messages per file lets through.
    std::string Messages() const {
        std::string m = "<?xml version=\"1.0\" encoding=\"utf-8\"?><messages>";
        for (const std::string& url : RefusedUrls()) m += "<message>" + Element("url", url) + "</message>";
        m += "<message>" + Element("url", root_ + "/files/injected?q=\" \"file:///C:/windows/win.ini\" --x=\"") +
             "</message>";
        m += "<message><url>" + Xml(root_ + "/honest/page?poll=") + "{poll}</url></message>";
        m += "<message><ecp>HOSTILE-{poll}</ecp>" + Element("context", "\" onload=\"alert(1)\" " + std::string(2000, 'c')) +
             Element("token", "'\"><script>alert(1)</script>") + "</message>";
        m += "<message><ecp>SKIN-{poll}</ecp></message>";
        m += "<message><ecp>..\\..\\..\\nothing</ecp></message>";
        return m + "</messages>";
    }

    static std::vector<std::string> RefusedUrls() {
        return {"javascript:alert(document.cookie)",
                "JaVaScRiPt:open('file:///C:/windows/win.ini')",
                "vbscript:msgbox(1)",
                "file:///C:/windows/system32/winver.exe",
                "FILE://localhost/C:/windows/win.ini",
                "\\\\127.0.0.1\\c$\\windows\\system32\\winver.exe",
                "//127.0.0.1/c$/windows/win.ini",
                "C:\\windows\\system32\\winver.exe",
                "\" --new-window \"file:///C:/windows/win.ini",
                "http://",
                "http://127.0.0.1/\r\n\"file:///C:/windows/win.ini"};
    }

    std::string Log() {
        const auto& all = Lines();
        std::string out;
        // The last lines, each cut short (some hold the hostile names whole).
        for (size_t i = all.size() > 120 ? all.size() - 120 : 0; i < all.size(); ++i)
            out += Utf8(all[i].substr(0, 300)) + "\n";
        return out;
    }
    bool LoggedStart(const std::wstring& start, DWORD timeoutMs) {
        return WaitFor([&] {
            for (const auto& l : Lines())
                if (l.compare(0, start.size(), start) == 0) return true;
            return false;
        }, timeoutMs);
    }
    size_t RequestsWith(const std::string& part) {
        size_t n = 0;
        for (auto& r : loopback::Requests()) n += r.target.find(part) != std::string::npos;
        return n;
    }

    std::string root_;
    std::vector<std::wstring> skip_;
    Tree before_;
    std::unique_ptr<scene::DefaultBrowser> browser_;
    shell::Program* program_ = nullptr;
};

TEST_F(HostileServer, OnlyHonestUrlsReachTheBrowserNothingEscapesAndShutStillWorks) {
    program_ = &Start({});
    ASSERT_TRUE(WaitUntilInstance(*program_, 30000)) << Log();
    const DWORD pid = program_->child.pid();
    ASSERT_TRUE(WaitFor([&] { return shell::Contains(Lines(), L"Reload Settings done"); }, 30000)) << Log();

    // The dock takes no icon name that names a drive, a stream or a device.
    // (Of a path it keeps the last name only.)
    for (const wchar_t* name : {L"C:pondrel-escape-8.png", L"pondrel-escape-14.png:stream", L"CON", L"NUL.png",
                                L"COM1.png", L"AUX", L"LPT1.gif"})
        EXPECT_TRUE(LoggedStart(L"Dock: icon name refused: " + std::wstring(name), 10000)) << Utf8(name);
    // The start-up panel's template does not parse.
    EXPECT_TRUE(LoggedStart(L"Template download is not XML: " + loopback::Url(L"/files/templates/?template=ecp&skin=Deep"),
                            30000))
        << Log();
    // The first poll: the honest URL opens in the browser; the panel on the
    // hostile template opens and builds its elements down to the depth
    // bound and up to the count bound, and the one on the climbing skin goes
    // without the cache.
    const std::string honest = root_ + "/honest/page?poll=";
    ASSERT_TRUE(WaitFor([&] { return browser_->Record().find(honest) != std::string::npos; }, 30000))
        << "browser record: " << browser_->Record() << "\n" << Log();
    EXPECT_TRUE(LoggedStart(L"Launch ECP GUID: HOSTILE-1", 30000)) << Log();
    EXPECT_TRUE(LoggedStart(L"Window template nests elements deeper than 64 levels at ", 40000)) << Log();
    EXPECT_TRUE(LoggedStart(L"Window template has more than 256 elements; those from ", 30000)) << Log();
    EXPECT_TRUE(LoggedStart(L"Template key refused, loading without the cache: ", 30000)) << Log();
    // Two polls later the program is still at it, and answers its window.
    const size_t polls = RequestsWith("/messages/messages.xml");
    EXPECT_TRUE(WaitFor([&] { return RequestsWith("/messages/messages.xml") >= polls + 2; }, 60000)) << Log();
    ASSERT_FALSE(program_->child.Wait(0)) << "the program ended\n" << Log();
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(program_->frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer))
        << "the main frame does not answer\n" << Log();

    // The tray menu opens (its items fetch their icons); its first item,
    // chosen, opens nothing.  (Items are 19 pixels high from the top; the
    // first move only starts the menu's tracking, and a choice the menu
    // takes before it is ready is asked for again.)
    const std::wstring refused = L"Not opened in the browser (not an http or https URL): " + Wide(kTrayUrl);
    bool chosen = false;
    for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
        HWND tray = programharness::OpenTrayMenu(pid, 20000);
        ASSERT_TRUE(tray) << "no tray menu\n" << Log();
        const LPARAM onFirst = MAKELPARAM(20, 9);
        for (int i = 0; i < 3; ++i)
            ::SendMessageTimeoutW(tray, WM_MOUSEMOVE, 0, onFirst, SMTO_ABORTIFHUNG, 5000, &answer);
        ::SendMessageTimeoutW(tray, WM_LBUTTONUP, 0, onFirst, SMTO_ABORTIFHUNG, 5000, &answer);
        chosen = LoggedStart(refused, 5000);
    }
    EXPECT_TRUE(chosen) << Log();

    // Its own "shut" still ends it, with exit code 0.
    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"shut"}, &code, 60000)) << Log();
    EXPECT_EQ(code, 0u);
    DWORD programCode = 99;
    ASSERT_TRUE(program_->child.Wait(30000, &programCode)) << "the program did not end\n" << Log();
    EXPECT_EQ(programCode, 0u);

    // The browser was started with one argument each time, an http URL: the
    // honest one, or the injected one with its quotes encoded.
    const std::string injected = root_ + "/files/injected?q=%22 %22file:///C:/windows/win.ini%22 --x=%22";
    size_t honestOpened = 0;
    for (const std::string& line : LinesOf(browser_->Record())) {
        const std::vector<std::wstring> args = Arguments(Wide(line));
        ASSERT_EQ(args.size(), 2u) << line;
        const std::string url = Utf8(args[1]);
        if (url.compare(0, honest.size(), honest) == 0 && url.size() > honest.size() &&
            url.find_first_not_of("0123456789", honest.size()) == std::string::npos) {
            ++honestOpened;
        } else {
            EXPECT_EQ(url, injected) << line;
        }
    }
    EXPECT_GT(honestOpened, 0u);
    const std::string record = Lower(browser_->Record());
    for (const char* part : {"javascript", "vbscript", "file:///c:/windows/system32", "\\\\127.0.0.1", "c$"})
        EXPECT_EQ(record.find(part), std::string::npos) << part << " in\n" << browser_->Record();

    // Nothing written outside the program's folders, nor in the host folder
    // the absolute names aim at.
    Tree after;
    Walk(L"C:\\", skip_, after);
    std::string written;
    for (const std::wstring& path : Written(before_, after)) written += Utf8(path) + "\n";
    EXPECT_EQ(written, "") << "written outside the program's folders";
    EXPECT_TRUE(FilesIn(HostTarget()).empty());
    // Nor anything with the marker's name anywhere on drive C: but there.
    Tree all;
    Walk(L"C:\\", {}, all);
    for (const auto& [path, seen] : all) {
        if (Utf8(path).find(kMarker) == std::string::npos) continue;
        EXPECT_TRUE(std::any_of(skip_.begin(), skip_.end(),
                                [&](const std::wstring& s) { return path.compare(0, s.size(), s) == 0; }))
            << Utf8(path);
    }
    for (const auto& l : Lines()) {
        EXPECT_EQ(l.find(L"*** Exception caught"), std::wstring::npos) << Utf8(l.substr(0, 300));
        EXPECT_EQ(l.find(L"did not end within"), std::wstring::npos) << Utf8(l.substr(0, 300));
    }
}

}  // namespace
