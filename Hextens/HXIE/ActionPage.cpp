// The page checks of one poll: the hot spot under the cursor, the selection,
// the frame walk, and the context parts they gather.
#include <windows.h>
#include <oleidl.h>
#include <wininet.h>

#include "Hextens/HXIE/Action.h"
#include "Hextens/HXIE/ModuleState.h"
#include "Hextens/HXIE/UpdateCycle.h"
#include "fx/ComString.h"
#include "fx/Variant.h"
#include "log/Logger.h"

namespace {

constexpr size_t kMaxItemText = 255;
constexpr int kMaxFrameDepth = 16;
// offsetParent steps followed at most: a page whose chain runs longer (or in
// a circle) gives no rectangle.
constexpr size_t kMaxOffsetDepth = 256;

// The attribute as a string; none when it is missing or not a string.
std::optional<std::wstring> StringAttribute(IHTMLElement* element, const wchar_t* name) {
    fx::Bstr attribute(name);
    fx::Variant value;
    if (SUCCEEDED(element->getAttribute(attribute.get(), 0, value.put())) && value.vt() == VT_BSTR) return value.str();
    return std::nullopt;
}

std::optional<std::wstring> InnerText(IHTMLElement* element) {
    fx::Bstr text;
    if (FAILED(element->get_innerText(text.put()))) return std::nullopt;
    return text.str();
}

std::wstring TagName(IHTMLElement* element) {
    fx::Bstr tag;
    if (FAILED(element->get_tagName(tag.put()))) return {};
    return tag.str();
}

fx::ComPtr<IHTMLElement> Parent(IHTMLElement* element) {
    fx::ComPtr<IHTMLElement> parent;
    if (FAILED(element->get_parentElement(parent.put()))) parent.reset();
    return parent;
}

bool CracksAsUrl(const std::wstring& url) {
    std::wstring host(8192, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = &host[0];
    parts.dwHostNameLength = 8191;
    return ::InternetCrackUrlW(url.c_str(), 0, 0, &parts) != FALSE;
}

std::wstring Filtered(const std::wstring& text) {
    const wchar_t* filtered = g_UtilityLib.SelectionFilter(text.c_str());
    return filtered ? std::wstring(filtered) : std::wstring();
}

}  // namespace

void CAction::ClearContextParts() {
    m_ContextText.clear();
    m_Description.clear();
    m_Keywords.clear();
}

bool CAction::CheckHotSpot(IHTMLDocument2* doc2, IHTMLDocument3* doc3, POINT cursor, hxie::Point documentOrigin,
                           const hxie::Rect&, hxie::Point) {
    ClearContextParts();
    fx::ComPtr<IHTMLElement> element;
    if (FAILED(doc2->elementFromPoint(cursor.x - documentOrigin.x, cursor.y - documentOrigin.y, element.put())) ||
        !element)
        return false;
    fx::ComPtr<IHTMLElement> anchor =
        hxie::EqualsIgnoreCase(TagName(element.get()).c_str(), L"A") ? element : FindAnchorAncestor(element.get());
    if (!anchor) return false;

    const std::wstring href = StringAttribute(anchor.get(), L"href").value_or(L"");
    const std::optional<std::wstring> innerText = InnerText(anchor.get());
    if (!innerText || innerText->empty() || innerText->size() > kMaxItemText) return false;

    hxie::IdRunCollector ids(hxie::kIdRunsLimit);
    CollectAncestorIds(anchor.get(), ids);

    if (!CracksAsUrl(href) || !m_pSiteEnhancer) return false;
    fx::Bstr location(m_Location), link(href), idRuns(ids.Runs()), bestGuess;
    VARIANT_BOOL isHotSpot = VARIANT_FALSE;
    const HRESULT hr =
        m_pSiteEnhancer->IsHotSpotLink(location.get(), link.get(), idRuns.get(), bestGuess.put(), &isHotSpot);
    if (FAILED(hr)) {
        LogMessage(L"(%s) *** IsHotSpotLink failed: 0x%08lx", g_ModuleName, static_cast<unsigned long>(hr));
        return false;
    }
    if (isHotSpot == VARIANT_FALSE) return false;

    fx::ComPtr<IHTMLElement2> anchor2;
    fx::ComPtr<IHTMLRect> bounds;
    if (FAILED(anchor.As(anchor2)) || !anchor2 || FAILED(anchor2->getBoundingClientRect(bounds.put())) || !bounds)
        return false;
    hxie::Rect client;
    if (FAILED(bounds->get_left(&client.left)) || FAILED(bounds->get_top(&client.top)) ||
        FAILED(bounds->get_right(&client.right)) || FAILED(bounds->get_bottom(&client.bottom)))
        return false;

    const std::wstring text = Filtered(*innerText);
    if (text.empty()) {
        m_HotSpot.Clear();
        return false;
    }
    if (SendContextOn()) {
        CheckContextText(anchor.get(), innerText->size());
        CheckMeta(doc3);
    }
    m_HotSpot.rect = hxie::HotSpotScreenRect(client, documentOrigin);
    m_HotSpot.href = href;
    m_HotSpot.text = text;
    m_HotSpot.bestGuess = bestGuess.str();
    m_HotSpot.contextXml = BuildContextXml(href, ids.Runs());
    return true;
}

bool CAction::CheckSelection(IHTMLDocument2* doc2, IHTMLDocument3* doc3, POINT, hxie::Point documentOrigin,
                             const hxie::Rect& clip, hxie::Point scroll) {
    ClearContextParts();
    fx::ComPtr<IHTMLSelectionObject> selection;
    fx::ComPtr<IDispatch> rangeObject;
    fx::ComPtr<IHTMLTxtRange> range;
    if (FAILED(doc2->get_selection(selection.put())) || !selection) return false;
    if (FAILED(selection->createRange(rangeObject.put())) || !rangeObject) return false;
    if (FAILED(rangeObject.As(range)) || !range) return false;
    fx::Bstr rangeText;
    if (FAILED(range->get_text(rangeText.put()))) return false;
    const std::wstring raw = rangeText.str();
    if (raw.empty() || raw.size() > kMaxItemText) return false;

    hxie::SelectionPlacement placement;
    fx::ComPtr<IHTMLElement> parent;
    if (FAILED(range->parentElement(parent.put()))) parent.reset();
    if (parent) {
        const std::wstring tag = TagName(parent.get());
        if (hxie::EqualsIgnoreCase(tag.c_str(), L"input")) {
            const std::optional<std::wstring> type = StringAttribute(parent.get(), L"type");
            if (type && hxie::EqualsIgnoreCase(type->c_str(), L"password")) return false;
        } else if (hxie::EqualsIgnoreCase(tag.c_str(), L"textarea")) {
            placement.textAreaClip = GetElementRect(parent.get()).value_or(hxie::Rect{});
            fx::ComPtr<IHTMLElement2> area2;
            if (SUCCEEDED(parent.As(area2)) && area2) {
                if (FAILED(area2->get_scrollLeft(&placement.textAreaOffset.x))) placement.textAreaOffset.x = 0;
                if (FAILED(area2->get_scrollTop(&placement.textAreaOffset.y))) placement.textAreaOffset.y = 0;
            }
        }
    }

    fx::ComPtr<IHTMLTextRangeMetrics> metrics;
    if (FAILED(range.As(metrics)) || !metrics) return false;
    auto readMetrics = [&](hxie::RangeMetrics& m) {
        return SUCCEEDED(metrics->get_boundingLeft(&m.left)) && SUCCEEDED(metrics->get_boundingTop(&m.top)) &&
               SUCCEEDED(metrics->get_boundingWidth(&m.width)) && SUCCEEDED(metrics->get_boundingHeight(&m.height));
    };
    if (!readMetrics(placement.metrics)) return false;
    if (placement.metrics.width == 0) {
        LogMessage(L"(%s) applying IE right-to-left bug workaround", g_ModuleName);
        fx::Bstr unit(L"character");
        LONG moved = 0;
        if (SUCCEEDED(range->moveStart(unit.get(), 1, &moved)) && moved) {
            hxie::RangeMetrics after;
            if (readMetrics(after)) placement.metrics.width = hxie::RightToLeftWidth(placement.metrics, after);
            range->moveStart(unit.get(), -1, &moved);
        }
    }
    placement.documentOrigin = documentOrigin;
    placement.scroll = scroll;
    placement.visible = clip;
    const hxie::Rect rect = hxie::SelectionScreenRect(placement);
    if (hxie::IsEmpty(rect)) return false;

    const std::wstring text = Filtered(raw);
    if (text.empty()) {
        m_Selection.Clear();
        return false;
    }
    if (SendContextOn()) {
        if (parent) CheckContextText(parent.get(), raw.size());
        CheckMeta(doc3);
    }
    m_Selection.text = text;
    m_Selection.rect = rect;
    m_Selection.contextXml = BuildContextXml(L"", L"");
    return true;
}

long CAction::CheckFrames(IWebBrowser2* browser, POINT cursor, long bits, const hxie::Rect& area,
                          hxie::Point bodyScroll, hxie::Point rootScroll, int depth) {
    if (!browser || depth >= kMaxFrameDepth) return bits;
    fx::ComPtr<IDispatch> document;
    fx::ComPtr<IOleContainer> container;
    fx::ComPtr<IEnumUnknown> objects;
    if (FAILED(browser->get_Document(document.put())) || !document) return bits;
    if (FAILED(document.As(container)) || !container) return bits;
    if (FAILED(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.put())) || !objects) return bits;

