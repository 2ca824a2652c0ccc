#include "app/core/main/BestGuessRules.h"

namespace best_guess {

int ClampCount(long reported) {
    if (reported < 0) return 0;
    if (reported > kMaxRows) return kMaxRows;
    return static_cast<int>(reported);
}

std::wstring CutInsertedText(const std::wstring& text) {
    if (text.size() <= kInsertedTextMax) return text;
    return text.substr(0, kInsertedTextMax) + L"...";
}

bool SetColumn(text_menu::GuessRow& row, long dispid, const std::wstring& value) {
    switch (dispid) {
        case kRowId: row.id = value; return true;
        case kRowLabel: row.label = value; return true;
        case kRowToken: row.token = value; return true;
        case kRowInserted: row.inserted = CutInsertedText(value); return true;
        case kRowType: row.type = value; return true;
        case kRowIcon: row.iconUrl = value; return true;
        case kRowTarget: row.target = value; return true;
        case kRowSubMenu: row.subMenuFlag = value; return true;
        default: return false;
    }
}

namespace {
bool Check(int32_t status, long dispid, long row, Failure* failure) {
    if (status >= 0) return true;
    if (failure) *failure = Failure{dispid, row, status};
    return false;
}
}  // namespace

bool FetchAnswer(GuessSource& source, const Queries& q, Answer* answer, Failure* failure) {
    Answer a;
    if (!Check(source.RunQuery(q.query1, q.query2, q.query3), kRunQuery, -1, failure)) return false;
    long reported = 0;
    if (!Check(source.RowCount(&reported), kRowCount, -1, failure)) return false;
    a.count = ClampCount(reported);
    a.title = L"Menu";
    if (a.count > 0 && !Check(source.Title(&a.title), kResultTitle, -1, failure)) return false;
    for (long i = a.count - 1; i >= 0; --i) {
        for (long dispid : kRowCalls) {
            std::wstring text;
            if (dispid == kExtraText) {
                if (!Check(source.ExtraText(&text), dispid, -1, failure)) return false;
                a.extraText = text;
                a.haveExtraText = true;
            } else {
                if (!Check(source.RowText(dispid, i, &text), dispid, i, failure)) return false;
                SetColumn(a.rows[i], dispid, text);
            }
        }
    }
    if (answer) *answer = std::move(a);
    return true;
}

void StoreAnswer(text_menu::BestGuessShared& shared, const Answer& answer, int requestId) {
    const int n = ClampCount(answer.count);
    for (int i = 0; i < n; ++i) shared.rows[i] = answer.rows[i];
    if (answer.haveExtraText) shared.extraText = answer.extraText;
    shared.resultCount = n;
    shared.title = answer.title;
    shared.answeredId = requestId;
}

}  // namespace best_guess
