// The Firefox channel's block as a hostile or broken extension may leave it,
// read by the enhancer's rules and turned into its items: the page texts,
// the selection and the hot spots copied and judged, the site strings and
// the navigation written, the extension's log widened and cut into lines,
// the hot spots' id lists and context texts.  No sanitizer report (the
// block is a heap block of its exact size, so any read or write past a
// field or the block is seen), and
//   - a selection taken has at most 32 pieces and 100 rectangles, its text
//     ends inside its field, and it gives no more items than rectangles;
//   - hot spots taken are at most 100, their texts end inside their fields;
//   - a site string lands inside the pool, an even offset, its terminator
//     included; a navigation URL fits its field as ASCII;
//   - the widened log ends inside the buffer; an id list's XML keeps within
//     its limit; a hot spot's context text is well-formed XML that gives
//     back the location as written (when it holds only XML characters).
//
// The input, one item a line, "name=value" for a block field as the
// extension writes it (location, domain, title, selection, hotSpotTexts,
// hotSpotHrefs, hotSpotIds, log: UTF-16 texts, the log's low bytes; "\t",
// "\n", "\0" and "\\" stand for themselves): "name!=value" leaves the field
// without terminator.  selectionCount, hotSpotCount, siteStringCount and
// siteStringUsed (the pool's used bytes) take a number, rectCounts numbers
// separated by ",".  "site=" adds a site string, "navigate=" sets the
// navigation URL, as the enhancer does.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ChannelRules.h"
#include "Hextens/HXFirefox/FirefoxText.h"
#include "ParseBack.h"
#include "tests/support/FuzzInput.h"

using namespace ffchannel;

