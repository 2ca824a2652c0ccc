#include "app/panels/templates/ElementTypes.h"

#include "app/panels/templates/TemplateValues.h"


namespace templates {
namespace {

struct TypeName {
  const wchar_t* name;  // lower case
  ElementType type;
};

const TypeName kTypes[] = {
    {L"area.design", ElementType::kAreaDesign},
    {L"area.basic", ElementType::kAreaDesign},
    {L"area.content", ElementType::kContent},
    {L"area.menu.content", ElementType::kMenuContent},
    {L"area.ad", ElementType::kAd},
    {L"controls.search_text", ElementType::kSearchText},
    {L"controls.search", ElementType::kSearchControl},
    {L"controls.context_shift", ElementType::kContextShift},
    {L"controls.search_submit", ElementType::kSearchSubmit},
    {L"controls.resize", ElementType::kResize},
    {L"controls.child_open", ElementType::kChildOpen},
    {L"controls.next", ElementType::kNext},
    {L"controls.back", ElementType::kBack},
    {L"controls.dock", ElementType::kDock},
    {L"controls.share", ElementType::kShare},
    {L"controls.move", ElementType::kMove},
    {L"controls.close", ElementType::kClose},
    {L"controls.tail", ElementType::kTail},
    {L"controls.tail_left_upper", ElementType::kTailLeftUpper},
    {L"controls.tail_left_lower", ElementType::kTailLeftLower},
    {L"controls.tail_right_upper", ElementType::kTailRightUpper},
    {L"controls.tail_right_lower", ElementType::kTailRightLower},
};

}  // namespace

ElementType ReadElementType(const std::wstring& text) {
  for (const TypeName& t : kTypes) {
    if (EqualsIgnoringAsciiCase(text, t.name)) return t.type;
  }
  return ElementType::kUnknown;
}

bool IsTailCorner(ElementType type) {
  return type == ElementType::kTailLeftUpper || type == ElementType::kTailLeftLower ||
         type == ElementType::kTailRightUpper || type == ElementType::kTailRightLower;
}

bool IsElementBuilt(ElementType type, const RecordFlags& flags, bool firstBuild) {
  switch (type) {
    case ElementType::kUnknown: return false;
    case ElementType::kAd: return flags.showAds;
    case ElementType::kSearchText:
    case ElementType::kSearchControl:
    case ElementType::kContextShift:
    case ElementType::kSearchSubmit: return flags.showSearch;
    case ElementType::kResize: return flags.resizable;
    case ElementType::kChildOpen: return !EqualsIgnoringAsciiCase(flags.actionUrl, L"false");
    case ElementType::kDock: return flags.dockable;
    case ElementType::kShare: return flags.shareable;
    case ElementType::kTail: return firstBuild;
    default: return IsTailCorner(type) ? firstBuild : true;
  }
}

bool HasBoxFallback(ElementType type) {
  switch (type) {
    case ElementType::kChildOpen:
    case ElementType::kNext:
    case ElementType::kBack:
    case ElementType::kDock:
    case ElementType::kShare:
    case ElementType::kMove:
    case ElementType::kClose: return true;
    default: return false;
  }
}

std::wstring ElementPath(const std::wstring& parentPath, int index) {
  return parentPath + L"/element[" + std::to_wstring(index) + L"]";
}

std::vector<int> OrderElementNodes(const std::vector<std::wstring>& ids) {
  std::vector<int> order;
  order.reserve(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    if (ClassifyElementId(ids[i]).frame) {
      order.insert(order.begin(), index);
    } else {
      order.push_back(index);
    }
  }
  return order;
}

}  // namespace templates
