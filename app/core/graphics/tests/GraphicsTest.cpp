// The shared texts, graphics and utilities under Wine: the string table, the
// images of the demo install and of an empty one, the image routines, the
// cache through the loopback server, directory removal and GUID text.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <vector>
#include <string>

#include "app/core/main/FileVersionInfo.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/config/EcpIcon.h"
#include "app/core/config/UserSetting.h"
#include "app/core/graphics/AppImages.h"
#include "app/core/graphics/GraphicsRules.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/core/graphics/SharedGraphics.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::Env;
using testsupport::WinPath;

std::wstring DemoImages() { return WinPath(testsupport::Utf8(Env(L"PONDREL_SOURCE_DIR"))) + L"\\demo\\Images\\"; }

// A fresh, empty directory in the temporary folder (ends in "\").
std::wstring FreshDir(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + name;
    RemoveDirectoryTree(dir, true);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\";
}

std::string Bytes(const std::wstring& path) {
    fx::UniqueHandle f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return "<missing>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    return out;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    fx::UniqueHandle f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f) << testsupport::Utf8(path);
    DWORD written = 0;
    ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool FamilyExists(const wchar_t* face) { return Gdiplus::FontFamily(face).IsAvailable() != FALSE; }

// ---- Texts ---------------------------------------------------------------

TEST(Texts, LoadedByIdWithTheInitUrlAfter109) {
    theApp.m_InitUrl = L"http://127.0.0.1:9/settings.xml";
    theApp.LoadStringResources();
    struct Case {
        unsigned id;
        const wchar_t* text;
    } cases[] = {
        {1, L"To many PondRels!"},
        {2, L"Click to download a new version of PondRel."},
        {3, L"PondRel has lost connection to the server."},
        {102, L"Enable"},
        {103, L"Disable"},
        {104, L"PondRel - Enabled and Online"},
        {105, L"PondRel - Disabled and Online"},
        {106, L"PondRel - Enabled and Offline"},
        {107, L"PondRel - Disabled and Offline"},
        {108, L"PondRel - Connecting..."},
        {109, L"Unable to connect to PondRel Server: http://127.0.0.1:9/settings.xml"},
        {110, L"You must close some of the PondRels in the dockbar or on your desktop before more can be opened."},
        {111, L"You are running the latest version of PondRel."},
        {112, L"Check for Update"},
        {113, L"Update PondRel..."},
        {114, L"A new version of PondRel is downloading and will quickly upgrade."},
        {131, L"Exit"},
        {133, L"PondRel is now installed."},
        {134, L"Select any word or phrase to begin."},
        {135, L"Downloading Update"},
    };
    for (const Case& c : cases) EXPECT_EQ(theApp.Text(c.id), c.text) << c.id;
    EXPECT_EQ(theApp.Text(101), L"");
}

// ---- Shared graphics -------------------------------------------------------

struct Slot {
    const char* name;
    ArgbBitmap SharedGraphics::*member;
    int width, height;
};
const Slot kImages[] = {
    {"splash", &SharedGraphics::splash, 320, 180},
    {"menu shadow", &SharedGraphics::menuShadow, 200, 300},
    {"sub-menu arrow", &SharedGraphics::subMenuArrow, 5, 9},
    {"menu divider", &SharedGraphics::menuDivider, 300, 2},
    {"hotspot normal", &SharedGraphics::hotspotNormal, 34, 30},
    {"hotspot over", &SharedGraphics::hotspotOver, 34, 30},
    {"product icon", &SharedGraphics::productIcon, 16, 16},
};

TEST(SharedGraphics, LoadedFromTheDemoInstall) {
    const std::wstring install = FreshDir(L"pondrel-graphics-demo");
    ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
    WIN32_FIND_DATAW f{};
    HANDLE find = ::FindFirstFileW((DemoImages() + L"*.png").c_str(), &f);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << testsupport::Utf8(DemoImages());
    do {
        ::CopyFileW((DemoImages() + f.cFileName).c_str(), (install + L"Images\\" + f.cFileName).c_str(), FALSE);
    } while (::FindNextFileW(find, &f));
    ::FindClose(find);

    theApp.m_InstallDir = install;
    EXPECT_TRUE(theApp.LoadGraphics());
    SharedGraphics& g = theApp.m_Graphics;
    for (const Slot& s : kImages) {
        const ArgbBitmap& b = g.*s.member;
        ASSERT_TRUE(b) << s.name;
        EXPECT_EQ(static_cast<int>(b->GetWidth()), s.width) << s.name;
        EXPECT_EQ(static_cast<int>(b->GetHeight()), s.height) << s.name;
        EXPECT_EQ(b->GetPixelFormat(), PixelFormat32bppARGB) << s.name;
    }
    for (const ArgbBitmap& t : g.hotspot) {
        ASSERT_TRUE(t);
        EXPECT_EQ(t->GetWidth(), 24u);
    }
    EXPECT_FALSE(g.actionsIcon);  // the settings load fills it
    ASSERT_TRUE(g.highlightBrush && g.whiteBrush && g.blackBrush && g.greyBrush && g.highlightPen);
    Gdiplus::Color c;
    g.highlightBrush->GetColor(&c);
    EXPECT_EQ(c.GetA(), 0x70);
    g.greyBrush->GetColor(&c);
    EXPECT_EQ(c.GetValue(), 0xFF969696u);
    EXPECT_EQ(g.highlightPen->GetWidth(), 1.0f);
    // The Tahoma fonts, where the system has Tahoma or a sans-serif family.
    if (g.menuFont && g.titleFont) {
        EXPECT_EQ(g.menuFont->GetSize(), 8.0f);
        EXPECT_EQ(g.menuFont->GetUnit(), Gdiplus::UnitPoint);
        EXPECT_EQ(g.titleFont->GetSize(), 12.0f);
        EXPECT_EQ(g.titleFont->GetStyle() & Gdiplus::FontStyleBold, Gdiplus::FontStyleBold);
    } else {
        EXPECT_FALSE(FamilyExists(L"Tahoma"));
    }
    ASSERT_TRUE(g.gdiFont);
    EXPECT_EQ(theApp.GetSharedGdiFont(), g.gdiFont.get());
    EXPECT_EQ(g.arrowCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(g.sizeNSCursor, ::LoadCursorW(nullptr, IDC_SIZENS));
    EXPECT_TRUE(g.moveCursor && g.sizeNWSECursor && g.sizeNESWCursor && g.sizeWECursor);
    EXPECT_EQ(g.handCursor, ::LoadCursorW(nullptr, IDC_HAND));
    // The cache folder of server icons exists.
    EXPECT_TRUE(Exists(install + L"Images\\EcpIcons"));

    theApp.FreeGraphics();
    EXPECT_FALSE(g.splash);
    EXPECT_FALSE(g.menuFont);
    EXPECT_FALSE(g.gdiFont);
    EXPECT_EQ(theApp.GetSharedGdiFont(), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    RemoveDirectoryTree(install, true);
}

TEST(SharedGraphics, EmptyImagesFolderLeavesEverySlotNull) {
    const std::wstring install = FreshDir(L"pondrel-graphics-empty");
    ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
    WriteBytes(install + L"Images\\pondrel.png", "not a picture");  // unreadable counts as missing
    theApp.m_InstallDir = install;
    EXPECT_TRUE(theApp.LoadGraphics());
    SharedGraphics& g = theApp.m_Graphics;
    for (const Slot& s : kImages) EXPECT_FALSE(g.*s.member) << s.name;
    for (const ArgbBitmap& t : g.hotspot) EXPECT_FALSE(t);
    // The rest is made all the same.
    EXPECT_TRUE(g.whiteBrush && g.highlightPen && g.gdiFont);
    // Drawing with the null slots draws nothing and does not fail.
    ArgbBitmap canvas(new Gdiplus::Bitmap(20, 20, PixelFormat32bppARGB));
    EnsureImagePiece(g.menuShadow.get(), g.actionsIcon, 0, 0, 4, 4);
    EXPECT_FALSE(g.actionsIcon);
    EXPECT_FALSE(CreateScaledBitmap(g.splash.get(), 0, 0));
    Gdiplus::Graphics gr(canvas.get());
    DrawTextString(&gr, L"x", 0, 0, nullptr, g.blackBrush.get());
    DrawTextString(nullptr, L"x", 0, 0, g.menuFont.get(), g.blackBrush.get());
    theApp.FreeGraphics();
    RemoveDirectoryTree(install, true);
}

// ---- Image routines ----------------------------------------------------------

TEST(ImageRoutines, BitmapSizes) {
    const std::wstring splash = DemoImages() + L"PondRel_Splash.png";
    struct Case {
        const char* what;
        int w, h;
        int wantW, wantH;
    } cases[] = {
        {"width 0: own size", 0, 0, 320, 180},
        {"width 0: the height is not read", 0, 77, 320, 180},
        {"scaled", 16, 16, 16, 16},
        {"stretched", 640, 90, 640, 90},
    };
    for (const Case& c : cases) {
        ArgbBitmap b = LoadImageFile(splash, c.w, c.h);
        ASSERT_TRUE(b) << c.what;
        EXPECT_EQ(static_cast<int>(b->GetWidth()), c.wantW) << c.what;
        EXPECT_EQ(static_cast<int>(b->GetHeight()), c.wantH) << c.what;
        EXPECT_EQ(b->GetPixelFormat(), PixelFormat32bppARGB) << c.what;
    }
    EXPECT_FALSE(LoadImageFile(DemoImages() + L"missing.png", 0, 0));
    EXPECT_FALSE(LoadImageFile(L"", 0, 0));
    EXPECT_FALSE(LoadImageFile(splash, -4, 10));
}

// A picture from the server or a skin folder is refused before it is
// decoded when its header claims more than the bounds: a real PNG just beyond
// them, and one whose header claims a billion pixels; one within them loads.
TEST(ImageRoutines, PicturesBeyondTheBoundsAreNotLoaded) {
    const std::wstring dir = FreshDir(L"image_bounds_tests");
    CLSID png{};
    ASSERT_GE(GetEncoderClsid(L"image/png", &png), 0);
    auto write = [&](const wchar_t* name, int w, int h) {
        Gdiplus::Bitmap b(w, h, PixelFormat32bppARGB);
        EXPECT_EQ(Gdiplus::Ok, b.Save((dir + name).c_str(), &png, nullptr)) << testsupport::Utf8(name);
        return dir + name;
    };
    const std::wstring wide = write(L"wide.png", static_cast<int>(kMaxImageSide) + 1, 2);
    const std::wstring within = write(L"within.png", static_cast<int>(kMaxImageSide), 2);
    ArgbBitmap loaded = LoadImageFile(within, 0, 0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(static_cast<UINT>(kMaxImageSide), loaded->GetWidth());
    EXPECT_FALSE(LoadImageFile(wide, 0, 0));
    EXPECT_FALSE(LoadImageFile(wide, 16, 16));  // not even to be scaled down

    std::string claims = Bytes(within);
    ASSERT_GT(claims.size(), 24u);
    for (int i = 0; i < 8; ++i) claims[16 + i] = "\x00\x00\x80\x00\x00\x00\x80\x00"[i];  // 32768 x 32768
    WriteBytes(dir + L"claims.png", claims);
    EXPECT_FALSE(LoadImageFile(dir + L"claims.png", 0, 0));
}

TEST(ImageRoutines, PiecesAreCutUnscaledAndKeptWhileTheSizeHolds) {
    // A 4 x 2 image: red left half, blue right half.
    Gdiplus::Bitmap src(4, 2, PixelFormat32bppARGB);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) src.SetPixel(x, y, x < 2 ? Gdiplus::Color(255, 255, 0, 0) : Gdiplus::Color(255, 0, 0, 255));
    ArgbBitmap piece = CreateArgbBitmap(2, 2, &src, 2, 0);
    ASSERT_TRUE(piece);
    Gdiplus::Color c;
    piece->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFF0000FFu);
    piece->GetPixel(1, 1, &c);
    EXPECT_EQ(c.GetValue(), 0xFF0000FFu);

    ArgbBitmap slot;
    EnsureImagePiece(&src, slot, 0, 0, 2, 2);
    ASSERT_TRUE(slot);
    slot->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFFFF0000u);
    // The same size from elsewhere keeps the first piece (red).
    EnsureImagePiece(&src, slot, 2, 0, 2, 2);
    slot->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFFFF0000u);
    // Another size replaces it.
    EnsureImagePiece(&src, slot, 2, 0, 1, 2);
    EXPECT_EQ(slot->GetWidth(), 1u);
    slot->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFF0000FFu);
}