namespace {

std::u16string Unescape(const std::wstring& value) {
    std::u16string out;
    for (size_t i = 0; i < value.size(); ++i) {
        wchar_t c = value[i];
        if (c == L'\\' && i + 1 < value.size()) {
            const wchar_t n = value[++i];
            c = n == L't' ? L'\t' : n == L'n' ? L'\n' : n == L'0' ? L'\0' : n;
        }
        out += static_cast<char16_t>(c);
    }
    return out;
}

void WriteText(char16_t* field, int capacity, const std::u16string& text, bool terminated) {
    const int n = std::min<int>(static_cast<int>(text.size()), capacity);
    std::memcpy(field, text.data(), sizeof(char16_t) * static_cast<size_t>(n));
    if (terminated) {
        if (n < capacity) field[n] = 0;
    } else {
        for (int i = n; i < capacity; ++i) field[i] = u'x';
        for (int i = 0; i < n; ++i)
            if (field[i] == 0) field[i] = u'x';
    }
}

int32_t Number(const std::wstring& value, size_t* at) {
    long long v = 0;
    bool negative = false;
    if (*at < value.size() && value[*at] == L'-') negative = true, ++*at;
    for (; *at < value.size() && value[*at] >= L'0' && value[*at] <= L'9'; ++*at)
        v = std::min(v * 10 + (value[*at] - L'0'), 0x7fffffffLL);
    return static_cast<int32_t>(negative ? -v : v);
}

std::wstring Wide(const char16_t* text) {
    std::wstring out;
    for (; *text; ++text) out += static_cast<wchar_t>(*text);
    return out;
}

bool XmlCharactersOnly(const std::wstring& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned c = static_cast<unsigned>(s[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        if (!(c == 0x9 || c == 0xA || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD))) return false;
    }
    return true;
}

struct Channel {
    std::unique_ptr<uint8_t[]> bytes{new uint8_t[sizeof(ChannelBlock)]()};
    ChannelBlock& block = *reinterpret_cast<ChannelBlock*>(bytes.get());
    int64_t used = 0;  // the pool bytes the enhancer has used
};

void Apply(Channel& ch, const std::wstring& line) {
    ChannelBlock& b = ch.block;
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) return;
    const bool terminated = !(eq > 0 && line[eq - 1] == L'!');
    const std::wstring name = line.substr(0, terminated ? eq : eq - 1);
    const std::wstring value = line.substr(eq + 1);
    const std::u16string text = Unescape(value);
    size_t at = 0;
    if (name == L"location") WriteText(b.location, kPageTextChars, text, terminated);
    else if (name == L"domain") WriteText(b.domain, kPageTextChars, text, terminated);
    else if (name == L"title") WriteText(b.title, kPageTextChars, text, terminated);
    else if (name == L"selection") WriteText(b.selectionText, kSelectionChars, text, terminated);
    else if (name == L"hotSpotTexts") WriteText(b.hotSpotTexts, kHotSpotChars, text, terminated);
    else if (name == L"hotSpotHrefs") WriteText(b.hotSpotHrefs, kHotSpotChars, text, terminated);
    else if (name == L"hotSpotIds") WriteText(b.hotSpotIds, kHotSpotChars, text, terminated);
    else if (name == L"log") {
        std::u16string wide(kExtensionLogBytes, u'x');
        WriteText(&wide[0], kExtensionLogBytes, text, terminated);
        for (int i = 0; i < kExtensionLogBytes; ++i) b.extensionLog[i] = static_cast<char>(wide[i]);
    } else if (name == L"selectionCount") b.selectionCount = Number(value, &at);
    else if (name == L"hotSpotCount") b.hotSpotCount = Number(value, &at);
    else if (name == L"siteStringCount") b.siteStringCount = Number(value, &at);
    else if (name == L"siteStringUsed") ch.used = Number(value, &at);
    else if (name == L"rectCounts") {
        for (int i = 0; i < kMaxSelectionPieces && at < value.size(); ++i) {
            b.selectionRectCounts[i] = Number(value, &at);
            if (at < value.size()) ++at;  // the ","
        }
    } else if (name == L"site") {
        // As the enhancer adds its site strings.
        const int32_t count = b.siteStringCount;
        const int64_t offset = SiteStringOffset(count, ch.used, static_cast<int64_t>(text.size()));
        if (offset < 0) return;
        FUZZ_CHECK(offset % 2 == 0 && offset + 2 * static_cast<int64_t>(text.size()) + 2 <= kSitePoolBytes);
        b.siteStringOffsets[count].offset = static_cast<int32_t>(offset);
        b.siteStringCount = count + 1;
        std::memcpy(reinterpret_cast<char*>(b.siteStringPool) + offset, text.c_str(), 2 * (text.size() + 1));
        ch.used = offset + 2 * static_cast<int64_t>(text.size() + 1);
    } else if (name == L"navigate") {
        std::string encoded;
        if (!EncodeNavigateUrl(text.data(), text.size(), encoded)) return;
        FUZZ_CHECK(encoded.size() < static_cast<size_t>(kNavigateUrlChars));
        for (char c : encoded) FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
        std::memcpy(b.navigateUrl, encoded.c_str(), encoded.size() + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Channel ch;
    for (int i = 0; i < kMaxSelectionRects; ++i) ch.block.selectionRects[i] = ChannelRect{i, -i, 2 * i, 0x7fffffff};
    for (int i = 0; i < kMaxHotSpots; ++i) ch.block.hotSpotRects[i] = ChannelRect{-i, i, 0, i * 3};
    for (const std::wstring& line : FuzzFields(data, size, 256)) Apply(ch, line);
    const ChannelBlock& b = ch.block;

    char16_t location[kPageTextChars] = {};
    if (CopyPageText(b.location, location)) FUZZ_CHECK(BoundedLength(location, kPageTextChars) >= 0);
    char16_t domain[kPageTextChars] = {}, title[kPageTextChars] = {};
    (void)CopyPageText(b.domain, domain);
    (void)CopyPageText(b.title, title);

    // The selection and its items.
    std::unique_ptr<char16_t[]> text(new char16_t[kSelectionChars]);
    int32_t rectCounts[kMaxSelectionPieces];
    ChannelRect rects[kMaxSelectionRects];
    const SelectionCheck check = CopySelection(b, text.get(), rectCounts, rects);
    if (check.refusal == Refusal::kOk) {
        FUZZ_CHECK(check.pieces <= kMaxSelectionPieces && check.rects <= kMaxSelectionRects);
        FUZZ_CHECK(BoundedLength(text.get(), kSelectionChars) >= 0);
        int total = 0;
        for (int i = 0; i < check.pieces; ++i) total += rectCounts[i];
        FUZZ_CHECK(total == check.rects);
        fftext::Box boxes[kMaxSelectionRects];
        for (int i = 0; i < check.rects; ++i) boxes[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        const std::wstring wide = Wide(text.get());
        const std::vector<fftext::TextItem> items = fftext::SelectionItems(
            wide.c_str(), check.pieces, rectCounts, boxes, [](const std::wstring& piece) { return piece; });
        FUZZ_CHECK(items.size() <= static_cast<size_t>(check.rects));
        (void)fftext::SelectionBits({}, items);
    } else {
        FUZZ_CHECK(check.pieces == 0 && check.rects == 0 && text[0] == 0);
    }

    // The hot spots, their id lists and context texts.
    std::unique_ptr<char16_t[]> texts(new char16_t[kHotSpotChars]), hrefs(new char16_t[kHotSpotChars]),
        ids(new char16_t[kHotSpotChars]);
    ChannelRect spots[kMaxHotSpots];
    int count = -1;
    if (CopyHotSpots(b, texts.get(), hrefs.get(), ids.get(), spots, &count) == Refusal::kOk) {
        FUZZ_CHECK(count >= 0 && count <= kMaxHotSpots);
        const std::wstring t = Wide(texts.get()), h = Wide(hrefs.get()), d = Wide(ids.get());
        fftext::TabFields textFields(t.c_str()), hrefFields(h.c_str()), idFields(d.c_str());
        const std::wstring page = Wide(location);
        for (int i = 0; i < count && i < 4; ++i) {
            (void)textFields.Next();
            const std::wstring href = hrefFields.Next();
            const std::wstring idsXml = fftext::IdListToXml(idFields.Next());
            FUZZ_CHECK(idsXml.size() <= fftext::kMaxIdsXml);
            const ParsedContext parsed = ParseContext(fftext::HotSpotContext(page, href, idsXml));
            FUZZ_CHECK(parsed.ok && parsed.rootName == L"context");
            if (XmlCharactersOnly(page)) FUZZ_CHECK(parsed.text.at(L"location") == page);
        }
    } else {
        FUZZ_CHECK(count == 0 && texts[0] == 0 && hrefs[0] == 0 && ids[0] == 0);
    }

    // The extension's log, into the enhancer's buffer and a small one.
    for (int chars : {4096, 17, 1}) {
        std::vector<char16_t> buffer(static_cast<size_t>(chars));
        const int n = WidenExtensionLog(b.extensionLog, buffer.data(), chars);
        FUZZ_CHECK(n >= 0 && n < chars && buffer[static_cast<size_t>(n)] == 0);
        std::wstring widened;
        for (int i = 0; i < n; ++i) widened += static_cast<wchar_t>(buffer[static_cast<size_t>(i)]);
        for (const std::wstring& line : fftext::LogLines(widened)) FUZZ_CHECK(!line.empty());
    }
    return 0;
}
