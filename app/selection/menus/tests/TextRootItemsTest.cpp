// The text menu's item lists from settings values, the best-guess labels,
// the request counter and what a choice opens.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/selection/menus/TextRootItems.h"

using namespace text_menu;

namespace {

struct Category {
    CategoryTexts texts;
    std::vector<std::pair<std::wstring, std::wstring>> entries;  // active, in_menu
};

struct FakeSource : CategorySource {
    std::vector<Category> categories;
    int current = 0;
    int CategoryCount() override { return static_cast<int>(categories.size()); }
    CategoryTexts ReadCategory(int i) override {
        current = i;
        return categories.at(static_cast<size_t>(i - 1)).texts;
    }
    int EcpCount() override { return static_cast<int>(categories.at(static_cast<size_t>(current - 1)).entries.size()); }
    void ReadEcpFlags(int j, std::wstring& active, std::wstring& inMenu) override {
        const auto& e = categories.at(static_cast<size_t>(current - 1)).entries.at(static_cast<size_t>(j - 1));
        active = e.first;
        inMenu = e.second;
    }
};

Category Cat(const wchar_t* name, const wchar_t* active, const wchar_t* inMenu, const wchar_t* divider,
             std::vector<std::pair<std::wstring, std::wstring>> entries) {
    Category c;
    c.texts.name = name;
    c.texts.active = active;
    c.texts.inMenu = inMenu;
    c.texts.divider = divider;
    c.texts.id = std::wstring(L"id-") + name;
    c.texts.icon = std::wstring(name) + L".png";
    c.texts.version = L"3";
    c.entries = std::move(entries);
    return c;
}

std::wstring Plan(FakeSource& source) {
    std::wstring s;
    for (const CategoryItem& item : PlanCategories(source)) {
        if (!s.empty()) s += L" | ";
        s += item.separator ? L"-" : item.name + L"#" + std::to_wstring(item.index) + (item.options ? L"*" : L"");
    }
    return s;
}

}  // namespace

TEST(TextMenuItems, CategoriesFromSettings) {
    const std::pair<std::wstring, std::wstring> on{L"true", L"TRUE"}, off{L"false", L"true"},
        hidden{L"true", L"false"};
    FakeSource source;
    source.categories = {
        Cat(L"Search", L"true", L"true", L"", {on}),
        Cat(L"PONDREL", L"true", L"true", L"", {on}),             // never shown, any case
        Cat(L"Reference", L"True", L"true", L"before", {off, on}),  // divider before; the second entry shows it
        Cat(L"Inactive", L"false", L"true", L"before", {on}),
        Cat(L"Not in menu", L"true", L"no", L"", {on}),
        Cat(L"No entry shown", L"true", L"true", L"before", {off, hidden}),
        Cat(L"No entries", L"true", L"true", L"", {}),
        Cat(L"PondRel Options", L"true", L"true", L"BEFORE", {on}),
        Cat(L"pondrel options", L"true", L"true", L"after", {on}),  // options only with the exact name
    };
    EXPECT_EQ(Plan(source), L"Search#1 | - | Reference#3 | - | PondRel Options#8* | pondrel options#9");

    std::vector<CategoryItem> items = PlanCategories(source);
    EXPECT_EQ(items[0].id, L"id-Search");
    EXPECT_EQ(items[0].icon, L"Search.png");
    EXPECT_EQ(items[0].version, L"3");

    FakeSource none;
    EXPECT_TRUE(PlanCategories(none).empty());
}

TEST(TextMenuItems, DefaultGuessLabelIsCutAfter24Characters) {
    struct Case {
        const wchar_t* guessText;
        const wchar_t* text;
        const wchar_t* label;
    };
    const Case cases[] = {
        {L"Look up pq_text", L"ponds", L"Look up ponds"},
        {L"pq_text", L"abcdefghijklmnopqrstuvwx", L"abcdefghijklmnopqrstuvwx"},      // 24: kept
        {L"pq_text", L"abcdefghijklmnopqrstuvwxy", L"abcdefghijklmnopqrstuvwx..."},  // 25: 24 + "..."
        {L"Find pq_text", L"abcdefghijklmnopqrstu", L"Find abcdefghijklmnopqrs..."},
        {L"pq_text and pq_text", L"ab", L"ab and ab"},
        {L"Look up pq_text", L"", L"Record name"},
    };
    for (const Case& c : cases) EXPECT_EQ(DefaultGuessLabel(c.guessText, c.text, L"Record name"), c.label) << c.text;
}