TEST(ImageRoutines, FontsOfAFaceOrTheGenericSansSerif) {
    const std::wstring some = testsupport::SomeInstalledFontFamily();
    if (!some.empty()) {
        auto font = CreateGdiFont(some.c_str(), 12, Gdiplus::FontStyleBold);
        ASSERT_TRUE(font) << testsupport::Utf8(some);
        EXPECT_EQ(font->GetSize(), 12.0f);
        EXPECT_EQ(font->GetUnit(), Gdiplus::UnitPoint);
        EXPECT_EQ(font->GetStyle(), Gdiplus::FontStyleBold);
    }
    // A face that does not exist: the generic sans-serif family, when the
    // system has one; otherwise no font (and the drawing calls skip it).
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    const bool haveGeneric = generic && generic->IsAvailable();
    auto none = CreateGdiFont(L"No Such Face 9", 10, Gdiplus::FontStyleRegular);
    EXPECT_EQ(static_cast<bool>(none), haveGeneric);
    if (none) {
        Gdiplus::FontFamily family;
        none->GetFamily(&family);
        wchar_t a[LF_FACESIZE] = {}, b[LF_FACESIZE] = {};
        family.GetFamilyName(a);
        generic->GetFamilyName(b);
        EXPECT_STREQ(a, b);
    }
    EXPECT_EQ(static_cast<bool>(CreateGdiFont(L"Tahoma", 8, 0)), FamilyExists(L"Tahoma") || haveGeneric);
    // The GDI point font always comes from the font mapper.
    auto point = CreatePointFont(L"Tahoma", 80);
    ASSERT_TRUE(point);
    LOGFONTW lf{};
    ::GetObjectW(point.get(), sizeof lf, &lf);
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(lf.lfHeight, -::MulDiv(80, ::GetDeviceCaps(screen, LOGPIXELSY), 720));
    ::ReleaseDC(nullptr, screen);
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
}

