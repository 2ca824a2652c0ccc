#include "app/selection/menus/TextRootItems.h"

#include <algorithm>

namespace text_menu {

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::vector<CategoryItem> PlanCategories(CategorySource& source) {
    std::vector<CategoryItem> items;
    const int count = source.CategoryCount();
    for (int i = 1; i <= count; ++i) {
        CategoryTexts c = source.ReadCategory(i);
        if (EqualsNoCase(c.name, L"Pondrel") || !EqualsNoCase(c.active, L"true") || !EqualsNoCase(c.inMenu, L"true"))
            continue;
        bool shown = false;
        const int entries = source.EcpCount();
        for (int j = 1; j <= entries && !shown; ++j) {
            std::wstring active, inMenu;
            source.ReadEcpFlags(j, active, inMenu);
            shown = EqualsNoCase(active, L"true") && EqualsNoCase(inMenu, L"true");
        }
        if (!shown) continue;
        if (EqualsNoCase(c.divider, L"before")) {
            CategoryItem divider;
            divider.separator = true;
            items.push_back(divider);
        }
        CategoryItem item;
        item.name = c.name;
        item.id = c.id;
        item.icon = c.icon;
        item.version = c.version;
        item.index = i;
        item.options = c.name == L"PondRel Options";
        items.push_back(item);
    }
    return items;
}

int NextRequestId(int counter) { return counter >= 20000 ? 0 : counter + 1; }

bool IsRepeatRequest(const std::wstring& text, const std::wstring& lastQuery, int heldResultsId, int latestRequestId) {
    return !text.empty() && EqualsNoCase(text, lastQuery) && heldResultsId == latestRequestId;
}

std::wstring CutLabel(const std::wstring& text) {
    return text.size() > kLabelCut ? text.substr(0, kLabelCut) + L"..." : text;
}

std::wstring DefaultGuessLabel(const std::wstring& guessText, const std::wstring& text, const std::wstring& recordName) {
    if (text.empty()) return recordName;
    return CutLabel(ReplaceAll(guessText, L"pq_text", text));
}

std::wstring GuessRowLabel(const GuessRow& row, const std::wstring& entryGuessText) {
    const std::wstring& label = row.label.empty() ? entryGuessText : row.label;
    return ReplaceAll(label, L"pq_text", CutLabel(row.inserted));
}

void FillGuessItem(MenuItemData& item, const GuessRow& row, const std::wstring& label) {
    item.m_Text = label;
    item.m_Id = row.id;
    item.m_Data = 0;
    item.m_HasEcpMenu = EqualsNoCase(row.subMenuFlag, L"true");
    item.m_Counted = true;
    item.m_Target = row.target;
    item.m_Token = row.token;
    item.m_Type = row.type;
    item.m_Guess = true;
}

SearchChoice ChooseSearch(const MenuItemData& item, const std::wstring& observerText,
                          const std::function<std::wstring(const std::wstring&)>& encode) {
    SearchChoice choice;
    if (item.m_Token.empty())
        choice.token = observerText;
    else if (item.m_Target == L"pq_default")
        choice.token = item.m_Token;
    else
        choice.token = item.m_Target;
    if (item.m_ActionMark) {
        choice.url = ReplaceAll(item.m_Type, L"{pq_token}", encode(choice.token));
    } else {
        choice.url = item.m_Type;
        choice.unmarked = true;
    }
    return choice;
}

PanelChoice ChoosePanel(const MenuItemData& item, const std::wstring& observerText) {
    PanelChoice choice;
    if (!item.m_Token.empty()) {
        choice.token = item.m_Token;
        choice.currentUrl = item.m_Target != L"pq_default" ? item.m_Target : choice.token;
    } else {
        choice.token = observerText;
        choice.currentUrl = choice.token;
    }
    return choice;
}

bool IsChoosable(const MenuItemData* item) { return item && !item->m_Id.empty() && item->m_Data == 0; }

}  // namespace text_menu

namespace text_menu {

GuessRequest DecideGuessRequest(BestGuessShared& shared, int& latestRequestId, const std::wstring& text,
                                const std::wstring* firstContext, const std::wstring& secondContext) {
    GuessRequest request;
    request.withContext = firstContext != nullptr;
    request.repeat = IsRepeatRequest(text, shared.query3, shared.answeredId, latestRequestId);
    if (request.repeat) {
        request.requestId = latestRequestId;
        return request;
    }
    shared.requestId = NextRequestId(shared.requestId);
    latestRequestId = shared.requestId;
    request.requestId = shared.requestId;
    shared.query1 = firstContext ? secondContext : std::wstring();
    shared.query2 = firstContext ? *firstContext : std::wstring();
    shared.query3 = text;
    return request;
}

std::vector<GuessItem> PlanGuessItems(const BestGuessShared& shared, int count, const GuessRecordLookup& lookup) {
    std::vector<GuessItem> items;
    const int n = std::min(std::max(count, 0), BestGuessShared::kMaxRows);
    for (int i = 0; i < n; ++i) {
        const GuessRow& row = shared.rows[i];
        GuessRecord record;
        if (!lookup(row.id, record)) continue;
        GuessItem item;
        FillGuessItem(item.fields, row, GuessRowLabel(row, record.guessText));
        item.fields.m_TreeCategory = record.category;
        item.fields.m_TreeTarget = record.target;
        item.fields.m_TreeEntry = record.entry;
        item.iconUrl = row.iconUrl;
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace text_menu
