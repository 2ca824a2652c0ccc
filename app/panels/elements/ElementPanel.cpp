#include "app/panels/elements/ElementPanel.h"

#include "Hextens/HXLib/UrlEncode.h"
#include "app/panels/templates/TemplateValues.h"

#include <algorithm>
#include <utility>
#include <vector>

using templates::ElementType;

const wchar_t kSearchPresetUrl[] = L"about:blank";
const wchar_t kSubmitId[] = L"submitty";
const wchar_t* const kTailIds[4] = {L"pq_tail_left_upper", L"pq_tail_left_lower", L"pq_tail_right_upper",
                                    L"pq_tail_right_lower"};

namespace {

int TailSlot(ElementType type) {
  switch (type) {
    case ElementType::kTailLeftUpper: return 0;
    case ElementType::kTailLeftLower: return 1;
    case ElementType::kTailRightUpper: return 2;
    case ElementType::kTailRightLower: return 3;
    default: return -1;
  }
}

std::wstring FixedId(ElementType type) {
  if (type == ElementType::kSearchSubmit) return kSubmitId;
  const int slot = TailSlot(type);
  return slot >= 0 ? kTailIds[slot] : std::wstring();
}

}  // namespace

void ElementPanel::Log(const std::wstring& line) const {
  if (log) log(line);
}

void ElementPanel::BuildElements(TemplateDocument& document, const PanelRecord& record,
                                 templates::TemplateSize templateSize, RenderFactory& factory) {
  size = templateSize;
  // The elements were chosen by the first build's record flags; a rebuild
  // walks them with that record, or it would meet other elements than it
  // counted (a navigation may have brought a record with other flags).
  if (!templateLoaded) firstRecord_ = record;
  const BuildContext context{&document, &firstRecord_, &factory, !templateLoaded};
  // A rebuild walks the elements in creation order from the first.
  creationCounter = templateLoaded ? 0 : static_cast<int>(all.Count());
  // The root has the template's size; the window itself is the outermost
  // element under it, so that its own sizes and anchors refer to the panel.
  root.width = templateSize.width;
  root.height = templateSize.height;
  walked_ = 0;
  BuildNode(context, ElementType::kAreaDesign, L"/window", document.Text(L"/window/id"), &root, 0);
  templateLoaded = true;
}

WindowElement* ElementPanel::NextBuiltElement() {
  WindowElement* e = all.At(static_cast<size_t>(creationCounter));
  if (e != nullptr) ++creationCounter;
  return e;
}

void ElementPanel::BuildLevel(const BuildContext& context, const std::wstring& parentPath, WindowElement* parent,
                              int depth) {
  const int count = context.document->CountElements(parentPath);
  if (count <= 0) return;
  if (depth >= kMaxElementDepth) {
    Log(L"Window template nests elements deeper than " + std::to_wstring(kMaxElementDepth) + L" levels at " +
        parentPath + L"; not built");
    return;
  }
  // Every build walks the same elements, so a cut one is cut in each.
  const int taken = std::min(count, std::max(0, kMaxElementCount - walked_));
  walked_ += taken;
  if (taken < count && !cutLogged_) {
    cutLogged_ = true;
    Log(L"Window template has more than " + std::to_wstring(kMaxElementCount) + L" elements; those from " +
        templates::ElementPath(parentPath, taken + 1) + L" on are not built");
  }
  if (taken == 0) return;
  std::vector<std::wstring> ids;
  ids.reserve(static_cast<size_t>(taken));
  for (int i = 1; i <= taken; ++i) ids.push_back(context.document->Text(templates::ElementPath(parentPath, i) + L"/id"));
  for (int index : templates::OrderElementNodes(ids)) {
    const std::wstring path = templates::ElementPath(parentPath, index);
    const ElementType type = templates::ReadElementType(context.document->Text(path + L"/type"));
    BuildNode(context, type, path, ids[static_cast<size_t>(index - 1)], parent, depth + 1);
  }
}