    const bool enhanced = !m_bDomainNotEnhanced;
    for (;;) {
        fx::ComPtr<IUnknown> object;
        ULONG fetched = 0;
        if (objects->Next(1, object.put(), &fetched) != S_OK || fetched != 1 || !object) break;
        fx::ComPtr<IWebBrowser2> frame;
        fx::ComPtr<IDispatch> frameDocument;
        fx::ComPtr<IHTMLDocument3> doc3;
        fx::ComPtr<IHTMLDocument2> doc2;
        if (FAILED(object.As(frame)) || !frame) continue;
        if (FAILED(frame->get_Document(frameDocument.put())) || !frameDocument) continue;
        if (FAILED(frameDocument.As(doc3)) || !doc3) continue;
        if (FAILED(frameDocument.As(doc2)) || !doc2) continue;

        const DocumentView view = ReadDocumentView(doc2.get(), doc3.get());
        const hxie::Point frameBodyScroll{bodyScroll.x + view.bodyScroll.x, bodyScroll.y + view.bodyScroll.y};
        const hxie::Point frameRootScroll{rootScroll.x + view.rootScroll.x, rootScroll.y + view.rootScroll.y};
        const hxie::FrameView frameView = hxie::FrameViewIn(view.rect, frameRootScroll, area);
        if (frameView.usable) {
            if (enhanced && !(bits & hxie::kHotSpotPresent) &&
                CheckHotSpot(doc2.get(), doc3.get(), cursor, frameView.origin, frameView.clip, frameBodyScroll))
                bits |= hxie::kHotSpotPresent;
            if (!(bits & hxie::kSelectionPresent) &&
                CheckSelection(doc2.get(), doc3.get(), cursor, frameView.origin, frameView.clip, frameBodyScroll))
                bits |= hxie::kSelectionPresent;
            if (hxie::FrameWalkNeeded(enhanced, bits))
                bits = CheckFrames(frame.get(), cursor, bits, area, frameBodyScroll, frameRootScroll, depth + 1);
        }
        if (hxie::AllFound(enhanced, bits)) return bits;
    }
    return bits;
}

