#include "FirefoxText.h"

#include "Hextens/HXIE/ContextXml.h"

namespace fftext {

std::wstring TabFields::Next() {
    std::wstring field;
    if (!at_) return field;
    while (*at_ && *at_ != L'\t') field += *at_++;
    if (*at_ == L'\t') ++at_;
    else at_ = nullptr;
    return field;
}

std::wstring IdListToXml(const std::wstring& ids) {
    hxie::IdRunCollector runs(kMaxIdsXml);
    for (size_t start = 0; start <= ids.size();) {
        size_t end = ids.find(L'\n', start);
        if (end == std::wstring::npos) end = ids.size();
        runs.Add(ids.substr(start, end - start).c_str());
        start = end + 1;
    }
    return runs.Runs();
}

std::wstring HotSpotContext(const std::wstring& location, const std::wstring& href, const std::wstring& idsXml) {
    std::wstring c = L"<context><title><![CDATA[Firefox]]></title>";
    c += L"<location><![CDATA[" + hxie::CdataText(location) + L"]]></location>";
    c += L"<href><![CDATA[" + hxie::CdataText(href) + L"]]></href>";
    if (!idsXml.empty()) c += L"<content>" + idsXml + L"</content>";
    c += L"</context>";
    return c;
}

std::wstring PlainContext() { return L"<context><title><![CDATA[Firefox]]></title><content></content></context>"; }

std::vector<TextItem> SelectionItems(const wchar_t* text, int pieceCount, const int32_t* rectCounts, const Box* rects,
                                     const Filter& filter) {
    std::vector<TextItem> items;
    TabFields pieces(text);
    int next = 0;
    for (int i = 0; i < pieceCount; ++i) {
        std::wstring piece = pieces.Next();
        std::wstring filtered = filter(piece);
        if (!filtered.empty())
            for (int r = 0; r < rectCounts[i]; ++r) items.push_back(TextItem{rects[next + r], filtered});
        next += rectCounts[i];
    }
    return items;
}

long SelectionBits(const std::vector<TextItem>& before, const std::vector<TextItem>& after) {
    if (after.empty()) return before.empty() ? 0 : 0x09;
    long bits = 0x01;
    bool changed = before.size() != after.size();
    for (size_t i = 0; !changed && i < after.size(); ++i)
        changed = !(before[i].rect == after[i].rect) || before[i].text != after[i].text;
    if (changed) bits |= 0x08;
    return bits;
}

long PollBits(const PollFacts& poll) {
    if (!poll.foreground) return poll.wasActive ? 0x1F : 0;
    if (!poll.extensionAnswers) return 0;
    long bits = 0;
    if (poll.updated) bits |= poll.selectionBits;
    if (poll.haveHotSpots) bits |= 0x02;
    if (poll.pageChanged || !poll.wasActive) bits |= 0x04;
    if (poll.updated && poll.secure) bits |= 0x20;
    return bits;
}

std::vector<std::wstring> LogLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace fftext