void ElementPanel::BuildNode(const BuildContext& context, ElementType type, const std::wstring& path,
                             const std::wstring& templateId, WindowElement* parent, int depth) {
  const PanelRecord& record = *context.record;
  const std::wstring id = templates::ReadElementId(FixedId(type), templateId);
  if (templates::ClassifyElementId(id).searchArea && !record.flags.showSearch) return;
  if (type == ElementType::kTail) {
    // Its children stand in its place, under the same parent.  A rebuild
    // walks them too: the tails among them are skipped, but any other element
    // there was built and counted, and the elements after it must find
    // themselves in creation order.
    BuildLevel(context, path, parent, depth);
    return;
  }
  if (templates::IsTailCorner(type) && !context.firstBuild) {
    // The tail itself keeps its first style (its place is the panel
    // start's), but the elements inside it were built and counted like any
    // other: they are walked again, under a stand-in of the tail read at the
    // new size (the tail the panel chose may be the only one left).  Only
    // the tail each corner was built from holds built elements.
    if (path != tailPaths[static_cast<size_t>(TailSlot(type))]) return;
    TailElement standIn;
    ReadStyle(context, type, path, standIn, parent);
    BuildLevel(context, path, &standIn, depth);
    return;
  }
  if (context.firstBuild && TailSlot(type) >= 0 && tails[static_cast<size_t>(TailSlot(type))] != nullptr) {
    // The first tail of a corner is the corner's; another one (and what it
    // holds) is not built: replacing the first would delete an element its
    // own children may still be reading.
    Log(std::wstring(L"Window template has a second ") + kTailIds[TailSlot(type)] + L" at " + path +
        L"; not built");
    return;
  }
  if (!templates::IsElementBuilt(type, record.flags, context.firstBuild)) return;
  if (type == ElementType::kResize) {
    hasResizeControl = true;
    return;
  }

  WindowElement* element = nullptr;
  if (context.firstBuild) {
    std::unique_ptr<WindowElement> made = CreateElement(type, path, context);
    if (made == nullptr) return;
    element = made.get();
    ReadStyle(context, type, path, *element, parent);
    element->owner = this;
    element->panelWindow = window;
    element->panelLock = lock;
    const int slot = TailSlot(type);
    if (slot >= 0) {
      tails[static_cast<size_t>(slot)].reset(static_cast<TailElement*>(made.release()));
      tailPaths[static_cast<size_t>(slot)] = path;
    } else {
      element->index = creationCounter++;
      all.Add(made.release());
      if (parent != nullptr) parent->AddChild(element);
    }
  } else {
    if (type == ElementType::kAd && !hadAd) return;
    element = NextBuiltElement();
    if (element == nullptr) {
      Log(L"Window template has more elements than were built at " + path + L"; the rest keep their style");
      return;
    }
    ReadStyle(context, type, path, *element, parent);
  }
  if (windowElement == nullptr && parent == &root) windowElement = element;
  BuildLevel(context, path, element, depth);
}