// ---- The image cache over HTTP ---------------------------------------------------

TEST(ImageCache, NoRequestWhenCachedAndFailedDownloadsKeepTheFile) {
    const std::wstring dir = FreshDir(L"pondrel-image-cache");
    const std::wstring cached = dir + L"Target1.png";
    const std::wstring good = loopback::Url(L"/files/Images/Target1.png");

    // Downloaded when the cache does not hold it.
    loopback::Clear();
    ArgbBitmap b = LoadImageCached(good, 16, 16, true, cached);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->GetWidth(), 16u);
    EXPECT_EQ(loopback::Requests().size(), 1u);
    const std::string bytes = Bytes(cached);
    EXPECT_EQ(bytes, Bytes(DemoImages() + L"Target1.png"));

    // Held: no request at all.
    loopback::Clear();
    EXPECT_TRUE(LoadImageCached(good, 16, 16, true, cached));
    EXPECT_TRUE(loopback::Requests().empty());

    // Without the cache flag: always downloaded first.
    loopback::Clear();
    EXPECT_TRUE(LoadImageCached(good, 0, 0, false, cached));
    EXPECT_EQ(loopback::Requests().size(), 1u);

    // A failed download keeps the old file byte for byte (and its image).
    for (const wchar_t* bad : {L"/status/404", L"/status/500", L"/truncate/10/files/Images/Target2.png"}) {
        EXPECT_TRUE(LoadImageCached(loopback::Url(bad), 0, 0, false, cached)) << bad;
        EXPECT_EQ(Bytes(cached), bytes) << bad;
    }
    // ... and with nothing cached leaves no file.
    const std::wstring fresh = dir + L"fresh.png";
    EXPECT_FALSE(LoadImageCached(loopback::Url(L"/status/404"), 0, 0, true, fresh));
    EXPECT_FALSE(Exists(fresh));
    EXPECT_FALSE(LoadImageCached(loopback::DeadUrl(L"/x.png"), 0, 0, true, fresh));
    EXPECT_FALSE(Exists(fresh));
    RemoveDirectoryTree(dir, true);
}

