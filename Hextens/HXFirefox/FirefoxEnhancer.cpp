#include "Hextens/HXFirefox/FirefoxEnhancer.h"

#include <cwchar>

#include "fx/ComInterface.h"
#include "fx/ComString.h"
#include "log/Logger.h"

namespace {

using iaction::kOnException;
using iaction::Out;
HRESULT Empty(BSTR* out) { return Out(out, L""); }

// Hard bound on the site enhancer's entries: more than the channel's table holds.
constexpr LONG kMaxSiteEntries = ffchannel::kMaxSiteStrings + 1;

fftext::Box ToBox(const RECT& r) { return fftext::Box{r.left, r.top, r.right, r.bottom}; }

}  // namespace

CFirefoxEnhancer::CFirefoxEnhancer() : dispatch_(LIBID_HXIELib, 1, 0, IID_IAction) {}

STDMETHODIMP CFirefoxEnhancer::QueryInterface(REFIID iid, void** out) {
    return fx::ComBoundary(
        L"IUnknown::QueryInterface", fx::kComFailed,
        [&] { return fx::QueryInterfaceFor<IAction, fx::Via<IDispatch, IAction>, IFirefoxEnhancer>(this, iid, out); },
        out);
}

STDMETHODIMP CFirefoxEnhancer::GetTypeInfoCount(UINT* count) {
    return fx::ComBoundary(
        L"IDispatch::GetTypeInfoCount", fx::kComFailed, [&] { return dispatch_.GetTypeInfoCount(count); }, count);
}

STDMETHODIMP CFirefoxEnhancer::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) {
    return fx::ComBoundary(
        L"IDispatch::GetTypeInfo", fx::kComFailed, [&] { return dispatch_.GetTypeInfo(index, lcid, out); }, out);
}

STDMETHODIMP CFirefoxEnhancer::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    return fx::ComBoundary(L"IDispatch::GetIDsOfNames", fx::kComFailed,
                           [&] { return dispatch_.GetIDsOfNames(riid, names, count, lcid, ids); });
}

STDMETHODIMP CFirefoxEnhancer::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO* excepInfo, UINT* argError) {
    return fx::ComBoundary(L"IDispatch::Invoke", fx::kComFailed, [&] {
        return dispatch_.Invoke(static_cast<IAction*>(this), id, riid, lcid, flags, params, result, excepInfo,
                                argError);
    });
}

// --- life cycle -------------------------------------------------------------

STDMETHODIMP CFirefoxEnhancer::Init() {
    return fx::ComBoundary(L"IAction::Init", kOnException, [&] {
        InitEnhancer();
        m_bHotSpotTransfer = m_bSelectionTransfer = false;
        m_HotSpotCursor = Module().hotSpots.size();
        m_TextCursor = Module().selection.size();
        return S_OK;
    });
}

STDMETHODIMP CFirefoxEnhancer::Unload() {
    return fx::ComBoundary(L"IAction::Unload", kOnException, [&] {
        m_HotSpotTransferLock.reset();
        m_TextTransferLock.reset();
        ReleaseEnhancer();
        return S_OK;
    });
}

STDMETHODIMP CFirefoxEnhancer::SetSiteEnhancer(IUnknown* siteEnhancer) {
    return fx::ComBoundary(L"IAction::SetSiteEnhancer", kOnException, [&] {
        m_pSiteEnhancer = iaction::LendSiteEnhancer(siteEnhancer, kModuleName);
        if (!m_pSiteEnhancer) return S_OK;
        ffchannel::SharedData* channel = Module().Channel();
        if (!channel) return S_OK;
        for (LONG i = 0; i < kMaxSiteEntries; ++i) {
            fx::Bstr entry;
            HRESULT hr = m_pSiteEnhancer->GetSiteEntry(i, entry.put());
            if (FAILED(hr)) {
                LogMessage(L"(%s) GetSiteEntry(%d) failed: 0x%08x", kModuleName, (int)i, (unsigned)hr);
                break;
            }
            if (!entry.get() || !entry.get()[0]) break;
            if (!channel->AddSiteString(entry.get())) break;  // pool or table full
        }
        return S_OK;
    });
}

STDMETHODIMP CFirefoxEnhancer::SetConfigurationOption(LONG id, VARIANT* data1, VARIANT*, VARIANT*, VARIANT*) {
    return fx::ComBoundary(L"IAction::SetConfigurationOption", kOnException,
                           [&] { return iaction::ApplyConfigurationOption(Utility(), id, data1); });
}

