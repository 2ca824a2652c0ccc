// The text menu's item lists as plain code: which categories of the settings
// become items (and where dividers go), the best-guess items' labels, the
// request counter and repeat rule, and what a chosen search item opens.  The
// menu window (TextRootMenu) reads the settings and loads icons; these
// decide.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/core/common/BestGuessShared.h"
#include "app/selection/menus/MenuItems.h"

namespace text_menu {

using menu_layout::EqualsNoCase;
// Every occurrence of `from` replaced by `to`.
std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);

// What the settings walk reads for one category.
struct CategoryTexts {
    std::wstring active, inMenu, name, divider, id, icon, version;
};
// The settings walk over the categories of the settings document: category
// i (1-based) with its first target, and the active and in-menu flags of its
// panel entries.
class CategorySource {
public:
    virtual ~CategorySource() = default;
    virtual int CategoryCount() = 0;
    virtual CategoryTexts ReadCategory(int i) = 0;  // also positions on its first target
    virtual int EcpCount() = 0;                     // entries of the current category
    virtual void ReadEcpFlags(int j, std::wstring& active, std::wstring& inMenu) = 0;
};

// One item of the category list.
struct CategoryItem {
    bool separator = false;
    std::wstring name;
    std::wstring id;
    std::wstring icon;     // the category's icon name (under the images URL)
    std::wstring version;  // the category's version (its icon's cache name)
    int index = 0;         // 1-based category index
    bool options = false;  // the "PondRel Options" category
};
// The categories shown, in order, each after its divider when it asks for
// one "before": a category qualifies when its name is not "Pondrel" (any
// case) and it is active and in the menu, and shows when one of its entries
// is active and in the menu.
std::vector<CategoryItem> PlanCategories(CategorySource& source);

// The request counter's next value: one more, 0 after 20000.
int NextRequestId(int counter);
// A request repeats the latest one when its text is not empty, equals the
// thread's last query (ignoring case), and the results the thread holds are
// those of the latest request.
bool IsRepeatRequest(const std::wstring& text, const std::wstring& lastQuery, int heldResultsId, int latestRequestId);

constexpr size_t kLabelCut = 24;
// text cut to kLabelCut characters followed by "..." when longer.
std::wstring CutLabel(const std::wstring& text);
// The default best-guess item's label: the entry's guess text with every
// "pq_text" replaced by the text, cut; the record's name for an empty text.
std::wstring DefaultGuessLabel(const std::wstring& guessText, const std::wstring& text, const std::wstring& recordName);

// A result item's label: the row's template (the entry's guess text when
// empty) with every "pq_text" replaced by the inserted text, which is cut
// first.
std::wstring GuessRowLabel(const GuessRow& row, const std::wstring& entryGuessText);
// The fields a result row gives its item (text, id, tokens, type, marks).
void FillGuessItem(MenuItemData& item, const GuessRow& row, const std::wstring& label);

// What choosing a search item opens: the item's URL with "{pq_token}"
// replaced by the encoded token when the item has the action mark, else
// the URL as it is (unmarked is true then).
struct SearchChoice {
    std::wstring url;
    std::wstring token;
    bool unmarked = false;
};
SearchChoice ChooseSearch(const MenuItemData& item, const std::wstring& observerText,
                          const std::function<std::wstring(const std::wstring&)>& encode);

// What choosing a panel item hands the panel: the token and the record's
// current URL.
struct PanelChoice {
    std::wstring token;
    std::wstring currentUrl;
};
PanelChoice ChoosePanel(const MenuItemData& item, const std::wstring& observerText);

// Nothing is chosen for an item with an empty id or with item data
// (category and application items).
bool IsChoosable(const MenuItemData* item);

}  // namespace text_menu

namespace text_menu {


// A best-guess request, decided under the lock: a repeat of the latest
// request reuses the held answer; otherwise the counter moves on, the query
// texts are written and the new id is the application's latest request id.
struct GuessRequest {
    bool repeat = false;
    int requestId = 0;
    bool withContext = false;  // a first context was given (usage counted; 11801's lParam 0)
};
GuessRequest DecideGuessRequest(BestGuessShared& shared, int& latestRequestId, const std::wstring& text,
                                const std::wstring* firstContext, const std::wstring& secondContext);

// Where a result row's panel record sits in the settings tree, and its
// entry's guess text; false when no record has the row's id.
struct GuessRecord {
    int category = 0, target = 0, entry = 0;
    std::wstring guessText;
};
using GuessRecordLookup = std::function<bool(const std::wstring& id, GuessRecord& record)>;

// The items an answer gives, row 0 first, after which comes a guess
// separator; rows naming no record are left out (no separator without an
// item).
struct GuessItem {
    MenuItemData fields;
    std::wstring iconUrl;  // the row's icon; empty: the record's own icon
};
std::vector<GuessItem> PlanGuessItems(const BestGuessShared& shared, int count, const GuessRecordLookup& lookup);

}  // namespace text_menu
