// The "<context>" text an enhancer hands over with a selection or a hot spot,
// and the small decisions that gather its parts from a page.  No Win32 or COM
// call in here: the enhancer feeds these from the page's document objects.
#pragma once

#include <cstddef>
#include <string>

namespace hxie {

constexpr size_t kContextXmlMaxChars = 8191;  // the result never grows beyond this
constexpr size_t kIdRunsLimit = 999;          // id runs of a hot spot, tags included
constexpr size_t kContextTextMax = 1023;      // surrounding page text

// The parts of one context text.  Texts are taken as the page gave them; the
// builder makes them safe.  idRuns is the output of IdRunCollector.
struct ContextParts {
    std::wstring appId;
    std::wstring title;
    std::wstring location;
    std::wstring href;
    std::wstring contextText;
    std::wstring idRuns;
    std::wstring description;
    std::wstring keywords;
    bool sendContext = false;
};

// Writes the context elements in their fixed order.  The result is well-formed
// XML of at most maxChars characters: "]]>" inside a text is split across two
// CDATA sections, characters XML does not allow become blanks (lone surrogates
// U+FFFD), and when the parts are too long the longest texts are shortened
// (never a tag, never inside an id run).
std::wstring BuildContextXml(const ContextParts& parts, size_t maxChars = kContextXmlMaxChars);

// Character data with "&", "<" and ">" escaped (and disallowed characters
// replaced as above).
std::wstring EscapeXmlText(const std::wstring& text);

// Text for the inside of a CDATA section: "]]>" split across two sections,
// disallowed characters replaced as above.
std::wstring CdataText(const std::wstring& text);

// Builds the id runs of an element and its ancestors, innermost first:
// "<id>value</id>" per id, values escaped, empty values skipped, and a run
// that would take the whole text beyond the limit left out while later
// (outer) runs that still fit are added.
class IdRunCollector {
public:
    explicit IdRunCollector(size_t limit = kIdRunsLimit) : limit_(limit) {}
    // value: the element's "id" attribute; nullptr when it is not a string.
    void Add(const wchar_t* value);
    const std::wstring& Runs() const { return runs_; }

private:
    size_t limit_;
    std::wstring runs_;
};

// Chooses the surrounding page text while walking from the element that holds
// the selection or link outward.  n is the length of the unfiltered text.
class ContextTextPicker {
public:
    explicit ContextTextPicker(size_t n) : n_(n) {}
    // Offers the inner text of the next element outward (nullptr: the read
    // failed).  True when the walk is done and Result() holds the choice.
    bool Offer(const wchar_t* text);
    const std::wstring& Result() const { return result_; }

private:
    size_t n_;
    std::wstring result_;
};

// The page's meta description and keywords, offered meta element by meta
// element in document order; a later match overwrites an earlier one.
struct PageMeta {
    std::wstring description;
    std::wstring keywords;
    // name and content: the element's attributes (nullptr when absent).
    void Offer(const wchar_t* name, const wchar_t* content);
};

// ASCII case-insensitive equality.
bool EqualsIgnoreCase(const wchar_t* a, const wchar_t* b);

}  // namespace hxie
