// The best-guess worker's plain steps (no Win32 call): the component's
// dispatch ids, the order of the calls that make one answer, the row count
// kept, the inserted text's cut, and the answer stored for the text menu.
// The component itself is reached through a GuessSource, so the steps are
// tested natively against a recording source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/core/common/BestGuessShared.h"

namespace best_guess {

// The component's dispatch ids.
enum Dispid : long {
    kSetServiceUrl = 4,   // method, BSTR by reference
    kRunQuery = 5,        // method, three BSTRs by reference
    kRowCount = 6,        // property get, long
    kRowType = 7,         // method (long row) -> BSTR; the columns 7..19 alike
    kRowIcon = 8,
    kRowLabel = 9,
    kRowInserted = 10,
    kRowId = 11,
    kRowToken = 12,
    kResultTitle = 13,    // method (long 0) -> BSTR
    kSetPanelId = 14,     // method, BSTR
    kRowTarget = 15,
    kSetUserKey = 16,     // method, BSTR by reference
    kExtraText = 17,      // method () -> BSTR, one per answer
    kSetVersion = 18,     // method, BSTR by reference
    kRowSubMenu = 19,
};

constexpr int kMaxRows = text_menu::BestGuessShared::kMaxRows;
// Longer inserted texts keep this many characters and get "...".
constexpr size_t kInsertedTextMax = 24;
// The calls made for one row, in order (kExtraText takes no row index).
constexpr long kRowCalls[] = {kRowId, kRowLabel, kRowInserted, kRowToken, kRowIcon,
                              kRowTarget, kRowType, kExtraText, kRowSubMenu};

// The rows kept of a count the component reports: 0..kMaxRows.
int ClampCount(long reported);
// The inserted text as the menu shows it.
std::wstring CutInsertedText(const std::wstring& text);
// The value of one row column into its field (false for an id that is no column).
bool SetColumn(text_menu::GuessRow& row, long dispid, const std::wstring& value);

// What the worker asks of the component for one answer.  Each call returns a
// status: negative when it failed (an HRESULT on Windows).
class GuessSource {
public:
    virtual ~GuessSource() = default;
    virtual int32_t RunQuery(const std::wstring& query1, const std::wstring& query2, const std::wstring& query3) = 0;
    virtual int32_t RowCount(long* count) = 0;
    virtual int32_t Title(std::wstring* title) = 0;
    virtual int32_t RowText(long dispid, long row, std::wstring* text) = 0;
    virtual int32_t ExtraText(std::wstring* text) = 0;
};

struct Queries {
    std::wstring query1, query2, query3;
};

struct Answer {
    int count = 0;                // rows kept (ClampCount)
    std::wstring title;           // "Menu" without rows
    bool haveExtraText = false;   // set by the rows' calls
    std::wstring extraText;
    text_menu::GuessRow rows[kMaxRows];
};

// The call that failed.
struct Failure {
    long dispid = 0;
    long row = -1;  // -1: no row
    int32_t status = 0;
};

// Runs one query: kRunQuery, kRowCount, kResultTitle when rows came, then the
// rows from the last kept one down to 0, each with kRowCalls.  False at the
// first failed call (described in *failure): the answer is then dropped.
bool FetchAnswer(GuessSource& source, const Queries& queries, Answer* answer, Failure* failure);

// Stores a fetched answer as the one held for requestId (the caller holds the
// record's lock): the kept rows, the extra text when the rows gave one, the
// count, the title and the answered id.
void StoreAnswer(text_menu::BestGuessShared& shared, const Answer& answer, int requestId);

}  // namespace best_guess
