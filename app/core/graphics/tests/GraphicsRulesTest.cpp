#include "app/core/graphics/GraphicsRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CacheFileNameFromUrl, OrdinaryAndHostileNames) {
    const std::wstring p = L"EcpIcons\\";
    struct Case {
        const wchar_t* url;
        const wchar_t* version;
        const wchar_t* name;  // "" = refused
    } cases[] = {
        // Ordinary names, as the settings give them.
        {L"http://h/images/search.png", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/images/logo.big.png", L"7", L"EcpIcons\\logo7.big.png"},
        {L"http://h/images/search.png", L"", L"EcpIcons\\search.png"},
        {L"http://h/a/b/c/icon-16_x.gif", L"12", L"EcpIcons\\icon-16_x12.gif"},
        {L"http://h/images/noext", L"4", L"EcpIcons\\noext4"},
        {L"/images/search.png", L"3", L"EcpIcons\\search3.png"},
        // A fragment is not part of the name; a query is, as its hash after
        // the version (the hashes are FNV-1a of the query's UTF-16LE bytes).
        {L"http://h/img/search.png?size=16&v=2", L"3", L"EcpIcons\\search3_qcc5a74fd.png"},
        {L"http://h/img/search.png?size=16&v=2#top", L"3", L"EcpIcons\\search3_qcc5a74fd.png"},
        {L"http://h/img/search.png#top", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/img/search.png#top?v=2", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/img/search.png?", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/icon?name=../../x.png", L"1", L"EcpIcons\\icon1_q913e5420"},
        // No "/" after the first character: the whole text names it.
        {L"search.png", L"3", L"EcpIcons\\search3.png"},
        {L"/search.png", L"3", L"EcpIcons\\_search3.png"},
        // Hostile segments stay inside the folder and match nothing else.
        {L"http://h/img/..\\..\\PondRel.exe", L"1", L""},
        {L"http://h/img/a\\b.png", L"1", L"EcpIcons\\a_b1.png"},
        {L"http://h/img/C:evil.png", L"1", L"EcpIcons\\C_evil1.png"},
        {L"http://h/img/*.png", L"1", L"EcpIcons\\_1.png"},
        {L"http://h/img/a?.png", L"1", L"EcpIcons\\a1_q052e93da"},
        {L"http://h/img/sp ace<>|\".png", L"1", L"EcpIcons\\sp_ace____1.png"},
        {L"http://h/img/..", L"1", L""},
        {L"http://h/img/..png", L"", L""},
        {L"http://h/img/.", L"", L""},
        {L"http://h/img/", L"", L""},
        {L"http://h/img/%2e%2e%2fx.png", L"1", L"EcpIcons\\_2e_2e_2fx1.png"},
        {L"http://h/img/caf\u00e9.png", L"1", L"EcpIcons\\caf_1.png"},
        // The version is the server's too.
        {L"http://h/img/s.png", L"..\\..\\x", L""},
        {L"http://h/img/s.png", L"1/2", L"EcpIcons\\s1_2.png"},
        // Device names open devices, not files.
        {L"http://h/img/con.png", L"", L""},
        {L"http://h/img/NUL", L"", L""},
        {L"http://h/img/com1.png", L"", L""},
        {L"http://h/img/COM0.png", L"", L""},
        {L"http://h/img/lpt0", L"", L""},
        {L"http://h/img/LPT", L"0", L""},
        {L"http://h/img/con.png", L"2", L"EcpIcons\\con2.png"},
        {L"http://h/img/console.png", L"", L"EcpIcons\\console.png"},
    };
    for (const Case& c : cases) EXPECT_EQ(CacheFileNameFromUrl(c.url, c.version, p), c.name) << c.url;
    // The same URL, version and prefix always give the same name.
    EXPECT_EQ(CacheFileNameFromUrl(L"nourl", L"2", p), CacheFileNameFromUrl(L"nourl", L"2", p));
}

// Icons that differ only in their query are different images: each pair
// gets two names, and each URL the same name every time.
TEST(CacheFileNameFromUrl, UrlsThatDifferOnlyInTheirQueryKeepFilesOfTheirOwn) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        const wchar_t* version;
    } cases[] = {
        {L"http://h/icon.php?id=1", L"http://h/icon.php?id=2", L""},
        {L"http://h/img/search.png?v=2", L"http://h/img/search.png?v=3", L"4"},
        {L"http://h/img/search.png", L"http://h/img/search.png?v=2", L"4"},
        {L"http://h/get?a=1", L"http://h/get?a&1", L""},  // alike once sanitized
        {L"http://h/get?x=1", L"http://h/get?X=1", L""},  // case counts in a query
    };
    for (const Case& c : cases) {
        const std::wstring a = CacheFileNameFromUrl(c.a, c.version, L"EcpIcons\\");
        const std::wstring b = CacheFileNameFromUrl(c.b, c.version, L"EcpIcons\\");
        EXPECT_FALSE(a.empty()) << c.a;
        EXPECT_FALSE(b.empty()) << c.b;
        EXPECT_NE(a, b) << c.a << " and " << c.b;
        EXPECT_EQ(a, CacheFileNameFromUrl(c.a, c.version, L"EcpIcons\\")) << c.a;
    }
}