// --- the poll ---------------------------------------------------------------

STDMETHODIMP CFirefoxEnhancer::Update(LONG* haveChanges) {
    return fx::ComBoundary(
        L"IAction::Update", kOnException,
        [&] {
            long bits = Poll();
            if (bits != 0) LogMessage(L"(%s) haveChanges = 0x%02x", kModuleName, (unsigned)bits);
            return Out(haveChanges, bits);
        },
        haveChanges);
}

long CFirefoxEnhancer::Poll() {
    FirefoxModule& m = Module();
    if (m.enhancerAlive) ::SetEvent(m.enhancerAlive.get());

    fftext::PollFacts facts;
    facts.foreground = FirefoxInForeground();
    facts.wasActive = m_bWasActive;
    if (!facts.foreground) {
        m_bWasActive = false;
        {
            fx::MutexLock lock(m.hotSpotLock.get(), INFINITE);
            m.hotSpots.clear();
        }
        fx::MutexLock lock(m.selectionLock.get(), INFINITE);
        m.selection.clear();
        return fftext::PollBits(facts);
    }

    // A silent extension is not waited for at all.
    ffchannel::SharedData* channel = m.Channel();
    const DWORD aliveWaitMs = channel && channel->Silent() ? 0 : 100;
    bool alive = m.extensionAlive && ::WaitForSingleObject(m.extensionAlive.get(), aliveWaitMs) == WAIT_OBJECT_0;
    if (alive && !channel) ::ResetEvent(m.extensionAlive.get());
    const ExtensionAnswer answer = alive && channel ? AskExtension(channel) : ExtensionAnswer::kNotWaitedFor;
    facts.extensionAnswers = answer != ExtensionAnswer::kNotWaitedFor;  // else: as if absent
    if (facts.extensionAnswers) {
        // Everything of this poll comes from one copy of the block, taken in
        // one access: a lock the extension holds costs one wait, not one per field.
        ffchannel::PollTake take;
        take.answered = answer == ExtensionAnswer::kAnswered;
        take.selectionWanted = !m_bWasActive;
        take.keepRequest = answer == ExtensionAnswer::kUnanswered;
        const ffchannel::ChannelBlock& copy = *m.blockCopy;
        if (channel->TakePoll(take, *m.blockCopy)) {
            facts.updated = take.answered;
            if (facts.updated) {
                std::vector<fftext::TextItem> before = m.selection;
                ffchannel::CopyPageText(copy.location, m.location, L"location");
                facts.secure = std::wcsstr(m.location, L"https:") != nullptr;
                if (copy.hotSpotsChanged) ReadHotSpots(copy);
                if (copy.selectionChanged || !m_bWasActive) ReadSelection(copy);
                facts.selectionBits = fftext::SelectionBits(before, m.selection);
            }
            facts.pageChanged = copy.pageChanged != 0;
            ForwardExtensionLog(copy);
        }
        facts.haveHotSpots = !m.hotSpots.empty();
        // An unanswered request stays raised: an extension that was only
        // slow answers it by the next poll.
        if (answer == ExtensionAnswer::kUnanswered) channel->MarkUnanswered();
    }
    m_bWasActive = true;
    return fftext::PollBits(facts);
}

// One request to the extension.  An extension that answers is waited for up
// to the channel's answer time; one that let a request go unanswered or held
// the channel's lock past its wait (it may have died or hung with its alive
// event still set) is silent: from then on each poll only looks whether it
// answered the request left raised, and otherwise raises it again, until the
// extension answers and is waited for as before.
CFirefoxEnhancer::ExtensionAnswer CFirefoxEnhancer::AskExtension(ffchannel::SharedData* channel) {
    POINT cursor{0, 0};
    ::GetCursorPos(&cursor);
    if (!channel->Silent())
        return channel->RequestAnswer(cursor.x, cursor.y) ? ExtensionAnswer::kAnswered : ExtensionAnswer::kUnanswered;
    if (channel->AnswerArrived()) return ExtensionAnswer::kAnswered;
    channel->RaiseRequest(cursor.x, cursor.y);
    return ExtensionAnswer::kNotWaitedFor;
}

