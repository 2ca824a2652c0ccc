// The checks on data the extension leaves in the channel, and the forms of
// what the enhancer writes into it.
#include <gtest/gtest.h>

#include <cstddef>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ChannelRules.h"

using namespace ffchannel;

TEST(BoundedLength, StopsAtTheFieldEnd) {
    std::u16string full(8, u'x');
    EXPECT_EQ(-1, BoundedLength(full.data(), 8));  // no terminator inside
    EXPECT_EQ(3, BoundedLength(u"abc\0zz", 6));
    EXPECT_EQ(0, BoundedLength(u"", 1));
    char narrow[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(-1, BoundedLength(narrow, 4));
}

TEST(CheckSelection, Table) {
    struct Case {
        const char* name;
        int32_t count;
        std::vector<int32_t> rectCounts;
        int textLength;
        Refusal refusal;
        int rects;
    };
    const std::vector<Case> cases = {
        {"none", 0, {}, 0, Refusal::kOk, 0},
        {"two pieces", 2, {1, 2}, 7, Refusal::kOk, 3},
        {"32 pieces", 32, std::vector<int32_t>(32, 3), 100, Refusal::kOk, 96},
        {"33 pieces", 33, std::vector<int32_t>(32, 0), 10, Refusal::kCountOutOfRange, 0},
        {"negative count", -1, {}, 10, Refusal::kCountOutOfRange, 0},
        {"huge count", 0x7fffffff, {}, 10, Refusal::kCountOutOfRange, 0},
        {"100 rects", 2, {50, 50}, 5, Refusal::kOk, 100},
        {"101 rects", 2, {50, 51}, 5, Refusal::kTooManyRects, 0},
        {"negative rect count", 2, {-5, 10}, 5, Refusal::kRectCountOutOfRange, 0},
        {"overflowing rect counts", 2, {0x7fffffff, 0x7fffffff}, 5, Refusal::kRectCountOutOfRange, 0},
        {"longest text", 1, {1}, kSelectionChars - 1, Refusal::kOk, 1},
        {"text without terminator", 1, {1}, -1, Refusal::kTextUnterminated, 0},
        // Counts past the used pieces are not looked at.
        {"garbage after used counts", 1, {2, -7, 1000}, 3, Refusal::kOk, 2},
    };
    for (const auto& c : cases) {
        std::vector<int32_t> counts(kMaxSelectionPieces, 0);
        for (size_t i = 0; i < c.rectCounts.size() && i < counts.size(); ++i) counts[i] = c.rectCounts[i];
        SelectionCheck r = CheckSelection(c.count, counts.data(), c.textLength);
        EXPECT_EQ(c.refusal, r.refusal) << c.name;
        EXPECT_EQ(c.rects, r.rects) << c.name;
        EXPECT_EQ(c.refusal == Refusal::kOk ? c.count : 0, r.pieces) << c.name;
    }
}

TEST(CheckHotSpots, Table) {
    struct Case {
        int32_t count;
        int texts, hrefs, ids;
        Refusal refusal;
    };
    const Case cases[] = {
        {0, 0, 0, 0, Refusal::kOk},
        {100, 10, 10, 10, Refusal::kOk},
        {101, 10, 10, 10, Refusal::kCountOutOfRange},
        {-3, 10, 10, 10, Refusal::kCountOutOfRange},
        {1, kHotSpotChars - 1, kHotSpotChars - 1, kHotSpotChars - 1, Refusal::kOk},
        {1, -1, 0, 0, Refusal::kTextUnterminated},
        {1, 0, -1, 0, Refusal::kTextUnterminated},
        {1, 0, 0, -1, Refusal::kTextUnterminated},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.refusal, CheckHotSpots(c.count, c.texts, c.hrefs, c.ids))
            << c.count << " " << c.texts << " " << c.hrefs << " " << c.ids;
}

// The checks on a copy of the whole block read its own (packed) fields.
TEST(CheckBlockCopy, ReadsTheCopysFields) {
    auto copy = std::make_unique<ChannelBlock>();
    copy->selectionCount = 2;
    const int32_t counts[2] = {3, 4};
    std::memcpy(reinterpret_cast<char*>(copy.get()) + offsetof(ChannelBlock, selectionRectCounts), counts,
                sizeof counts);
    copy->selectionText[0] = u'a';
    copy->hotSpotCount = 100;
    SelectionCheck ok = CheckSelection(*copy);
    EXPECT_EQ(Refusal::kOk, ok.refusal);
    EXPECT_EQ(7, ok.rects);
    EXPECT_EQ(Refusal::kOk, CheckHotSpots(*copy));

    for (auto& c : copy->selectionText) c = u'x';  // no terminator in the field
    EXPECT_EQ(Refusal::kTextUnterminated, CheckSelection(*copy).refusal);
    copy->hotSpotCount = 101;
    EXPECT_EQ(Refusal::kCountOutOfRange, CheckHotSpots(*copy));
    copy->hotSpotCount = 1;
    for (auto& c : copy->hotSpotHrefs) c = u'y';
    EXPECT_EQ(Refusal::kTextUnterminated, CheckHotSpots(*copy));
}

TEST(SiteStringOffset, Table) {
    struct Case {
        int32_t count;
        int64_t used, length, offset;
    };
    const Case cases[] = {
        {0, 0, 5, 0},        {3, 40, 5, 40},  {0, 0, 4095, -1},  // 8190 + 2 = 8192: would fill the pool
        {0, 0, 4094, 0},                                         // 8188 + 2 < 8192
        {1, 8000, 100, -1},                                      // too long for what is left ...
        {1, 8000, 10, 8000},                                     // ... a shorter one still fits
        {255, 0, 1, 0},      {256, 0, 1, -1},                    // table full
        {-1, 0, 1, -1},                                          // garbage count
        {0, -2, 1, -1},                                          // garbage next-free address
        {0, 9000, 1, -1},    {0, 7, 1, -1},                      // not on a character boundary
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.offset, SiteStringOffset(c.count, c.used, c.length)) << c.count << " " << c.used << " " << c.length;
}

TEST(EncodeNavigateUrl, Table) {
    struct Case {
        std::u16string url;
        bool ok;
        std::string out;
    };
    const std::vector<Case> cases = {
        {u"http://example.com/a?b=c", true, "http://example.com/a?b=c"},
        {u"http://ex.com/caf\u00e9", true, "http://ex.com/caf%C3%A9"},
        {u"http://ex.com/\u20ac", true, "http://ex.com/%E2%82%AC"},
        {u"http://ex.com/\U0001F600", true, "http://ex.com/%F0%9F%98%80"},
        {std::u16string(255, u'a'), true, std::string(255, 'a')},
        {std::u16string(256, u'a'), false, ""},
        // Short in characters, too long once encoded.
        {std::u16string(200, u'a') + std::u16string(20, u'\u00e9'), false, ""},
        {u"", true, ""},
    };
    for (const auto& c : cases) {
        std::string out = "junk";
        EXPECT_EQ(c.ok, EncodeNavigateUrl(c.url.data(), c.url.size(), out)) << c.url.size();
        EXPECT_EQ(c.out, out) << c.url.size();
    }
}

TEST(WidenExtensionLog, BoundedToLogAndBuffer) {
    std::vector<char> log(kExtensionLogBytes, 'x');  // no terminator at all
    std::vector<char16_t> out(4096 + 10, u'?');
    EXPECT_EQ(4095, WidenExtensionLog(log.data(), out.data(), 4096));
    EXPECT_EQ(u'\0', out[4095]);
    EXPECT_EQ(u'?', out[4096]);

    // A bigger buffer still reads no more than the log's 4096 bytes.
    std::vector<char16_t> big(10000, u'?');
    EXPECT_EQ(kExtensionLogBytes, WidenExtensionLog(log.data(), big.data(), 10000));

    const char text[] = "a\n\xe9z";
    char16_t small[16];
    EXPECT_EQ(4, WidenExtensionLog(text, small, 16));
    EXPECT_EQ(std::u16string(u"a\n\u00e9z"), std::u16string(small));
    EXPECT_EQ(2, WidenExtensionLog(text, small, 3));
    EXPECT_EQ(std::u16string(u"a\n"), std::u16string(small));
}

// The reads out of the block: copied, then judged on the copy; a refused
// answer leaves empty texts and no rectangles.
TEST(CopyAnswers, FromTheBlock) {
    std::unique_ptr<ChannelBlock> block(new ChannelBlock());
    std::memset(block.get(), 0, sizeof *block);
    ChannelBlock& b = *block;
    for (int i = 0; i < kMaxSelectionRects; ++i) b.selectionRects[i] = ChannelRect{i, i, i, i};
    for (int i = 0; i < kMaxHotSpots; ++i) b.hotSpotRects[i] = ChannelRect{-i, -i, -i, -i};
    std::unique_ptr<char16_t[]> text(new char16_t[kSelectionChars]);
    int32_t counts[kMaxSelectionPieces];
    ChannelRect rects[kMaxSelectionRects] = {};

    struct Case {
        const char* name;
        int32_t count;
        std::vector<int32_t> rectCounts;
        bool terminated;
        Refusal refusal;
    };
    const std::vector<Case> cases = {
        {"two pieces", 2, {1, 2}, true, Refusal::kOk},
        {"too many rectangles", 2, {60, 41}, true, Refusal::kTooManyRects},
        {"unterminated text", 1, {1}, false, Refusal::kTextUnterminated},
    };
    for (const Case& c : cases) {
        b.selectionCount = c.count;
        for (size_t i = 0; i < c.rectCounts.size(); ++i) b.selectionRectCounts[i] = c.rectCounts[i];
        for (int i = 0; i < kSelectionChars; ++i) b.selectionText[i] = u'a';
        if (c.terminated) b.selectionText[5] = 0;
        const ChannelRect untouched{7, 7, 7, 7};
        for (ChannelRect& r : rects) r = untouched;
        const SelectionCheck got = CopySelection(b, text.get(), counts, rects);
        EXPECT_EQ(c.refusal, got.refusal) << c.name;
        if (c.refusal == Refusal::kOk) {
            EXPECT_EQ(std::u16string(u"aaaaa"), std::u16string(text.get())) << c.name;
            EXPECT_EQ(2, rects[2].left) << c.name;
            EXPECT_EQ(7, rects[3].left) << c.name;  // past the answer's rectangles nothing is copied
        } else {
            EXPECT_EQ(u'\0', text[0]) << c.name;
            EXPECT_EQ(7, rects[0].left) << c.name;
        }
    }

    std::unique_ptr<char16_t[]> texts(new char16_t[kHotSpotChars]), hrefs(new char16_t[kHotSpotChars]),
        ids(new char16_t[kHotSpotChars]);
    ChannelRect spots[kMaxHotSpots];
    int count = -1;
    b.hotSpotCount = 2;
    EXPECT_EQ(Refusal::kOk, CopyHotSpots(b, texts.get(), hrefs.get(), ids.get(), spots, &count));
    EXPECT_EQ(2, count);
    EXPECT_EQ(-1, spots[1].left);
    b.hotSpotCount = 101;
    EXPECT_EQ(Refusal::kCountOutOfRange, CopyHotSpots(b, texts.get(), hrefs.get(), ids.get(), spots, &count));
    EXPECT_EQ(0, count);

    char16_t page[kPageTextChars];
    std::fill(page, page + kPageTextChars, u'?');
    for (int i = 0; i < kPageTextChars; ++i) b.title[i] = u'x';
    EXPECT_FALSE(CopyPageText(b.title, page));
    EXPECT_EQ(u'?', page[0]);  // a refused text leaves the old one
    b.title[3] = 0;
    EXPECT_TRUE(CopyPageText(b.title, page));
    EXPECT_EQ(std::u16string(u"xxx"), std::u16string(page));
}
