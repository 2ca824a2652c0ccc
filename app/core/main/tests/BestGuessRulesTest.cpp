// The best-guess worker's plain steps against a recording source: the calls
// in order, the kept rows, the cut inserted text, a failed call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/main/BestGuessRules.h"

namespace {

using best_guess::Answer;
using best_guess::Failure;
using best_guess::Queries;

constexpr int32_t kFailed = static_cast<int32_t>(0x80004005);

// Answers every row column with "<dispid>:<row>" (the inserted text with
// `inserted` when set) and records each call as "<dispid>" or "<dispid> <row>".
class RecordingSource : public best_guess::GuessSource {
public:
    long count = 0;
    long failDispid = 0;  // this call fails (0: none)
    long failRow = -1;    // ... only for this row (-1: any)
    std::wstring inserted;
    std::vector<std::string> calls;

    int32_t RunQuery(const std::wstring& a, const std::wstring& b, const std::wstring& c) override {
        queries = a + L"|" + b + L"|" + c;
        return Call(best_guess::kRunQuery, -1);
    }
    int32_t RowCount(long* n) override {
        *n = count;
        return Call(best_guess::kRowCount, -1);
    }
    int32_t Title(std::wstring* t) override {
        *t = L"Result title";
        return Call(best_guess::kResultTitle, 0);
    }
    int32_t RowText(long dispid, long row, std::wstring* text) override {
        *text = (dispid == best_guess::kRowInserted && !inserted.empty())
                    ? inserted
                    : std::to_wstring(dispid) + L":" + std::to_wstring(row);
        return Call(dispid, row);
    }
    int32_t ExtraText(std::wstring* text) override {
        *text = L"extra after " + std::to_wstring(lastRow);
        return Call(best_guess::kExtraText, -1);
    }