void CFirefoxEnhancer::ReadHotSpots(const ffchannel::ChannelBlock& block) {
    FirefoxModule& m = Module();
    fx::MutexLock lock(m.hotSpotLock.get(), INFINITE);
    m.hotSpots.clear();
    ffchannel::HotSpotData& copy = *m.hotSpotCopy;
    int n = ffchannel::CopyHotSpots(block, copy);
    ffchannel::CopyPageText(block.domain, m.domain, L"domain");
    ffchannel::CopyPageText(block.title, m.title, L"title");
    if (n <= 0 || !m_pSiteEnhancer) return;
    fftext::TabFields texts(copy.texts), hrefs(copy.hrefs), ids(copy.ids);
    fx::Bstr location(m.location);
    for (int i = 0; i < n; ++i) {
        std::wstring text = texts.Next(), href = hrefs.Next(), idList = ids.Next();
        std::wstring idsXml = fftext::IdListToXml(idList);
        fx::Bstr hrefB(href), idsB(idsXml), bestGuess;
        VARIANT_BOOL isLink = VARIANT_FALSE;
        HRESULT hr = m_pSiteEnhancer->IsHotSpotLink(location.get(), hrefB.get(), idsB.get(), bestGuess.put(), &isLink);
        if (FAILED(hr)) {
            LogMessage(L"(%s) IsHotSpotLink failed: 0x%08x", kModuleName, (unsigned)hr);
            break;
        }
        if (!isLink) continue;
        m.hotSpots.push_back(
            FirefoxHotSpot{copy.rects[i], Utility().SelectionFilter(text.c_str()), href, idsXml, bestGuess.str()});
    }
}

void CFirefoxEnhancer::ReadSelection(const ffchannel::ChannelBlock& block) {
    FirefoxModule& m = Module();
    fx::MutexLock lock(m.selectionLock.get(), INFINITE);
    m.selection.clear();
    ffchannel::SelectionData& copy = *m.selectionCopy;
    int n = ffchannel::CopySelection(block, copy);
    if (n <= 0) return;
    fftext::Box boxes[ffchannel::kMaxSelectionRects];
    for (int i = 0; i < copy.rectTotal; ++i) boxes[i] = ToBox(copy.rects[i]);
    m.selection = fftext::SelectionItems(copy.text, n, copy.rectCounts, boxes, [](const std::wstring& piece) {
        const wchar_t* f = Utility().SelectionFilter(piece.c_str());
        return std::wstring(f ? f : L"");
    });
}

void CFirefoxEnhancer::ForwardExtensionLog(const ffchannel::ChannelBlock& block) {
    wchar_t buffer[4096];
    ffchannel::CopyExtensionLog(block, buffer, 4096);
    if (!g_pLogger || !buffer[0]) return;
    for (const std::wstring& line : fftext::LogLines(buffer))
        LogMessage(L"(%s:Extension) %s", kModuleName, line.c_str());
}

STDMETHODIMP CFirefoxEnhancer::UpdateForECP(IUnknown*, LONG* haveChanges) {
    return fx::ComBoundary(
        L"IAction::UpdateForECP", kOnException, [&] { return Out(haveChanges, 0); }, haveChanges);
}

// --- transfers ----------------------------------------------------------------

const FirefoxHotSpot* CFirefoxEnhancer::CurrentHotSpot() const {
    const auto& list = Module().hotSpots;
    return m_HotSpotCursor < list.size() ? &list[m_HotSpotCursor] : nullptr;
}

const fftext::TextItem* CFirefoxEnhancer::CurrentTextItem() const {
    const auto& list = Module().selection;
    return m_TextCursor < list.size() ? &list[m_TextCursor] : nullptr;
}

STDMETHODIMP CFirefoxEnhancer::HotSpotTransferBegin(LONG) {
    return fx::ComBoundary(L"IAction::HotSpotTransferBegin", kOnException, [&] {
        m_HotSpotTransferLock.reset(new fx::MutexLock(Module().hotSpotLock.get(), INFINITE));
        m_HotSpotCursor = 0;
        m_bHotSpotFirst = true;
        m_bHotSpotTransfer = true;
        m_bSelectionTransfer = false;
        return S_OK;
    });
}

STDMETHODIMP CFirefoxEnhancer::HotSpotTransferNext(LONG* nextId) {
    return fx::ComBoundary(
        L"IAction::HotSpotTransferNext", kOnException,
        [&] {
            size_t size = Module().hotSpots.size();
            if (!m_bHotSpotFirst && m_HotSpotCursor < size) ++m_HotSpotCursor;
            m_bHotSpotFirst = false;
            return Out(nextId, m_HotSpotCursor < size ? 1 : 0);
        },
        nextId);
}

