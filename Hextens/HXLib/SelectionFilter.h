// The selection filter and the ignore-word list.  Portable: no Win32 call.
//
// The ignore-word list is a character trie without end-of-word marks: every
// node ends a prefix of some list word, so a single token is ignored when it
// is a prefix of (or equal to) a list word.  Words are the maximal runs of
// alphanumeric characters of the list text, stored lower-case.
#pragma once

#include <cstdint>

#include "Hextens/HXLib/CharClass.h"

class IgnoreWordTrie {
public:
    struct Node {
        hxcore::Char character;  // lower-case; 0 in the root
        int32_t nextSibling;     // -1: none
        int32_t firstChild;      // -1: none
    };

    IgnoreWordTrie() = default;
    ~IgnoreWordTrie();
    IgnoreWordTrie(const IgnoreWordTrie& other);
    IgnoreWordTrie& operator=(const IgnoreWordTrie& other);

    // Builds the trie from the list text, logs its size and runs SelfTest.
    void Build(const hxcore::Char* words);
    // Logs whether the list recognises its own words, and what it leaves of
    // "this is a test".
    void SelfTest(const hxcore::Char* words);
    // True when the text is one token that the trie takes, or no token.
    bool IsIgnored(const hxcore::Char* text);
    // The tokens of text the trie does not take, separated by one blank.
    void RemoveWords(const hxcore::Char* text, hxcore::String& output);

    int32_t NodeCount() const { return used_; }
    const Node* Nodes() const { return nodes_; }
    int32_t Cursor() const { return cursor_; }

private:
    // Walks one token from the root; true when it ends on a node.  The cursor
    // is back at 0 afterwards, hit or miss.
    bool Walk(const hxcore::Char* token, size_t length);
    void Free();

    Node* nodes_ = nullptr;
    int32_t cursor_ = 0;     // current node during a walk; -1 fell off
    int32_t lastChild_ = 0;  // scratch: last child visited
    int32_t used_ = 0;       // nodes in use
    int32_t capacity_ = 0;
};

namespace hxcore {

constexpr size_t kFilterChars = 256;     // result buffer, terminator included
constexpr size_t kFilterMaxInput = 255;  // longer texts give an empty result

// Filters text into result (kFilterChars code units, always terminated).
// ignoreList may be null.
void FilterSelection(const Char* text, Char* result, bool requireLetter, IgnoreWordTrie* ignoreList);

}  // namespace hxcore