std::unique_ptr<WindowElement> ElementPanel::CreateElement(ElementType type, const std::wstring& path,
                                                           const BuildContext& context) {
  const PanelRecord& record = *context.record;
  std::unique_ptr<WindowElement> e;
  auto windowedUnderLock = [this](WindowElement* w) {
    PanelLockScope hold(lock);
    windowed.Add(w);
  };
  switch (type) {
    case ElementType::kAreaDesign:
      e = std::make_unique<AreaDesignElement>();
      drawn.Add(e.get());
      break;
    case ElementType::kContent:
    case ElementType::kMenuContent: {
      auto content = type == ElementType::kContent ? std::make_unique<ECPElement>()
                                                   : std::make_unique<ECPMenuElement>();
      mainContent = content.get();
      e = std::move(content);
      windowedUnderLock(e.get());
      break;
    }
    case ElementType::kAd: {
      auto ad = std::make_unique<AdElement>();
      // The query text is the user's: percent-encoded, so that its "&", "#"
      // or "%" stays inside the token.
      ad->contentUrl = record.adsUrl + L"?adtype=ecp&token=" + urlenc::PercentEncodeWide(record.queryText);
      hadAd = true;
      e = std::move(ad);
      windowedUnderLock(e.get());
      break;
    }
    case ElementType::kSearchText: {
      auto search = std::make_unique<SearchElement>();
      search->contentUrl = kSearchPresetUrl;
      searchElement = search.get();
      e = std::move(search);
      windowedUnderLock(e.get());
      break;
    }
    case ElementType::kSearchControl:
    case ElementType::kContextShift: {
      auto shift = std::make_unique<ContextShiftElement>();
      if (type == ElementType::kSearchControl) searchControl = shift.get();
      e = std::move(shift);
      drawn.Add(e.get());
      contextShift.Add(e.get());
      break;
    }
    case ElementType::kSearchSubmit:
      e = std::make_unique<SearchSubmitElement>();
      drawn.Add(e.get());
      searchSubmit.Add(e.get());
      break;
    case ElementType::kChildOpen:
      e = std::make_unique<MaxToBrowserElement>();
      drawn.Add(e.get());
      openInBrowser.Add(e.get());
      break;
    case ElementType::kNext:
    case ElementType::kBack: {
      auto nav = std::make_unique<NavigateElement>();
      nav->forward = type == ElementType::kNext;
      e = std::move(nav);
      drawn.Add(e.get());
      navigate.Add(e.get());
      break;
    }
    case ElementType::kDock:
      e = std::make_unique<DockElement>();
      dockable = true;
      drawn.Add(e.get());
      dock.Add(e.get());
      break;
    case ElementType::kShare: {
      auto s = std::make_unique<ShareElement>();
      s->target = context.document->Text(path + L"/guid");
      shareElement = s.get();
      e = std::move(s);
      drawn.Add(e.get());
      share.Add(e.get());
      break;
    }
    case ElementType::kMove:
      e = std::make_unique<GripperElement>();
      drawn.Add(e.get());
      move.Add(e.get());
      break;
    case ElementType::kClose:
      e = std::make_unique<CloseElement>();
      drawn.Add(e.get());
      close.Add(e.get());
      break;
    case ElementType::kTailLeftUpper:
    case ElementType::kTailLeftLower:
    case ElementType::kTailRightUpper:
    case ElementType::kTailRightLower:
      e = std::make_unique<TailElement>();
      break;
    default:
      break;
  }
  return e;
}

void ElementPanel::ReadStyle(const BuildContext& context, ElementType type, const std::wstring& path,
                             WindowElement& element, const WindowElement* parent) {
  TemplateDocument& document = *context.document;
  templates::StyleReadContext styleContext;
  styleContext.size = size;
  styleContext.firstBuild = context.firstBuild;
  styleContext.searchPanel = context.record->searchPanel;
  styleContext.parent = parent;
  styleContext.fixedId = FixedId(type);
  templates::ElementStyle style;
  templates::ReadElementStyle([&document](const std::wstring& p) { return document.Text(p); }, path, styleContext,
                              element, style);

  element.id = style.id;
  element.colour = style.colour;
  element.widthMode = style.widthMode;
  element.heightMode = style.heightMode;
  element.paddingTopMode = style.paddingTopMode;
  element.paddingBottomMode = style.paddingBottomMode;
  element.paddingLeftMode = style.paddingLeftMode;
  element.paddingRightMode = style.paddingRightMode;
  element.whiteSpace = style.noWrap;
  if (!context.firstBuild) return;

  // Pictures, text and box: the first build only.
  const templates::Background& bg = style.background;
  element.backgroundRepeat = bg.repeat;
  element.backgroundPosition = !bg.position.set ? 0 : bg.position.centred ? 2 : 1;
  element.backgroundX = bg.position.x;
  element.backgroundY = bg.position.y;
  RenderFactory& factory = *context.factory;
  if (type == ElementType::kSearchControl) {
    SetRenderElement(element, factory.Icon(element, style));
  } else if (!bg.image.empty()) {
    std::unique_ptr<RenderElement> bitmap = factory.Bitmap(element, style);
    if (bitmap != nullptr) SetRenderElement(element, std::move(bitmap));
  }
  const bool areaType = type == ElementType::kAreaDesign;
  if (areaType && style.roles.title) titleElement = &element;
  if (style.hasText) {
    const std::wstring text = areaType && style.roles.title ? context.record->name : std::wstring(L"Title");
    SetRenderElement(element, factory.Text(text, element.colour));
  }
  if (element.Render() == nullptr && templates::HasBoxFallback(type)) {
    SetRenderElement(element, factory.Box(element.colour));
  }
  if (type == ElementType::kContent || type == ElementType::kMenuContent) {
    if (buildContentUrl) buildContentUrl(static_cast<ContentElement&>(element));
  }
}

