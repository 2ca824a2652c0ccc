#include "Hextens/HXLib/SelectionFilter.h"

#include <algorithm>
#include <new>

#include "Hextens/HXLib/CoreLog.h"

using hxcore::Char;
using hxcore::String;

namespace {

// The size of one node as the size line reports it.
constexpr long long kReportedNodeBytes = 12;

bool IsTokenDelimiter(Char c) { return c == u'\r' || c == u'\n' || c == u' '; }

// Calls fn(start, length) for every token of text split at CR, LF and blank.
template <class Fn>
void ForEachToken(const Char* text, Fn fn) {
    size_t i = 0;
    for (;;) {
        while (text[i] && IsTokenDelimiter(text[i])) ++i;
        if (!text[i]) return;
        size_t start = i;
        while (text[i] && !IsTokenDelimiter(text[i])) ++i;
        if (!fn(text + start, i - start)) return;
    }
}

}  // namespace

IgnoreWordTrie::~IgnoreWordTrie() { Free(); }

IgnoreWordTrie::IgnoreWordTrie(const IgnoreWordTrie& other) { *this = other; }

IgnoreWordTrie& IgnoreWordTrie::operator=(const IgnoreWordTrie& other) {
    if (this == &other) return *this;
    Node* copy = nullptr;
    if (other.nodes_) {
        copy = new Node[static_cast<size_t>(other.capacity_)];
        std::copy(other.nodes_, other.nodes_ + other.used_, copy);
    }
    Free();
    nodes_ = copy;
    used_ = other.used_;
    capacity_ = other.capacity_;
    cursor_ = 0;
    lastChild_ = 0;
    return *this;
}

void IgnoreWordTrie::Free() {
    delete[] nodes_;
    nodes_ = nullptr;
    used_ = capacity_ = 0;
    cursor_ = lastChild_ = 0;
}

void IgnoreWordTrie::Build(const Char* words) {
    Free();
    const size_t length = hxcore::Length(words);
    if (length >= static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
    capacity_ = static_cast<int32_t>(length) + 1;
    nodes_ = new Node[static_cast<size_t>(capacity_)];
    nodes_[0] = Node{0, -1, -1};
    used_ = 1;
    cursor_ = 0;
    for (size_t i = 0; i < length; ++i) {
        const Char c = words[i];
        if (!hxcore::IsAlnum(c)) {
            cursor_ = 0;  // a separator ends the word
            continue;
        }
        const Char l = hxcore::ToLower(c);
        int32_t child = nodes_[cursor_].firstChild;
        lastChild_ = -1;
        while (child != -1 && nodes_[child].character != l) {
            lastChild_ = child;
            child = nodes_[child].nextSibling;
        }
        if (child == -1) {
            child = used_++;
            nodes_[child] = Node{l, -1, -1};
            if (lastChild_ == -1) nodes_[cursor_].firstChild = child;
            else nodes_[lastChild_].nextSibling = child;
        }
        cursor_ = child;
    }
    cursor_ = 0;
    hxcore::Log(hxcore::Ascii("Ignore list size: ") + hxcore::Decimal(kReportedNodeBytes * used_) + u"(" +
                hxcore::Decimal(kReportedNodeBytes * static_cast<long long>(length)) + u")");
    SelfTest(words);
    cursor_ = 0;
}

void IgnoreWordTrie::SelfTest(const Char* words) {
    String rest;
    RemoveWords(words, rest);
    if (!rest.empty()) hxcore::Log(hxcore::Ascii("Ignore list test failed: [") + rest + u"]");
    else hxcore::Log(hxcore::Ascii("Ignore list test passed: all ignore words recognized"));
    const String sample = hxcore::Ascii("this is a test");
    RemoveWords(sample.c_str(), rest);
    hxcore::Log(hxcore::Ascii("Ignore list test: [") + sample + u"] -> [" + rest + u"]");
}

bool IgnoreWordTrie::Walk(const Char* token, size_t length) {
    cursor_ = nodes_ ? 0 : -1;
    for (size_t i = 0; i < length && cursor_ != -1; ++i) {
        const Char l = hxcore::ToLower(token[i]);
        int32_t child = nodes_[cursor_].firstChild;
        while (child != -1 && nodes_[child].character != l) child = nodes_[child].nextSibling;
        cursor_ = child;
    }
    const bool onNode = cursor_ != -1;
    cursor_ = 0;
    return onNode;
}

bool IgnoreWordTrie::IsIgnored(const Char* text) {
    if (!text) return true;
    int tokens = 0;
    bool firstTaken = false;
    ForEachToken(text, [&](const Char* token, size_t length) {
        if (++tokens == 1) {
            firstTaken = Walk(token, length);
            return true;
        }
        return false;  // a second token: never ignored
    });
    return tokens == 0 || (tokens == 1 && firstTaken);
}

void IgnoreWordTrie::RemoveWords(const Char* text, String& output) {
    output.clear();
    if (!text) return;
    ForEachToken(text, [&](const Char* token, size_t length) {
        if (!Walk(token, length)) {
            if (!output.empty()) output += u' ';
            output.append(token, length);
        }
        return true;
    });
}

namespace hxcore {

void FilterSelection(const Char* text, Char* result, bool requireLetter, IgnoreWordTrie* ignoreList) {
    result[0] = 0;
    const size_t length = Length(text);
    if (length == 0 || length > kFilterMaxInput) return;

    bool started = false;
    bool lastWasBlank = false;
    size_t written = 0;
    size_t cut = 0;
    for (size_t i = 0; i < length; ++i) {
        const Char c = text[i];
        if (!started) {
            if (IsAlnum(c) || (c == u'-' && i + 1 < length && IsDigit(text[i + 1]))) {
                result[written++] = c;
                cut = written;
                started = true;
            }
        } else if (IsSpace(c)) {
            if (!lastWasBlank) {
                result[written++] = u' ';
                lastWasBlank = true;
            }
        } else {
            result[written++] = c;
            lastWasBlank = false;
            if (IsAlnum(c)) cut = written;
        }
    }
    result[cut] = 0;
    if (cut == 0) return;

    if (ignoreList && ignoreList->IsIgnored(result)) {
        result[0] = 0;
        return;
    }
    if (requireLetter && std::none_of(result, result + cut, [](Char c) { return IsAlpha(c); })) result[0] = 0;
}

}  // namespace hxcore