// Headers as a server or a skin folder may send them, each claiming a size.
std::vector<unsigned char> Png(unsigned long w, unsigned long h) {
    std::vector<unsigned char> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (unsigned long v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<unsigned char>(v >> shift));
    b.insert(b.end(), {8, 6, 0, 0, 0});
    return b;
}
std::vector<unsigned char> Bmp(long w, long h) {
    std::vector<unsigned char> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    b[14] = 40;
    for (int i = 0; i < 4; ++i) {
        b[18 + i] = static_cast<unsigned char>(static_cast<unsigned long>(w) >> (8 * i));
        b[22 + i] = static_cast<unsigned char>(static_cast<unsigned long>(h) >> (8 * i));
    }
    return b;
}
// A JPEG with an application segment of `padding` bytes before its frame.
std::vector<unsigned char> Jpeg(unsigned w, unsigned h, unsigned marker, size_t padding) {
    std::vector<unsigned char> b = {0xFF, 0xD8, 0xFF, 0xE1};
    const size_t length = padding + 2;
    b.push_back(static_cast<unsigned char>(length >> 8));
    b.push_back(static_cast<unsigned char>(length));
    b.insert(b.end(), padding, 0xAB);
    b.insert(b.end(), {0xFF, 0xFF, 0xFF, static_cast<unsigned char>(marker), 0, 17, 8});  // fill bytes, then the frame
    b.insert(b.end(), {static_cast<unsigned char>(h >> 8), static_cast<unsigned char>(h),
                       static_cast<unsigned char>(w >> 8), static_cast<unsigned char>(w), 3});
    return b;
}

TEST(ImageHeaderSize, EachFormatsClaimedSize) {
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        bool known;
        long long width, height;
    };
    const std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00, 0};
    std::vector<unsigned char> ico = {0, 0, 1, 0, 2, 0};
    std::vector<unsigned char> entry(16, 0);
    entry[0] = 16;
    entry[1] = 16;
    ico.insert(ico.end(), entry.begin(), entry.end());
    entry[0] = entry[1] = 0;  // 256 x 256
    ico.insert(ico.end(), entry.begin(), entry.end());
    std::vector<unsigned char> core = Bmp(0, 0);
    core[14] = 12;
    core[18] = 0x34;
    core[19] = 0x12;
    core[20] = 7;
    const std::vector<unsigned char> png = Png(16, 24), longJpeg = Jpeg(640, 480, 0xC0, 5000);
    const std::vector<Case> cases = {
        {"png", png, true, 16, 24},
        {"png of four billion", Png(0xFFFFFFFFUL, 1), true, 0xFFFFFFFFLL, 1},
        {"png cut short", std::vector<unsigned char>(png.begin(), png.begin() + 20), false, 0, 0},
        {"gif", gif, true, 320, 240},
        {"bmp", Bmp(105, 86), true, 105, 86},
        {"bmp top-down", Bmp(105, -86), true, 105, 86},
        {"bmp of the int range's end", Bmp(1, -2147483647L - 1), true, 1, 2147483648LL},
        {"bmp core header", core, true, 0x1234, 7},
        {"jpeg", Jpeg(640, 480, 0xC0, 10), true, 640, 480},
        {"progressive jpeg behind a long segment", Jpeg(65535, 65535, 0xC2, 5000), true, 65535, 65535},
        {"jpeg without a frame in reach", std::vector<unsigned char>(longJpeg.begin(), longJpeg.begin() + 3000), false,
         0, 0},
        {"jpeg huffman table is no frame", Jpeg(640, 480, 0xC4, 10), false, 0, 0},
        {"icon", ico, true, 256, 256},
        {"icon directory cut short", std::vector<unsigned char>(ico.begin(), ico.begin() + 20), false, 0, 0},
        {"text", {'<', 'h', 't', 'm', 'l', '>', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}, false, 0, 0},
        {"nothing", {}, false, 0, 0},
    };
    for (const Case& c : cases) {
        long long w = -1, h = -1;
        EXPECT_EQ(c.known, ImageHeaderSize(c.bytes.data(), c.bytes.size(), &w, &h)) << c.name;
        if (c.known) {
            EXPECT_EQ(c.width, w) << c.name;
            EXPECT_EQ(c.height, h) << c.name;
        }
    }
}

TEST(ImageHeaderSize, PicturesBeyondTheBoundsAreRefused) {
    struct Case {
        long long width, height;
        bool acceptable;
    } cases[] = {
        {16, 16, true},       {0, 0, true},          {8192, 2048, true},    {4096, 4096, true},
        {8193, 1, false},     {1, 8193, false},      {8192, 2049, false},   {4097, 4096, false},
        {0xFFFFFFFFLL, 1, false}, {2147483648LL, 2147483648LL, false}, {-1, 5, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.acceptable, ImageSizeAcceptable(c.width, c.height)) << c.width << "x" << c.height;
}

}  // namespace