TEST(TextMenuItems, ResultRowLabelCutsTheInsertedTextFirst) {
    GuessRow row;
    row.label = L"Maps for pq_text here";
    row.inserted = L"abcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(GuessRowLabel(row, L"unused"), L"Maps for abcdefghijklmnopqrstuvwx... here");  // longer than 27
    row.label.clear();
    row.inserted = L"pond";
    EXPECT_EQ(GuessRowLabel(row, L"Entry pq_text"), L"Entry pond");

    MenuItemData item;
    row.id = L"ECP1";
    row.token = L"tok";
    row.target = L"tgt";
    row.type = L"pq_default";
    row.subMenuFlag = L"TRUE";
    FillGuessItem(item, row, L"label");
    EXPECT_EQ(item.m_Text, L"label");
    EXPECT_EQ(item.m_Id, L"ECP1");
    EXPECT_TRUE(item.m_HasEcpMenu && item.m_Counted && item.m_Guess);
    EXPECT_EQ(item.m_Token, L"tok");
    EXPECT_EQ(item.m_Target, L"tgt");
    row.subMenuFlag = L"yes";
    FillGuessItem(item, row, L"label");
    EXPECT_FALSE(item.m_HasEcpMenu);
}

TEST(TextMenuItems, RequestCounterWrapsAfter20000) {
    EXPECT_EQ(NextRequestId(0), 1);
    EXPECT_EQ(NextRequestId(19999), 20000);
    EXPECT_EQ(NextRequestId(20000), 0);
    EXPECT_EQ(NextRequestId(25000), 0);
}

TEST(TextMenuItems, RepeatRequests) {
    EXPECT_TRUE(IsRepeatRequest(L"Pond", L"pOND", 7, 7));
    EXPECT_FALSE(IsRepeatRequest(L"Pond", L"pond", 6, 7));  // the thread holds older results
    EXPECT_FALSE(IsRepeatRequest(L"Pond", L"lake", 7, 7));
    EXPECT_FALSE(IsRepeatRequest(L"", L"", 7, 7));
}

TEST(TextMenuItems, SearchChoice) {
    auto encode = [](const std::wstring& s) { return L"<" + s + L">"; };
    struct Case {
        const char* name;
        const wchar_t* token;
        const wchar_t* target;
        bool mark;
        const wchar_t* url;
        bool unmarked;
    };
    const Case cases[] = {
        {"observer's text", L"", L"", true, L"http://s/?q=<pond life>&r=<pond life>", false},
        {"token with pq_default target", L"tok", L"pq_default", true, L"http://s/?q=<tok>&r=<tok>", false},
        {"target wins over the token", L"tok", L"tgt", true, L"http://s/?q=<tgt>&r=<tgt>", false},
        {"no action mark: unchanged", L"tok", L"tgt", false, L"http://s/?q={pq_token}&r={pq_token}", true},
    };
    for (const Case& c : cases) {
        MenuItemData item;
        item.m_Type = L"http://s/?q={pq_token}&r={pq_token}";
        item.m_Token = c.token;
        item.m_Target = c.target;
        item.m_ActionMark = c.mark;
        SearchChoice choice = ChooseSearch(item, L"pond life", encode);
        EXPECT_EQ(choice.url, c.url) << c.name;
        EXPECT_EQ(choice.unmarked, c.unmarked) << c.name;
    }
}

TEST(TextMenuItems, PanelChoiceAndChoosableItems) {
    MenuItemData item;
    PanelChoice p = ChoosePanel(item, L"seen");
    EXPECT_EQ(p.token, L"seen");
    EXPECT_EQ(p.currentUrl, L"seen");
    item.m_Token = L"tok";
    item.m_Target = L"pq_default";
    p = ChoosePanel(item, L"seen");
    EXPECT_EQ(p.token, L"tok");
    EXPECT_EQ(p.currentUrl, L"tok");
    item.m_Target = L"http://t/";
    EXPECT_EQ(ChoosePanel(item, L"seen").currentUrl, L"http://t/");

    EXPECT_FALSE(IsChoosable(nullptr));
    MenuItemData category;
    category.m_Data = 3;
    EXPECT_FALSE(IsChoosable(&category));
    MenuItemData noId;
    noId.m_Id.clear();
    EXPECT_FALSE(IsChoosable(&noId));
    EXPECT_TRUE(IsChoosable(&item));
}

