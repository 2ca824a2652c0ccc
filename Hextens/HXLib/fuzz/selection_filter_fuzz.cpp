// The selection filter over an ignore list built from the first part of the
// input and a text from the rest: no sanitizer report, a terminated result
// of at most 255 characters, and the trie's cursor back at the root.
#include <cstdlib>

#include "Hextens/HXLib/SelectionFilter.h"
#include "tests/support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t split = (data[0] * size / 256) & ~static_cast<size_t>(1);
    const std::u16string words = FuzzText(data + 1, split);
    const std::u16string text = FuzzText(data + 1 + split, size - 1 - split);
    IgnoreWordTrie trie;
    trie.Build(words.c_str());
    char16_t result[hxcore::kFilterChars];
    hxcore::FilterSelection(text.c_str(), result, (data[0] & 1) != 0, &trie);
    if (hxcore::Length(result) > hxcore::kFilterMaxInput || trie.Cursor() != 0) std::abort();
    IgnoreWordTrie copy(trie);
    std::u16string rest;
    copy.RemoveWords(text.c_str(), rest);
    if (trie.Cursor() != 0 || copy.Cursor() != 0) std::abort();
    return 0;
}