TEST(ImageCache, EcpIconsStayInTheirFolder) {
    const std::wstring install = FreshDir(L"pondrel-ecp-icons");
    const std::wstring product = DemoImages();
    ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
    ::CreateDirectoryW((install + L"Images\\EcpIcons").c_str(), nullptr);
    ::CopyFileW((product + L"pondrel.png").c_str(), (install + L"Images\\pondrel.png").c_str(), FALSE);

    UserSetting record;
    record.m_InstallDir = install;
    record.m_Version = L"3";
    record.m_IconUrl = loopback::Url(L"/files/Images/Target1.png");
    ArgbBitmap icon = LoadEcpIcon(install, record);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->GetWidth(), 16u);
    EXPECT_TRUE(Exists(install + L"Images\\EcpIcons\\Target13.png"));

    // A hostile name: nothing written outside the folder, the product icon
    // answers (its own 16 x 16 size).
    record.m_IconUrl = loopback::Url(L"/files/Images/..%5C..%5Cevil.png");
    record.m_Version = L"";
    loopback::Clear();
    icon = LoadEcpIcon(install, record);
    ASSERT_TRUE(icon);
    EXPECT_FALSE(Exists(install + L"evil.png"));
    record.m_IconUrl = L"http://127.0.0.1:1/a\\..\\..\\evil.png";
    icon = LoadEcpIcon(install, record);
    EXPECT_TRUE(icon);
    EXPECT_FALSE(Exists(install + L"evil.png"));
    EXPECT_TRUE(loopback::Requests().size() <= 1u);

    // The application image and the banner fall back to the product icon.
    ArgbBitmap app = LoadAppImage(install, loopback::Url(L"/status/404"), L"EcpIcons\\missing1.png");
    ASSERT_TRUE(app);
    EXPECT_FALSE(Exists(install + L"Images\\EcpIcons\\missing1.png"));
    ::CreateDirectoryW((install + L"Images\\EcpBanners").c_str(), nullptr);
    ::CopyFileW((product + L"PondRel_Splash.png").c_str(), (install + L"Images\\EcpBanners\\ID-1.gif").c_str(), FALSE);
    ArgbBitmap banner = FindEcpBannerImage(install, L"ID-1");
    ASSERT_TRUE(banner);
    EXPECT_EQ(banner->GetWidth(), 150u);
    EXPECT_EQ(banner->GetHeight(), 50u);
    banner = FindEcpBannerImage(install, L"..\\Images\\EcpBanners\\ID-1");
    ASSERT_TRUE(banner);
    EXPECT_EQ(banner->GetWidth(), 16u);
    RemoveDirectoryTree(install, true);
}