void CAction::CollectAncestorIds(IHTMLElement* element, hxie::IdRunCollector& runs) {
    fx::ComPtr<IHTMLElement> current(element);
    while (current) {
        const std::optional<std::wstring> id = StringAttribute(current.get(), L"id");
        runs.Add(id ? id->c_str() : nullptr);
        current = Parent(current.get());
    }
}

fx::ComPtr<IHTMLElement> CAction::FindAnchorAncestor(IHTMLElement* element) {
    for (fx::ComPtr<IHTMLElement> current = Parent(element); current; current = Parent(current.get()))
        if (hxie::EqualsIgnoreCase(TagName(current.get()).c_str(), L"A")) return current;
    return {};
}

std::optional<hxie::Rect> CAction::GetElementRect(IHTMLElement* element) {
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(element->get_offsetLeft(&left)) || FAILED(element->get_offsetTop(&top)) ||
        FAILED(element->get_offsetWidth(&width)) || FAILED(element->get_offsetHeight(&height)))
        return std::nullopt;
    std::vector<hxie::OffsetStep> chain;
    fx::ComPtr<IHTMLElement> parent;
    if (FAILED(element->get_offsetParent(parent.put()))) return std::nullopt;
    while (parent) {
        if (chain.size() >= kMaxOffsetDepth) {
            LogMessage(L"(%s) *** offsetParent chain longer than %d elements", g_ModuleName,
                       static_cast<int>(kMaxOffsetDepth));
            return std::nullopt;
        }
        hxie::OffsetStep step;
        if (FAILED(parent->get_offsetLeft(&step.offsetLeft)) || FAILED(parent->get_offsetTop(&step.offsetTop)))
            return std::nullopt;
        fx::ComPtr<IHTMLElement2> parent2;
        if (SUCCEEDED(parent.As(parent2)) && parent2 && SUCCEEDED(parent2->get_scrollLeft(&step.scrollLeft)) &&
            SUCCEEDED(parent2->get_scrollTop(&step.scrollTop)))
            step.scrollKnown = true;
        chain.push_back(step);
        fx::ComPtr<IHTMLElement> next;
        if (FAILED(parent->get_offsetParent(next.put()))) return std::nullopt;
        parent = next;
    }
    return hxie::ElementRectFromOffsets(left, top, width, height, chain);
}