templates::LayoutRect ElementPanel::LayoutPanel() {
  if (windowElement == nullptr) {
    panelRect = {};
    return panelRect;
  }
  // Windowed elements' rectangles are read by the children thread.
  PanelLockScope hold(lock);
  panelRect = templates::LayoutPanel(root, zoom);
  return panelRect;
}

void ElementPanel::CreateResizeHandles(const templates::LayoutRect& rect) {
  resizeHandles.Clear();
  for (const templates::ResizeHandle& h : templates::ResizeHandleRects(rect.right - rect.left, rect.bottom - rect.top)) {
    auto handle = std::make_unique<ResizeElement>();
    handle->direction = h.direction;
    handle->SetWindowRects(h.rect, h.rect, 0, 0);
    handle->innerRect = h.rect;
    handle->owner = this;
    handle->panelWindow = window;
    handle->panelLock = lock;
    resizeHandles.Add(handle.release());
  }
}

templates::LayoutRect ElementPanel::ResizePanel(int direction, int width, int height,
                                                const templates::LayoutRect& screen,
                                                const std::function<void(int, int)>& loadTemplate) {
  const templates::TemplateSize old = size;
  creationCounter = 0;
  if (loadTemplate) loadTemplate(width, height);
  const templates::LayoutRect r = LayoutPanel();
  const templates::LayoutRect moved = templates::ResizedScreenRect(direction, screen, old.width, old.height, width,
                                                                   height, r.right - r.left, r.bottom - r.top);
  CreateResizeHandles(r);
  return moved;
}


PanelHit ElementPanel::HitTest(int x, int y) const {
  PanelHit hit;
  const std::pair<const ElementList*, PanelControl> controls[] = {
      {&close, PanelControl::kClose},          {&share, PanelControl::kShare},
      {&searchSubmit, PanelControl::kSearchSubmit}, {&dock, PanelControl::kDock},
      {&navigate, PanelControl::kNextBack},    {&openInBrowser, PanelControl::kOpenInBrowser},
      {&contextShift, PanelControl::kContextShift}, {&resizeHandles, PanelControl::kResize},
  };
  for (const auto& c : controls) {
    if (WindowElement* e = c.first->HitTest(x, y)) {
      hit.control = c.second;
      hit.element = e;
      break;
    }
  }
  hit.overMoveArea = move.HitTest(x, y) != nullptr;
  if (auto* handle = dynamic_cast<ResizeElement*>(resizeHandles.HitTest(x, y))) hit.resizeDirection = handle->direction;
  PanelLockScope hold(lock);
  hit.overWindowed = windowed.HitTest(x, y) != nullptr;
  return hit;
}

bool ElementPanel::RaiseChildWindows(int panelLeft, int panelTop, bool force) {
  PanelLockScope hold(lock);
  auto* first = dynamic_cast<ContentElement*>(windowed.First());
  ChildWindow* child = first != nullptr ? first->LinkedWindow() : nullptr;
  if (child == nullptr || !child->HasHandle() || !child->IsShown() || window == nullptr) return false;
  if (!force && child->IsRightAbove(*window)) return false;
  windowed.MoveAll(panelLeft, panelTop);
  return true;
}

bool ElementPanel::SetNavButtonState(bool enabled, bool forward) {
  for (WindowElement* e : navigate) {
    auto* nav = dynamic_cast<NavigateElement*>(e);
    if (nav == nullptr || nav->forward != forward) continue;
    if (nav->Render() == nullptr) return false;
    nav->Render()->state = enabled ? 0 : 1;
    return true;
  }
  return false;
}
