#include "Hextens/HXIE/ContextXml.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace hxie {
namespace {

bool IsHighSurrogate(unsigned long c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(unsigned long c) { return c >= 0xDC00 && c <= 0xDFFF; }

// One piece of output for the source text at position i: the characters to
// write and how many source characters they stand for.
struct Piece {
    const wchar_t* text;
    size_t length;
    size_t consumed;
    wchar_t single[2];
};

const wchar_t kCdataSplit[] = L"]]]]><![CDATA[>";
const wchar_t kAmp[] = L"&amp;";
const wchar_t kLt[] = L"&lt;";
const wchar_t kGt[] = L"&gt;";

// The next piece of a text; inCdata selects the CDATA form, else escaping.
Piece NextPiece(const std::wstring& s, size_t i, bool inCdata) {
    Piece p{nullptr, 1, 1, {s[i], 0}};
    p.text = p.single;
    const unsigned long c = static_cast<unsigned long>(s[i]);
    if (inCdata) {
        if (c == L']' && s.compare(i, 3, L"]]>") == 0) {
            p.text = kCdataSplit;
            p.length = sizeof(kCdataSplit) / sizeof(wchar_t) - 1;
            p.consumed = 3;
            return p;
        }
    } else {
        if (c == L'&') {
            p.text = kAmp;
            p.length = 5;
            return p;
        }
        if (c == L'<') {
            p.text = kLt;
            p.length = 4;
            return p;
        }
        if (c == L'>') {
            p.text = kGt;
            p.length = 4;
            return p;
        }
    }
    if (IsHighSurrogate(c)) {
        if (i + 1 < s.size() && IsLowSurrogate(static_cast<unsigned long>(s[i + 1]))) {
            p.single[1] = s[i + 1];
            p.length = 2;
            p.consumed = 2;
            return p;
        }
        p.single[0] = static_cast<wchar_t>(0xFFFD);
        return p;
    }
    if (IsLowSurrogate(c)) {
        p.single[0] = static_cast<wchar_t>(0xFFFD);
        return p;
    }
    const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    if (!allowed) p.single[0] = L' ';
    return p;
}

// Appends the text in its safe form, at most budget characters of output
// (a piece that would not fit whole ends the text).  Returns the count written.
size_t AppendSafe(std::wstring& out, const std::wstring& s, bool inCdata, size_t budget) {
    size_t written = 0;
    for (size_t i = 0; i < s.size();) {
        const Piece p = NextPiece(s, i, inCdata);
        if (written + p.length > budget) break;
        out.append(p.text, p.length);
        written += p.length;
        i += p.consumed;
    }
    return written;
}

size_t SafeLength(const std::wstring& s, bool inCdata) {
    size_t n = 0;
    for (size_t i = 0; i < s.size();) {
        const Piece p = NextPiece(s, i, inCdata);
        n += p.length;
        i += p.consumed;
    }
    return n;
}

// The largest cap such that the parts, each cut to at most cap, fit budget.
size_t FairCap(std::vector<size_t> lengths, size_t budget) {
    std::sort(lengths.begin(), lengths.end());
    size_t used = 0;
    for (size_t k = 0; k < lengths.size(); ++k) {
        const size_t remaining = lengths.size() - k;
        if (used + lengths[k] * remaining > budget) return (budget - used) / remaining;
        used += lengths[k];
    }
    return budget;  // everything fits
}

// Whole runs of idRuns that fit maxChars (runs are "<id>...</id>").
std::wstring RunsWithin(const std::wstring& runs, size_t maxChars) {
    if (runs.size() <= maxChars) return runs;
    size_t end = 0;
    for (size_t pos = 0;;) {
        const size_t close = runs.find(L"</id>", pos);
        if (close == std::wstring::npos) break;
        const size_t next = close + 5;
        if (next > maxChars) break;
        end = next;
        pos = next;
    }
    return runs.substr(0, end);
}

}  // namespace

std::wstring EscapeXmlText(const std::wstring& text) {
    std::wstring out;
    AppendSafe(out, text, false, static_cast<size_t>(-1));
    return out;
}

std::wstring CdataText(const std::wstring& text) {
    std::wstring out;
    AppendSafe(out, text, true, static_cast<size_t>(-1));
    return out;
}

std::wstring BuildContextXml(const ContextParts& parts, size_t maxChars) {
    struct Cdata {
        const wchar_t* open;
        const wchar_t* close;
        const std::wstring* text;
    };
    // The CDATA parts in document order; the content element sits after the
    // context text, the meta element at the end.
    std::vector<Cdata> before = {
        {L"<title><![CDATA[", L"]]></title>", &parts.title},
        {L"<location><![CDATA[", L"]]></location>", &parts.location},
        {L"<href><![CDATA[", L"]]></href>", &parts.href},
    };
    if (parts.sendContext) before.push_back({L"<text><![CDATA[", L"]]></text>", &parts.contextText});
    std::vector<Cdata> after;
    if (parts.sendContext) {
        after.push_back({L"<description><![CDATA[", L"]]></description>", &parts.description});
        after.push_back({L"<keywords><![CDATA[", L"]]></keywords>", &parts.keywords});
    }

    const std::wstring app = EscapeXmlText(parts.appId);
    size_t fixed = std::wcslen(L"<context><app></app><content></content></context>") + app.size();
    if (parts.sendContext) fixed += std::wcslen(L"<meta></meta>");
    std::vector<size_t> lengths;
    for (const auto* list : {&before, &after}) {
        for (const Cdata& c : *list) {
            fixed += std::wcslen(c.open) + std::wcslen(c.close);
            lengths.push_back(SafeLength(*c.text, true));
        }
    }
    const size_t roomForContent = maxChars > fixed ? maxChars - fixed : 0;
    const std::wstring runs = RunsWithin(parts.idRuns, roomForContent);
    const size_t budget = roomForContent - runs.size();
    const size_t cap = FairCap(lengths, budget);

    std::wstring xml;
    xml.reserve(std::min(maxChars, fixed + runs.size() + budget));
    xml += L"<context><app>";
    xml += app;
    xml += L"</app>";
    auto writeCdata = [&](const Cdata& c) {
        xml += c.open;
        AppendSafe(xml, *c.text, true, cap);
        xml += c.close;
    };
    for (const Cdata& c : before) writeCdata(c);
    xml += L"<content>";
    xml += runs;
    xml += L"</content>";
    if (parts.sendContext) {
        xml += L"<meta>";
        for (const Cdata& c : after) writeCdata(c);
        xml += L"</meta>";
    }
    xml += L"</context>";
    return xml;
}

void IdRunCollector::Add(const wchar_t* value) {
    if (!value || !*value) return;
    const std::wstring run = L"<id>" + EscapeXmlText(value) + L"</id>";
    if (runs_.size() + run.size() <= limit_) runs_ += run;
}

bool ContextTextPicker::Offer(const wchar_t* text) {
    if (!text) return false;
    const size_t length = std::wcslen(text);
    if (length == 0) return false;
    if (length >= kContextTextMax + 1) {
        size_t cut = kContextTextMax;
        // Keep a surrogate pair whole.
        if (IsHighSurrogate(static_cast<unsigned long>(text[cut - 1]))) --cut;
        result_.assign(text, cut);
        return true;
    }
    if (length > 8 * n_) {
        result_.assign(text, length);
        return true;
    }
    return false;
}

bool EqualsIgnoreCase(const wchar_t* a, const wchar_t* b) {
    if (!a || !b) return false;
    for (;; ++a, ++b) {
        wchar_t x = *a, y = *b;
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
        if (!x) return true;
    }
}

void PageMeta::Offer(const wchar_t* name, const wchar_t* content) {
    if (!name || !content) return;
    if (EqualsIgnoreCase(name, L"description")) description = content;
    else if (EqualsIgnoreCase(name, L"keywords")) keywords = content;
}

}  // namespace hxie
