#include "app/selection/controller/EnhancerCalls.h"

#include <cwchar>
#include <exception>

#include "Hextens/HXIE/HXIE.h"

#include "app/core/net/UrlEncodeUtf8.h"
#include "app/selection/controller/Heartbeat.h"
#include "fx/ComString.h"
#include "hosts/SiteEnhancer.h"
#include "log/PondrelLog.h"

namespace {

using LongGetter = HRESULT (STDMETHODCALLTYPE IAction::*)(LONG*);
using TextGetter = HRESULT (STDMETHODCALLTYPE IAction::*)(BSTR*);

// Each reader keeps the failure code of the first failed call in hr_ and
// answers false from then on, so a record is read in call order up to the
// first failure.
class Reader {
public:
    explicit Reader(IAction* action) : action_(action) {}

    bool Long(LongGetter get, LONG& out) {
        if (FAILED(hr_)) return false;
        LONG value = 0;
        hr_ = (action_->*get)(&value);
        if (FAILED(hr_)) return false;
        out = value;
        return true;
    }
    bool Text(TextGetter get, std::wstring& out) {
        if (FAILED(hr_)) return false;
        fx::Bstr value;
        hr_ = (action_->*get)(value.put());
        if (FAILED(hr_)) return false;
        out = value.str();
        return true;
    }
    bool Context(std::wstring& out) {
        std::wstring xml;
        if (!Text(&IAction::GetContext, xml)) return false;
        out = UrlEncodeUtf8(xml);
        return true;
    }
    bool Call(HRESULT hr) {
        if (FAILED(hr_)) return false;
        hr_ = hr;
        return SUCCEEDED(hr_);
    }
    HRESULT hr() const { return hr_; }

private:
    IAction* action_;
    HRESULT hr_ = S_OK;
};

void LogTransferError(const WatcherNode& node, const wchar_t* what, HRESULT hr) {
    wchar_t line[256];
    _snwprintf(line, 255, L"%s: %s stopped on error 0x%08lX", node.m_Name.c_str(), what,
               static_cast<unsigned long>(hr));
    line[255] = 0;
    LogLine(line);
}

void LogTransferCut(const WatcherNode& node, const wchar_t* what) {
    wchar_t line[256];
    _snwprintf(line, 255, L"%s: %s cut after %d items", node.m_Name.c_str(), what, kMaxTransferItems);
    line[255] = 0;
    LogLine(line);
}

// An exception that ended a transfer: one line, and the collection stops.
void LogTransferException(const WatcherNode& node, const wchar_t* what, const std::wstring& reason) {
    wchar_t line[256];
    _snwprintf(line, 255, L"%s: %s ended by an exception (%s); the records so far are kept", node.m_Name.c_str(), what,
               reason.c_str());
    line[255] = 0;
    LogLine(line);
}

// The text of the exception being handled (never empty).
std::wstring CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        const char* what = e.what();
        std::wstring text;
        for (const char* p = what; p && *p && text.size() < 120; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        return text.empty() ? L"exception" : text;
    } catch (...) {
        return L"unknown exception";
    }
}

// Counts the items an enhancer's ...TransferNext offers; one past the cap
// ends the transfer, so an enhancer that never answers 0 cannot hold the
// user-interface thread.
class TransferCap {
public:
    bool Take() { return ++taken_ <= kMaxTransferItems; }
    bool Cut() const { return taken_ > kMaxTransferItems; }

private:
    int taken_ = 0;
};

bool HasActiveAreas(IAction* action) {
    LONG active = 0;
    return SUCCEEDED(action->HaveActiveEnhancerAreas(&active)) && active != 0;
}

}  // namespace

LONG PollEnhancers(WatcherObList& enhancers, const PollGate& gate) {
    if (enhancers.empty() || gate.enhancerCount == 0 || gate.leftButtonDown || gate.enhancersOff) return 0;
    LogLine(L"{");
    LONG all = 0;
    for (auto& node : enhancers) {
        LONG bits = 0;
        if (node->m_Active && node->m_pAction && FAILED(node->m_pAction->Update(&bits))) bits = 0;
        node->m_LastBits = node->m_Active ? bits : 0;
        all |= node->m_LastBits;
    }
    LogLine(L"}");
    return all;
}