    std::wstring queries;

private:
    int32_t Call(long dispid, long row) {
        calls.push_back(row < 0 ? std::to_string(dispid) : std::to_string(dispid) + " " + std::to_string(row));
        if (row >= 0 && dispid != best_guess::kResultTitle) lastRow = row;
        if (dispid == failDispid && (failRow < 0 || failRow == row)) return kFailed;
        return 0;
    }
    long lastRow = -1;
};

std::vector<std::string> RowCalls(long row) {
    std::vector<std::string> out;
    for (long dispid : best_guess::kRowCalls)
        out.push_back(dispid == best_guess::kExtraText ? "17" : std::to_string(dispid) + " " + std::to_string(row));
    return out;
}

TEST(BestGuessRules, ClampsTheReportedCount) {
    struct Case {
        long reported;
        int kept;
    } cases[] = {{-2147483647L - 1, 0}, {-5, 0}, {-1, 0}, {0, 0}, {1, 1}, {19, 19},
                 {20, 20}, {21, 20}, {25, 20}, {2147483647L, 20}};
    for (const Case& c : cases) EXPECT_EQ(best_guess::ClampCount(c.reported), c.kept) << c.reported;
}

TEST(BestGuessRules, CutsTheInsertedTextAfter24Characters) {
    struct Case {
        std::wstring in, out;
    } cases[] = {
        {L"", L""},
        {L"short", L"short"},
        {std::wstring(24, L'a'), std::wstring(24, L'a')},
        {std::wstring(25, L'b'), std::wstring(24, L'b') + L"..."},
        {L"abcdefghijklmnopqrstuvwxyz0123", L"abcdefghijklmnopqrstuvwx..."},  // 30 characters
    };
    for (const Case& c : cases) EXPECT_EQ(best_guess::CutInsertedText(c.in), c.out);
}

TEST(BestGuessRules, CallsInOrderRowsFromTheLastDown) {
    struct Case {
        long count;
        int kept;
        std::wstring title;
    } cases[] = {{0, 0, L"Menu"}, {-3, 0, L"Menu"}, {1, 1, L"Result title"}, {3, 3, L"Result title"},
                 {25, 20, L"Result title"}};
    for (const Case& c : cases) {
        RecordingSource source;
        source.count = c.count;
        Answer answer;
        Failure failure;
        ASSERT_TRUE(best_guess::FetchAnswer(source, Queries{L"q1", L"q2", L"q3"}, &answer, &failure)) << c.count;
        std::vector<std::string> expected = {"5", "6"};
        if (c.kept > 0) expected.push_back("13 0");
        for (long row = c.kept - 1; row >= 0; --row)
            for (const std::string& call : RowCalls(row)) expected.push_back(call);
        EXPECT_EQ(source.calls, expected) << c.count;
        EXPECT_EQ(source.queries, L"q1|q2|q3");
        EXPECT_EQ(answer.count, c.kept);
        EXPECT_EQ(answer.title, c.title);
        EXPECT_EQ(answer.haveExtraText, c.kept > 0);
        if (c.kept > 0) {
            EXPECT_EQ(answer.extraText, L"extra after 0");  // the last row fetched is row 0
        }
        for (int row = 0; row < c.kept; ++row) {
            const text_menu::GuessRow& r = answer.rows[row];
            const std::wstring n = L":" + std::to_wstring(row);
            EXPECT_EQ(r.id, L"11" + n);
            EXPECT_EQ(r.label, L"9" + n);
            EXPECT_EQ(r.inserted, L"10" + n);
            EXPECT_EQ(r.token, L"12" + n);
            EXPECT_EQ(r.type, L"7" + n);
            EXPECT_EQ(r.iconUrl, L"8" + n);
            EXPECT_EQ(r.target, L"15" + n);
            EXPECT_EQ(r.subMenuFlag, L"19" + n);
        }
    }
}

TEST(BestGuessRules, TheInsertedTextIsCutInTheAnswer) {
    RecordingSource source;
    source.count = 2;
    source.inserted = L"abcdefghijklmnopqrstuvwxyz0123";
    Answer answer;
    ASSERT_TRUE(best_guess::FetchAnswer(source, Queries{}, &answer, nullptr));
    EXPECT_EQ(answer.rows[0].inserted, L"abcdefghijklmnopqrstuvwx...");
    EXPECT_EQ(answer.rows[1].inserted, L"abcdefghijklmnopqrstuvwx...");
}

TEST(BestGuessRules, AFailedCallEndsTheAnswerThere) {
    struct Case {
        long dispid, row;
        size_t callsMade;  // up to and including the failed one
    } cases[] = {
        {5, -1, 1}, {6, -1, 2}, {13, -1, 3},
        {11, 2, 4},                  // the first row call (row 2 of 3)
        {19, 2, 3 + 9},              // the last call of the first row
        {10, 0, 3 + 9 + 9 + 3},      // the third call of row 0
        {17, -1, 3 + 8},             // the extra text, the first time
    };
    for (const Case& c : cases) {
        RecordingSource source;
        source.count = 3;
        source.failDispid = c.dispid;
        source.failRow = c.row;
        Answer answer;
        answer.title = L"untouched";
        Failure failure;
        EXPECT_FALSE(best_guess::FetchAnswer(source, Queries{}, &answer, &failure)) << c.dispid;
        EXPECT_EQ(source.calls.size(), c.callsMade) << c.dispid;
        EXPECT_EQ(failure.dispid, c.dispid);
        EXPECT_EQ(failure.row, c.dispid == 13 || c.dispid == 17 ? -1 : c.row);
        EXPECT_EQ(failure.status, kFailed);
        EXPECT_EQ(answer.title, L"untouched") << "a failed answer gives nothing";
    }
}

TEST(BestGuessRules, StoreKeepsRowsBeyondTheCountAndAnEarlierExtraText) {
    text_menu::BestGuessShared shared;
    shared.rows[1].id = L"old row 1";
    shared.extraText = L"old image";
    Answer answer;
    answer.count = 1;
    answer.title = L"T";
    answer.rows[0].id = L"new row 0";
    answer.rows[1].id = L"not kept";
    answer.haveExtraText = true;
    answer.extraText = L"new image";
    best_guess::StoreAnswer(shared, answer, 7);
    EXPECT_EQ(shared.rows[0].id, L"new row 0");
    EXPECT_EQ(shared.rows[1].id, L"old row 1");
    EXPECT_EQ(shared.extraText, L"new image");
    EXPECT_EQ(shared.resultCount, 1);
    EXPECT_EQ(shared.title, L"T");
    EXPECT_EQ(shared.answeredId, 7);

    Answer none;
    none.title = L"Menu";
    best_guess::StoreAnswer(shared, none, 8);
    EXPECT_EQ(shared.extraText, L"new image") << "no rows: the extra text stays";
    EXPECT_EQ(shared.resultCount, 0);
    EXPECT_EQ(shared.title, L"Menu");
    EXPECT_EQ(shared.answeredId, 8);
}

}  // namespace