// The menus' item icons (and the action marker): downloaded into the cache
// folder once, under the sanitised name of the URL's last segment (and its
// query's hash); the product icon when nothing loads.
TEST(ImageCache, ItemIconsAreDownloadedOnceIntoTheCacheFolder) {
    const std::wstring install = FreshDir(L"pondrel-item-icons");
    ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
    ::CopyFileW((DemoImages() + L"pondrel.png").c_str(), (install + L"Images\\pondrel.png").c_str(), FALSE);
    const std::wstring cache = install + L"Cache\\";
    ::CreateDirectoryW(cache.c_str(), nullptr);

    const std::wstring url = loopback::Url(L"/files/Images/Target1.png?v=2");
    loopback::Clear();
    ArgbBitmap icon = LoadCachedIcon(install, cache, url);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->GetWidth(), 16u);
    EXPECT_EQ(icon->GetHeight(), 16u);
    EXPECT_EQ(loopback::Requests().size(), 1u);
    EXPECT_EQ(Bytes(cache + L"Target1_q023cea94.png"), Bytes(DemoImages() + L"Target1.png")) << "its query's file";
    loopback::Clear();
    EXPECT_TRUE(LoadCachedIcon(install, cache, url));
    EXPECT_TRUE(loopback::Requests().empty()) << "the cached copy is used";
    // The same path with another query is another icon: the server is
    // asked for it, and the first one's copy stays as it was.
    loopback::Clear();
    EXPECT_TRUE(LoadCachedIcon(install, cache, loopback::Url(L"/files/Images/Target1.png?v=3")));
    EXPECT_EQ(loopback::Requests().size(), 1u) << "?v=3 is not ?v=2's cached copy";
    EXPECT_TRUE(Exists(cache + L"Target1_q283f64fd.png"));
    EXPECT_EQ(Bytes(cache + L"Target1_q023cea94.png"), Bytes(DemoImages() + L"Target1.png"));

    // Nothing loads: the installed product icon at its own size, nothing
    // cached; a hostile name is never requested nor written outside.
    ArgbBitmap product = LoadImageFile(install + L"Images\\pondrel.png", 0, 0);
    ASSERT_TRUE(product);
    struct Case {
        std::wstring url, cache;
    } cases[] = {
        {loopback::Url(L"/files/Images/missing.png"), cache},
        {L"http://127.0.0.1:1/a/..", cache},
        {loopback::Url(L"/files/Images/Target2.png"), L""},  // no cache folder: no download
    };
    for (const Case& c : cases) {
        loopback::Clear();
        ArgbBitmap fallback = LoadCachedIcon(install, c.cache, c.url);
        ASSERT_TRUE(fallback) << testsupport::Utf8(c.url);
        EXPECT_EQ(fallback->GetWidth(), product->GetWidth());
        EXPECT_FALSE(Exists(cache + L"missing.png"));
        if (c.cache.empty()) EXPECT_TRUE(loopback::Requests().empty());
    }

    // The settings' action marker goes into the shared graphics.
    theApp.m_InstallDir = install;
    theApp.m_CacheDir = cache;
    theApp.m_Graphics.actionsIcon.reset();
    theApp.LoadActionMarkerImage(url);
    ASSERT_TRUE(theApp.m_Graphics.actionsIcon);
    EXPECT_EQ(theApp.m_Graphics.actionsIcon->GetWidth(), 16u);
    theApp.m_Graphics.actionsIcon.reset();
    theApp.m_CacheDir.clear();
    RemoveDirectoryTree(install, true);
}