void CAction::CheckContextText(IHTMLElement* element, size_t n) {
    try {
        hxie::ContextTextPicker picker(n);
        for (fx::ComPtr<IHTMLElement> current(element); current; current = Parent(current.get())) {
            const std::optional<std::wstring> text = InnerText(current.get());
            if (picker.Offer(text ? text->c_str() : nullptr)) break;
        }
        m_ContextText = picker.Result();
    } catch (...) { LogMessage(L"*** (%s) Exception caught in CheckContextText", g_ModuleName); }
}

void CAction::CheckMeta(IHTMLDocument3* doc3) {
    try {
        fx::Bstr meta(L"meta");
        fx::ComPtr<IHTMLElementCollection> metas;
        if (FAILED(doc3->getElementsByTagName(meta.get(), metas.put())) || !metas) return;
        long count = 0;
        if (FAILED(metas->get_length(&count))) return;
        hxie::PageMeta found;
        for (long i = 0; i < count; ++i) {
            fx::Variant index = fx::Variant::FromLong(i), sub = fx::Variant::FromLong(0);
            fx::ComPtr<IDispatch> item;
            fx::ComPtr<IHTMLElement> element;
            if (FAILED(metas->item(*index.get(), *sub.get(), item.put())) || !item) continue;
            if (FAILED(item.As(element)) || !element) continue;
            const std::optional<std::wstring> name = StringAttribute(element.get(), L"name");
            const std::optional<std::wstring> content = StringAttribute(element.get(), L"content");
            found.Offer(name ? name->c_str() : nullptr, content ? content->c_str() : nullptr);
        }
        m_Description = found.description;
        m_Keywords = found.keywords;
    } catch (...) { LogMessage(L"*** (%s) Exception caught in CheckMeta", g_ModuleName); }
}

std::wstring CAction::BuildContextXml(const std::wstring& href, const std::wstring& idRuns) const {
    hxie::ContextParts parts;
    parts.appId = g_pConfig ? g_pConfig->id : L"";
    parts.title = m_Title;
    parts.location = m_Location;
    parts.href = href;
    parts.contextText = m_ContextText;
    parts.idRuns = idRuns;
    parts.description = m_Description;
    parts.keywords = m_Keywords;
    parts.sendContext = SendContextOn();
    return hxie::BuildContextXml(parts);
}