STDMETHODIMP CFirefoxEnhancer::HotSpotTransferEnd() {
    return fx::ComBoundary(L"IAction::HotSpotTransferEnd", kOnException, [&] {
        m_HotSpotCursor = Module().hotSpots.size();
        m_bHotSpotFirst = true;
        m_bHotSpotTransfer = m_bSelectionTransfer = false;
        m_HotSpotTransferLock.reset();
        return S_OK;
    });
}

STDMETHODIMP CFirefoxEnhancer::TextHotSpotTransferBegin() {
    return fx::ComBoundary(L"IAction::TextHotSpotTransferBegin", kOnException, [&] {
        m_TextTransferLock.reset(new fx::MutexLock(Module().selectionLock.get(), INFINITE));
        m_TextCursor = 0;
        m_bSelectionFirst = true;
        m_bSelectionTransfer = true;
        m_bHotSpotTransfer = false;
        return S_OK;
    });
}

STDMETHODIMP CFirefoxEnhancer::TextHotSpotTransferNext(LONG* id) {
    return fx::ComBoundary(
        L"IAction::TextHotSpotTransferNext", kOnException,
        [&] {
            size_t size = Module().selection.size();
            if (!m_bSelectionFirst && m_TextCursor < size) ++m_TextCursor;
            m_bSelectionFirst = false;
            return Out(id, m_TextCursor < size ? 1 : 0);
        },
        id);
}

STDMETHODIMP CFirefoxEnhancer::TextHotSpotTransferEnd() {
    return fx::ComBoundary(L"IAction::TextHotSpotTransferEnd", kOnException, [&] {
        m_TextCursor = Module().selection.size();
        m_bSelectionFirst = true;
        m_bHotSpotTransfer = m_bSelectionTransfer = false;
        m_TextTransferLock.reset();
        return S_OK;
    });
}

// --- item getters ---------------------------------------------------------------

