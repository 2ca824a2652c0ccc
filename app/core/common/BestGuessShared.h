// What the best-guess worker and the text menu share: the latest query and
// the answer the worker holds, read and written only under g_BestGuessLock.
// Plain data (no Win32 call).
#pragma once

#include <string>

namespace text_menu {

// One best-guess result row, as the best-guess thread keeps it.
struct GuessRow {
    std::wstring id, label, token, inserted, type, iconUrl, target, subMenuFlag;
};

struct BestGuessShared {
    static constexpr int kMaxRows = 20;
    std::wstring query1, query2, query3;  // (second context, first context, text)
    int requestId = 0;   // the latest query's id
    int answeredId = 0;  // the id of the query the held answer belongs to
    int resultCount = 0;
    std::wstring title;      // "menu" when the rows are menu items
    std::wstring extraText;  // the result set's image
    GuessRow rows[kMaxRows];
};

}  // namespace text_menu