// ---- Files and directories -----------------------------------------------------

TEST(Files, ExistsEnsureAndDotEntries) {
    const std::wstring dir = FreshDir(L"pondrel-files");
    WriteBytes(dir + L"a.txt", "a");
    EXPECT_TRUE(FileExists(dir + L"a.txt"));
    EXPECT_TRUE(FileExists(dir));  // directories count
    EXPECT_FALSE(FileExists(dir + L"b.txt"));
    EXPECT_FALSE(FileExists(dir + L"*.txt"));  // no wildcard match
    EXPECT_FALSE(FileExists(dir + L"?.txt"));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_FALSE(FileExists(dir + std::wstring(300, L'x')));
    EXPECT_TRUE(EnsureDirectory(dir + L"sub"));
    EXPECT_TRUE(EnsureDirectory(dir + L"sub"));
    EXPECT_FALSE(EnsureDirectory(dir + L"no\\such\\deep"));
    EXPECT_TRUE(IsDotEntry(L"."));
    EXPECT_TRUE(IsDotEntry(L".."));
    EXPECT_FALSE(IsDotEntry(L"..."));
    EXPECT_FALSE(IsDotEntry(L".x"));
    EXPECT_FALSE(IsDotEntry(L""));
    EXPECT_FALSE(IsDotEntry(nullptr));
    RemoveDirectoryTree(dir, true);
}

TEST(RemoveDirectoryTree, ReadOnlyFilesAndNestedFolders) {
    const std::wstring dir = FreshDir(L"pondrel-remove");
    ::CreateDirectoryW((dir + L"a").c_str(), nullptr);
    ::CreateDirectoryW((dir + L"a\\b").c_str(), nullptr);
    WriteBytes(dir + L"top.txt", "1");
    WriteBytes(dir + L"a\\b\\deep.txt", "2");
    WriteBytes(dir + L"a\\ro.txt", "3");
    ::SetFileAttributesW((dir + L"a\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // The flag clear: emptied, the directory stays, the answer is false.
    EXPECT_FALSE(RemoveDirectoryTree(dir, false));
    EXPECT_TRUE(Exists(dir));
    EXPECT_FALSE(Exists(dir + L"a"));
    EXPECT_FALSE(Exists(dir + L"top.txt"));
    // The flag set: gone.
    WriteBytes(dir + L"again.txt", "4");
    EXPECT_TRUE(RemoveDirectoryTree(dir.substr(0, dir.size() - 1), true));
    EXPECT_FALSE(Exists(dir));
    // Nothing there.
    EXPECT_FALSE(RemoveDirectoryTree(dir, true));
}

TEST(RemoveDirectoryTree, PathsLongerThan260Characters) {
    const std::wstring dir = FreshDir(L"pondrel-remove-long");
    std::wstring deep = L"\\\\?\\" + dir.substr(0, dir.size() - 1);
    const std::wstring part(60, L'd');
    for (int i = 0; i < 6; ++i) {
        deep += L"\\" + part;
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr)) << i;
    }
    ASSERT_GT(deep.size(), 300u);
    WriteBytes(deep + L"\\" + std::wstring(40, L'f') + L".txt", "x");
    EXPECT_TRUE(RemoveDirectoryTree(dir, true));
    EXPECT_FALSE(Exists(dir));
}