STDMETHODIMP CFirefoxEnhancer::GetHotSpotLeft(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotLeft", kOnException,
        [&] {
            auto h = CurrentHotSpot();
            return Out(v, h ? h->rect.left : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetHotSpotTop(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotTop", kOnException,
        [&] {
            auto h = CurrentHotSpot();
            return Out(v, h ? h->rect.top : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetHotSpotRight(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotRight", kOnException,
        [&] {
            auto h = CurrentHotSpot();
            return Out(v, h ? h->rect.right : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetHotSpotBottom(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotBottom", kOnException,
        [&] {
            auto h = CurrentHotSpot();
            return Out(v, h ? h->rect.bottom : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetHRef(BSTR* ref) {
    return fx::ComBoundary(
        L"IAction::GetHRef", kOnException,
        [&] {
            const FirefoxHotSpot* h = CurrentHotSpot();
            if (!h) {
                if (ref) *ref = nullptr;  // no item: an empty (NULL) string
                return S_OK;
            }
            return Out(ref, h->href);
        },
        ref);
}

STDMETHODIMP CFirefoxEnhancer::GetHotSpotText(BSTR* text) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotText", kOnException,
        [&] {
            const FirefoxHotSpot* h = CurrentHotSpot();
            if (!h) {
                if (text) *text = nullptr;
                return S_OK;
            }
            return Out(text, h->text);
        },
        text);
}

STDMETHODIMP CFirefoxEnhancer::GetSelTextLeft(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetSelTextLeft", kOnException,
        [&] {
            auto t = CurrentTextItem();
            return Out(v, t ? t->rect.left : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetSelTextTop(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetSelTextTop", kOnException,
        [&] {
            auto t = CurrentTextItem();
            return Out(v, t ? t->rect.top : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetSelTextRight(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetSelTextRight", kOnException,
        [&] {
            auto t = CurrentTextItem();
            return Out(v, t ? t->rect.right : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetSelTextBottom(LONG* v) {
    return fx::ComBoundary(
        L"IAction::GetSelTextBottom", kOnException,
        [&] {
            auto t = CurrentTextItem();
            return Out(v, t ? t->rect.bottom : 0);
        },
        v);
}

STDMETHODIMP CFirefoxEnhancer::GetSelectedText(BSTR* text) {
    return fx::ComBoundary(
        L"IAction::GetSelectedText", kOnException,
        [&] {
            const fftext::TextItem* t = CurrentTextItem();
            return t ? Out(text, t->text) : Empty(text);
        },
        text);
}

STDMETHODIMP CFirefoxEnhancer::GetContext(BSTR* context) {
    return fx::ComBoundary(
        L"IAction::GetContext", kOnException,
        [&] {
            std::wstring text;
            const FirefoxHotSpot* h = m_bHotSpotTransfer ? CurrentHotSpot() : nullptr;
            if (h) text = fftext::HotSpotContext(Module().location, h->href, h->idsXml);
            if (text.empty()) text = fftext::PlainContext();
            return Out(context, text);
        },
        context);
}

STDMETHODIMP CFirefoxEnhancer::GetBestGuess(BSTR* bestGuess) {
    return fx::ComBoundary(
        L"IAction::GetBestGuess", kOnException,
        [&] {
            const FirefoxHotSpot* h = m_bHotSpotTransfer ? CurrentHotSpot() : nullptr;
            return h ? Out(bestGuess, h->bestGuess) : Empty(bestGuess);
        },
        bestGuess);
}

// --- page and window ----------------------------------------------------------------

STDMETHODIMP CFirefoxEnhancer::HaveActiveEnhancerAreas(LONG* haveActive) {
    return fx::ComBoundary(
        L"IAction::HaveActiveEnhancerAreas", kOnException,
        [&] { return Out(haveActive, FirefoxInForeground() ? 1 : 0); }, haveActive);
}

STDMETHODIMP CFirefoxEnhancer::get_NumEnhancerAreas(LONG* pVal) {
    return fx::ComBoundary(
        L"IAction::get_NumEnhancerAreas", kOnException, [&] { return Out(pVal, FirefoxInForeground() ? 1 : 0); }, pVal);
}

STDMETHODIMP CFirefoxEnhancer::get_ActiveAreaTitle(BSTR* pVal) {
    return fx::ComBoundary(
        L"IAction::get_ActiveAreaTitle", kOnException, [&] { return Out(pVal, Module().title); }, pVal);
}

STDMETHODIMP CFirefoxEnhancer::GetDomain(BSTR* name) {
    return fx::ComBoundary(
        L"IAction::GetDomain", kOnException, [&] { return Out(name, Module().domain); }, name);
}

STDMETHODIMP CFirefoxEnhancer::NavigateToURL(OLE_HANDLE hwndBrowser, BSTR* url, LONG navFlags,
                                             VARIANT_BOOL* isSuccess) {
    return fx::ComBoundary(
        L"IAction::NavigateToURL", kOnException,
        [&] {
            HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(hwndBrowser));
            ffchannel::SharedData* channel = Module().Channel();
            bool sent = false;
            if (channel && IsFirefoxWindow(window) && url && *url) {
                ::BringWindowToTop(window);
                sent = channel->SetNavigate(window, *url, navFlags);
            }
            if (isSuccess) *isSuccess = sent ? 1 : 0;
            return S_OK;
        },
        isSuccess);
}

// --- the rest ---------------------------------------------------------------------------

STDMETHODIMP CFirefoxEnhancer::SendMsg(LONG) {
    return fx::ComBoundary(L"IAction::SendMsg", kOnException, [&] { return S_OK; });
}

STDMETHODIMP CFirefoxEnhancer::IdleLoop() {
    return fx::ComBoundary(L"IAction::IdleLoop", kOnException, [&] { return S_OK; });
}

STDMETHODIMP CFirefoxEnhancer::get_enhancertype(BSTR* pVal) {
    return fx::ComBoundary(
        L"IAction::get_enhancertype", kOnException, [&] { return Out(pVal, L"Firefox Enhancer"); }, pVal);
}

STDMETHODIMP CFirefoxEnhancer::put_enhancertype(BSTR) {
    return fx::ComBoundary(L"IAction::put_enhancertype", kOnException, [&] { return S_OK; });
}

STDMETHODIMP CFirefoxEnhancer::GetHotSpotPlacementFlags(LONG* flags) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotPlacementFlags", kOnException, [&] { return Out(flags, 255); }, flags);
}

STDMETHODIMP CFirefoxEnhancer::GetSelTextPlacementFlags(LONG* flags) {
    return fx::ComBoundary(
        L"IAction::GetSelTextPlacementFlags", kOnException, [&] { return Out(flags, 255); }, flags);
}