TEST(TextMenuItems, ReplaceAll) {
    EXPECT_EQ(ReplaceAll(L"a{x}b{x}", L"{x}", L"{x}{x}"), L"a{x}{x}b{x}{x}");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
}

TEST(TextMenuGuesses, RequestsCountOnAndRepeatsReuseTheHeldAnswer) {
    BestGuessShared shared;
    int latest = 0;
    const std::wstring context = L"ctx", second = L"ctx2";

    GuessRequest r = DecideGuessRequest(shared, latest, L"Pond", &context, second);
    EXPECT_FALSE(r.repeat);
    EXPECT_TRUE(r.withContext);
    EXPECT_EQ(r.requestId, 1);
    EXPECT_EQ(latest, 1);
    EXPECT_EQ(shared.query1, L"ctx2");
    EXPECT_EQ(shared.query2, L"ctx");
    EXPECT_EQ(shared.query3, L"Pond");

    // The answer has not arrived: asking again is a new request.
    r = DecideGuessRequest(shared, latest, L"pond", &context, second);
    EXPECT_FALSE(r.repeat);
    EXPECT_EQ(latest, 2);

    // The answer to the latest request is held: the same text repeats.
    shared.answeredId = 2;
    r = DecideGuessRequest(shared, latest, L"POND", &context, second);
    EXPECT_TRUE(r.repeat);
    EXPECT_EQ(r.requestId, 2);
    EXPECT_EQ(latest, 2);
    EXPECT_EQ(shared.query3, L"pond");

    // Without a first context: the query holds the text only.
    r = DecideGuessRequest(shared, latest, L"Lake", nullptr, second);
    EXPECT_FALSE(r.repeat);
    EXPECT_FALSE(r.withContext);
    EXPECT_EQ(shared.query1, L"");
    EXPECT_EQ(shared.query2, L"");
    EXPECT_EQ(shared.query3, L"Lake");

    shared.requestId = 20000;
    r = DecideGuessRequest(shared, latest, L"River", nullptr, second);
    EXPECT_EQ(r.requestId, 0);
    EXPECT_EQ(latest, 0);
}

TEST(TextMenuGuesses, AnswerRowsBecomeItemsRowsWithoutRecordsSkipped) {
    BestGuessShared shared;
    const wchar_t* ids[] = {L"A", L"missing", L"B"};
    for (int i = 0; i < 3; ++i) {
        shared.rows[i].id = ids[i];
        shared.rows[i].inserted = L"pond";
        shared.rows[i].type = i == 2 ? L"http://s/?q={pq_token}" : L"pq_default";
        shared.rows[i].iconUrl = i == 2 ? L"http://i/icon.png" : L"";
    }
    shared.rows[0].label = L"About pq_text";
    auto lookup = [](const std::wstring& id, GuessRecord& record) {
        if (id.empty() || id == L"missing") return false;
        record.category = 2;
        record.target = 1;
        record.entry = id == L"A" ? 4 : 5;
        record.guessText = L"Entry for pq_text";
        return true;
    };
    std::vector<GuessItem> items = PlanGuessItems(shared, 3, lookup);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].fields.m_Text, L"About pond");
    EXPECT_EQ(items[0].fields.m_Id, L"A");
    EXPECT_EQ(items[0].fields.m_TreeEntry, 4);
    EXPECT_EQ(items[1].fields.m_Text, L"Entry for pond");
    EXPECT_EQ(items[1].fields.m_Type, L"http://s/?q={pq_token}");
    EXPECT_EQ(items[1].iconUrl, L"http://i/icon.png");
    EXPECT_TRUE(items[1].fields.m_Guess && items[1].fields.m_Counted);

    EXPECT_TRUE(PlanGuessItems(shared, 0, lookup).empty());
    EXPECT_EQ(PlanGuessItems(shared, 999, lookup).size(), 2u);  // at most the rows there are
    EXPECT_TRUE(PlanGuessItems(shared, -3, lookup).empty());
}