// A junction (mount-point reparse point) at `link` to `target`; false when
// this file system cannot make one.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
    if (!::CreateDirectoryW(link.c_str(), nullptr)) return false;
    fx::UniqueHandle h(::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) return false;
    const std::wstring sub = L"\\??\\" + target;
    const USHORT subBytes = static_cast<USHORT>(sub.size() * 2), printBytes = static_cast<USHORT>(target.size() * 2);
    std::vector<BYTE> buf(8 + 8 + subBytes + 2 + printBytes + 2, 0);
    auto put16 = [&](size_t at, USHORT v) { memcpy(&buf[at], &v, 2); };
    DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    memcpy(&buf[0], &tag, 4);
    put16(4, static_cast<USHORT>(buf.size() - 8));
    put16(8, 0);
    put16(10, subBytes);
    put16(12, static_cast<USHORT>(subBytes + 2));
    put16(14, printBytes);
    memcpy(&buf[16], sub.data(), subBytes);
    memcpy(&buf[16 + subBytes + 2], target.data(), printBytes);
    DWORD got = 0;
    return ::DeviceIoControl(h.get(), FSCTL_SET_REPARSE_POINT, buf.data(), static_cast<DWORD>(buf.size()), nullptr, 0,
                             &got, nullptr) != FALSE;
}

TEST(RemoveDirectoryTree, AJunctionGoesAsALinkAndItsTargetStays) {
    const std::wstring target = FreshDir(L"pondrel-junction-target");
    WriteBytes(target + L"keep.txt", "keep");
    const std::wstring dir = FreshDir(L"pondrel-junction-cache");
    const std::wstring link = dir + L"link";
    if (!MakeJunction(link, target.substr(0, target.size() - 1))) {
        RemoveDirectoryTree(dir, true);
        RemoveDirectoryTree(target, true);
        GTEST_SKIP() << "this file system makes no junctions";
    }
    ASSERT_TRUE(::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(RemoveDirectoryTree(dir, true));
    EXPECT_FALSE(Exists(dir));
    EXPECT_EQ(Bytes(target + L"keep.txt"), "keep");
    RemoveDirectoryTree(target, true);
}

// ---- Texts of numbers and GUIDs, version resource -----------------------------

TEST(Utilities, NewGuidStringFormat) {
    const std::wregex form(L"[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
    std::wstring a = NewGuidString(), b = NewGuidString();
    EXPECT_TRUE(std::regex_match(a, form)) << testsupport::Utf8(a);
    EXPECT_NE(a, b);
}

TEST(Utilities, FileVersionOfThisProgram) {
    CFileVersionInfo v;
    ASSERT_TRUE(v.Create());
    EXPECT_EQ(v.GetFixedInfo().dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(v.GetProductVersionLS(), 50u);  // 1.0.0.50
    ASSERT_EQ(v.GetTranslationCount(), 1u);
    EXPECT_EQ(v.GetTranslations()[0], MAKELONG(0x409, 1200));
    v.Reset();
    EXPECT_FALSE(v.IsValid());
    EXPECT_FALSE(v.CreateFromFile(nullptr));
    EXPECT_FALSE(v.CreateFromFile(L"C:\\no\\such.exe"));
    EXPECT_FALSE(v.IsValid());
}

TEST(Utilities, CenterWindowOnThePrimaryScreen) {
    HWND w = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 3, 4, 100, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    CenterWindowOnScreen(w);
    RECT r{};
    ::GetWindowRect(w, &r);
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 100) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - 50) / 2);
    EXPECT_EQ(r.right - r.left, 100);
    ::DestroyWindow(w);
}

}  // namespace