int CollectHotSpots(WatcherObList& enhancers, LinkList& list, std::wstring* areaTitle) {
    int count = 0;
    for (auto& node : enhancers) {
        IAction* action = node->m_pAction.get();
        if (!action || !(node->m_LastBits & change_bits::kHotSpot)) continue;
        if (!HasActiveAreas(action)) continue;
        Reader read(action);
        TransferCap cap;
        std::wstring thrown;
        bool begun = false;
        try {
            std::wstring title;
            if (read.Text(&IAction::get_ActiveAreaTitle, title) && areaTitle) *areaTitle = title;
            begun = true;
            if (read.Call(action->HotSpotTransferBegin(0))) {
                for (;;) {
                    LONG id = 0;
                    if (!read.Long(&IAction::HotSpotTransferNext, id) || id == 0 || !cap.Take()) break;
                    auto record = std::make_unique<LinkInfo>();
                    LinkInfo& r = *record;
                    bool ok = read.Long(&IAction::GetHotSpotTop, r.m_Rect.top) &&
                              read.Long(&IAction::GetHotSpotLeft, r.m_Rect.left) &&
                              read.Long(&IAction::GetHotSpotBottom, r.m_Rect.bottom) &&
                              read.Long(&IAction::GetHotSpotRight, r.m_Rect.right) &&
                              read.Text(&IAction::GetDomain, r.m_Domain) &&
                              read.Text(&IAction::GetHotSpotText, r.m_Text) &&
                              read.Text(&IAction::GetHRef, r.m_HRef) && read.Context(r.m_Context) &&
                              read.Text(&IAction::GetBestGuess, r.m_BestGuess);
                    if (!ok) break;
                    r.m_Token = r.m_Text;
                    list.Add(std::move(record));
                    ++count;
                }
            }
        } catch (...) {
            thrown = CurrentExceptionText();
        }
        // Begun is always ended: an enhancer may hold a lock in between.
        if (begun) action->HotSpotTransferEnd();
        if (FAILED(read.hr())) LogTransferError(*node, L"hot-spot transfer", read.hr());
        if (cap.Cut()) LogTransferCut(*node, L"hot-spot transfer");
        if (!thrown.empty()) {
            // The records so far stay; no other enhancer is asked.
            LogTransferException(*node, L"hot-spot transfer", thrown);
            break;
        }
    }
    return count;
}

int CollectSelections(WatcherObList& enhancers, LinkList& list) {
    int count = 0;
    for (auto& node : enhancers) {
        IAction* action = node->m_pAction.get();
        if (!action || !(node->m_LastBits & change_bits::kSelection)) continue;
        if (!HasActiveAreas(action)) continue;
        Reader read(action);
        TransferCap cap;
        std::wstring thrown;
        if (read.Call(action->TextHotSpotTransferBegin())) {
            try {
                for (;;) {
                    LONG id = 0;
                    if (!read.Long(&IAction::TextHotSpotTransferNext, id) || id == 0 || !cap.Take()) break;
                    LONG left = 0, right = 0;
                    if (!read.Long(&IAction::GetSelTextLeft, left) || !read.Long(&IAction::GetSelTextRight, right))
                        break;
                    if (left == right) continue;  // a piece of zero width
                    auto record = std::make_unique<LinkInfo>();
                    LinkInfo& r = *record;
                    bool ok = read.Long(&IAction::GetSelTextTop, r.m_Rect.top) &&
                              read.Long(&IAction::GetSelTextLeft, r.m_Rect.left) &&
                              read.Long(&IAction::GetSelTextBottom, r.m_Rect.bottom) &&
                              read.Long(&IAction::GetSelTextRight, r.m_Rect.right) &&
                              read.Text(&IAction::GetSelectedText, r.m_Text) && read.Context(r.m_Context) &&
                              read.Text(&IAction::GetBestGuess, r.m_BestGuess);
                    if (!ok) break;
                    list.Add(std::move(record));
                    ++count;
                }
            } catch (...) {
                thrown = CurrentExceptionText();
            }
        }
        action->TextHotSpotTransferEnd();
        if (FAILED(read.hr())) LogTransferError(*node, L"selection transfer", read.hr());
        if (cap.Cut()) LogTransferCut(*node, L"selection transfer");
        if (!thrown.empty()) {
            LogTransferException(*node, L"selection transfer", thrown);
            break;
        }
    }
    return count;
}

std::wstring SelectionRecordLine(const LinkInfo& record) {
    constexpr size_t kShownChars = 200;
    std::wstring text = record.m_Text.substr(0, kShownChars);
    if (record.m_Text.size() > kShownChars) text += L"...";
    wchar_t line[kShownChars + 96];
    _snwprintf(line, kShownChars + 95, L"Selection: \"%s\" at %ld,%ld,%ld,%ld", text.c_str(),
               static_cast<long>(record.m_Rect.left), static_cast<long>(record.m_Rect.top),
               static_cast<long>(record.m_Rect.right), static_cast<long>(record.m_Rect.bottom));
    line[kShownChars + 95] = 0;
    return line;
}

bool NavigateBrowser(WatcherObList& enhancers, HWND browser, const std::wstring& url) {
    fx::Bstr text(url);
    if (!text.get()) return false;  // out of memory: nobody is asked
    BSTR value = text.get();
    bool result = false;
    auto handle = static_cast<OLE_HANDLE>(reinterpret_cast<UINT_PTR>(browser));
    for (auto& node : enhancers) {
        if (!node->m_Active || !node->m_pAction) continue;
        VARIANT_BOOL success = VARIANT_FALSE;
        if (SUCCEEDED(node->m_pAction->NavigateToURL(handle, &value, 0, &success)) && success > 0) result = true;
    }
    return result;
}

void UnloadEnhancers(WatcherObList& enhancers, ISiteEnhancer** siteEnhancer, IDispatch** siteDispatch) {
    UnloadWatchers(enhancers, siteEnhancer, siteDispatch);
}
