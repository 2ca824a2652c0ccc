// The recording enhancers: IAction that records every call with its
// arguments and answers from the test's script (format in StandIns.h).
#include <windows.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "Hextens/HXIE/HXIE.h"
#include "StandIns.h"
#include "TextSupport.h"
#include "fx/ClassFactory.h"
#include "fx/ComInterface.h"
#include "fx/ComModule.h"
#include "fx/ComRegistry.h"
#include "fx/InprocServer.h"
#include "fx/Dispatch.h"
#include "hosts/SiteEnhancer.h"

namespace {

LONG g_objects = 0;

using standin::SplitKey;
using testsupport::Split;
using testsupport::Text;

std::wstring VariantText(const VARIANT* v) {
    if (!v) return L"(none)";
    if (v->vt == VT_BSTR) return L"bstr:" + Text(v->bstrVal);
    if (v->vt == VT_EMPTY) return L"empty";
    return L"vt:" + std::to_wstring(v->vt);
}

struct Item {
    LONG left = 0, top = 0, right = 0, bottom = 0, flags = 0;
    std::wstring domain, text, href, context, bestGuess;
};

// The script as it applies to one class.
struct Script {
    std::wstring source;  // all applicable lines, to notice a change
    std::wstring type;
    std::vector<LONG> updates;
    LONG active = 1;
    std::wstring title;
    std::vector<Item> selections, hotSpots;
    LONG navigate = 0;
    std::vector<std::pair<std::wstring, HRESULT>> failures;
    std::vector<std::wstring> pumps;  // methods that dispatch the waiting messages
    bool nullQuery = false;           // IAction answered S_OK with no pointer
};

bool ParseRect(const std::wstring& rest, Item& item, std::wstring& tail) {
    std::vector<std::wstring> words = Split(rest, L' ');
    if (words.size() < 6) return false;
    item.left = std::wcstol(words[0].c_str(), nullptr, 10);
    item.top = std::wcstol(words[1].c_str(), nullptr, 10);
    item.right = std::wcstol(words[2].c_str(), nullptr, 10);
    item.bottom = std::wcstol(words[3].c_str(), nullptr, 10);
    item.flags = std::wcstol(words[4].c_str(), nullptr, 10);
    size_t skip = 0;
    for (int i = 0; i < 5; ++i) skip = rest.find(L' ', skip) + 1;
    tail = rest.substr(skip);
    return true;
}

Script LoadScript(wchar_t letter) {
    Script s;
    for (std::wstring line : standin::ReadScript(standin::kRecorderScriptVar)) {
        if (line.size() > 2 && line[1] == L':') {
            if (line[0] != letter) continue;
            line = line.substr(2);
        }
        s.source += line + L"\n";
        std::wstring key, rest;
        if (!SplitKey(line, key, rest)) continue;
        if (key == L"type") {
            s.type = rest;
        } else if (key == L"update") {
            for (const std::wstring& n : Split(rest, L' '))
                if (!n.empty()) s.updates.push_back(std::wcstol(n.c_str(), nullptr, 0));
        } else if (key == L"active") {
            s.active = std::wcstol(rest.c_str(), nullptr, 10);
        } else if (key == L"title") {
            s.title = rest;
        } else if (key == L"navigate") {
            s.navigate = std::wcstol(rest.c_str(), nullptr, 10);
        } else if (key == L"pump") {
            s.pumps.push_back(rest);
        } else if (key == L"nullquery") {
            s.nullQuery = true;
        } else if (key == L"fail") {
            std::wstring method, code;
            SplitKey(rest, method, code);
            s.failures.emplace_back(method, static_cast<HRESULT>(std::wcstoul(code.c_str(), nullptr, 16)));
        } else if (key == L"selection" || key == L"hotspot") {
            Item item;
            std::wstring tail;
            if (!ParseRect(rest, item, tail)) continue;
            std::vector<std::wstring> f = Split(tail, L'|');
            f.resize(5);
            if (key == L"selection") {
                item.text = f[0], item.context = f[1], item.bestGuess = f[2];
                s.selections.push_back(item);
            } else {
                item.domain = f[0], item.text = f[1], item.href = f[2], item.context = f[3], item.bestGuess = f[4];
                s.hotSpots.push_back(item);
            }
        }
    }
    return s;
}

class RecordingEnhancer : public fx::DispatchImpl<IAction>, private fx::ModuleObject {
public:
    explicit RecordingEnhancer(wchar_t letter)
        : fx::DispatchImpl<IAction>(LIBID_HXIELib, 1, 0, IID_IAction),
          letter_(letter),
          name_(std::wstring(1, letter) + std::to_wstring(::InterlockedIncrement(&g_objects))) {
        script_ = LoadScript(letter_);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (script_.nullQuery && out && IsEqualIID(iid, IID_IAction)) {
            *out = nullptr;
            return S_OK;
        }
        return fx::QueryInterfaceFor<IAction, IDispatch>(this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

    STDMETHODIMP SendMsg(LONG id) override { return Call(L"SendMsg", {std::to_wstring(id)}); }
    STDMETHODIMP IdleLoop() override { return Call(L"IdleLoop"); }
    STDMETHODIMP get_enhancertype(BSTR* out) override {
        std::wstring type = script_.type.empty() ? std::wstring(L"Recording Enhancer ") + letter_ : script_.type;
        return String(Call(L"get_enhancertype"), out, type);
    }
    STDMETHODIMP put_enhancertype(BSTR value) override { return Call(L"put_enhancertype", {Text(value)}); }
    STDMETHODIMP Init() override {
        Reload();
        return Call(L"Init");
    }
    STDMETHODIMP get_NumEnhancerAreas(LONG* out) override { return Long(Call(L"get_NumEnhancerAreas"), out, script_.active); }
    STDMETHODIMP get_ActiveAreaTitle(BSTR* out) override { return String(Call(L"get_ActiveAreaTitle"), out, script_.title); }
    STDMETHODIMP HotSpotTransferBegin(LONG id) override {
        inHotSpots_ = true;
        current_ = -1;
        return Call(L"HotSpotTransferBegin", {std::to_wstring(id)});
    }
    STDMETHODIMP HotSpotTransferEnd() override {
        inHotSpots_ = false;
        current_ = -1;
        return Call(L"HotSpotTransferEnd");
    }
    STDMETHODIMP HotSpotTransferNext(LONG* out) override { return Next(Call(L"HotSpotTransferNext"), out, script_.hotSpots); }
    STDMETHODIMP HaveActiveEnhancerAreas(LONG* out) override {
        return Long(Call(L"HaveActiveEnhancerAreas"), out, script_.active);
    }
    STDMETHODIMP Update(LONG* out) override {
        Reload();
        LONG bits = 0;
        if (!script_.updates.empty()) {
            bits = script_.updates[std::min(updates_, script_.updates.size() - 1)];
            ++updates_;
        }
        return Long(Call(L"Update"), out, bits);
    }
    STDMETHODIMP GetDomain(BSTR* out) override { return String(Call(L"GetDomain"), out, Current().domain); }
    STDMETHODIMP GetHRef(BSTR* out) override { return String(Call(L"GetHRef"), out, Current().href); }
    STDMETHODIMP GetHotSpotText(BSTR* out) override { return String(Call(L"GetHotSpotText"), out, Current().text); }
    STDMETHODIMP GetSelectedText(BSTR* out) override { return String(Call(L"GetSelectedText"), out, Current().text); }
    STDMETHODIMP GetHotSpotLeft(LONG* out) override { return Long(Call(L"GetHotSpotLeft"), out, Current().left); }
    STDMETHODIMP GetHotSpotTop(LONG* out) override { return Long(Call(L"GetHotSpotTop"), out, Current().top); }
    STDMETHODIMP GetHotSpotRight(LONG* out) override { return Long(Call(L"GetHotSpotRight"), out, Current().right); }
    STDMETHODIMP GetHotSpotBottom(LONG* out) override { return Long(Call(L"GetHotSpotBottom"), out, Current().bottom); }
    STDMETHODIMP GetSelTextLeft(LONG* out) override { return Long(Call(L"GetSelTextLeft"), out, Current().left); }
    STDMETHODIMP GetSelTextTop(LONG* out) override { return Long(Call(L"GetSelTextTop"), out, Current().top); }
    STDMETHODIMP GetSelTextRight(LONG* out) override { return Long(Call(L"GetSelTextRight"), out, Current().right); }
    STDMETHODIMP GetSelTextBottom(LONG* out) override { return Long(Call(L"GetSelTextBottom"), out, Current().bottom); }
    STDMETHODIMP TextHotSpotTransferBegin() override {
        inHotSpots_ = false;
        current_ = -1;
        return Call(L"TextHotSpotTransferBegin");
    }
    STDMETHODIMP TextHotSpotTransferNext(LONG* out) override {
        return Next(Call(L"TextHotSpotTransferNext"), out, script_.selections);
    }
    STDMETHODIMP TextHotSpotTransferEnd() override {
        current_ = -1;
        return Call(L"TextHotSpotTransferEnd");
    }
    STDMETHODIMP GetContext(BSTR* out) override { return String(Call(L"GetContext"), out, Current().context); }
    STDMETHODIMP Unload() override { return Call(L"Unload"); }
    STDMETHODIMP SetSiteEnhancer(IUnknown* site) override {
        std::wstring what = L"null";
        if (site) {
            // Lent without a reference: asking for the interface must not keep one.
            ISiteEnhancer* s = nullptr;
            what = SUCCEEDED(site->QueryInterface(IID_ISiteEnhancer, reinterpret_cast<void**>(&s))) ? L"site" : L"other";
            if (s) s->Release();
        }
        return Call(L"SetSiteEnhancer", {what});
    }
    STDMETHODIMP GetBestGuess(BSTR* out) override { return String(Call(L"GetBestGuess"), out, Current().bestGuess); }
    STDMETHODIMP GetHotSpotPlacementFlags(LONG* out) override {
        return Long(Call(L"GetHotSpotPlacementFlags"), out, current_ >= 0 ? Current().flags : 255);
    }
    STDMETHODIMP GetSelTextPlacementFlags(LONG* out) override {
        return Long(Call(L"GetSelTextPlacementFlags"), out, current_ >= 0 ? Current().flags : 255);
    }
    STDMETHODIMP SetConfigurationOption(LONG id, VARIANT* d1, VARIANT* d2, VARIANT* d3, VARIANT* d4) override {
        return Call(L"SetConfigurationOption",
                    {std::to_wstring(id), VariantText(d1), VariantText(d2), VariantText(d3), VariantText(d4)});
    }
    STDMETHODIMP NavigateToURL(OLE_HANDLE window, BSTR* url, LONG flags, VARIANT_BOOL* isSuccess) override {
        HRESULT hr = Call(L"NavigateToURL", {std::to_wstring(window), url ? Text(*url) : L"(none)", std::to_wstring(flags)});
        if (isSuccess) *isSuccess = static_cast<VARIANT_BOOL>(script_.navigate);
        return hr;
    }
    STDMETHODIMP UpdateForECP(IUnknown* browser, LONG* out) override {
        return Long(Call(L"UpdateForECP", {browser ? L"browser" : L"null"}), out, 0);
    }

protected:
    ~RecordingEnhancer() override { standin::Record(standin::kRecorderLogVar, name_, L"Destroyed"); }

private:

    void Reload() {
        Script s = LoadScript(letter_);
        if (s.source != script_.source) updates_ = 0;
        script_ = std::move(s);
    }

    HRESULT Call(const wchar_t* method, const std::vector<std::wstring>& args = {}) {
        std::wstring line = method;
        for (size_t i = 0; i < args.size(); ++i) line += (i ? L" | " : L" ") + standin::Escape(args[i]);
        standin::Record(standin::kRecorderLogVar, name_, line);
        HRESULT hr = S_OK;
        for (const auto& f : script_.failures)
            if (f.first == method) {
                hr = f.second;
                break;
            }
        bool pump = false;
        for (const std::wstring& p : script_.pumps) pump = pump || p == method;
        if (pump) Pump();  // last: the object may be gone afterwards
        return hr;
    }

    // Dispatches every message waiting for this thread, as an enhancer
    // showing a dialog or waiting for its browser would, then records how
    // many it dispatched and the references left once its own guard
    // reference is gone (0: its caller released it during its own call, and
    // the object is already destroyed).
    void Pump() {
        const std::wstring name = name_;
        AddRef();
        int n = 0;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            ++n;
        }
        ULONG refs = Release();  // may destroy this object: only locals from here
        standin::Record(standin::kRecorderLogVar, name,
                        L"Pumped " + std::to_wstring(n) + L" | refs " + std::to_wstring(refs));
    }

    HRESULT String(HRESULT hr, BSTR* out, const std::wstring& value) {
        if (out) *out = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return hr;
    }
    HRESULT Long(HRESULT hr, LONG* out, LONG value) {
        if (out) *out = value;
        return hr;
    }
    HRESULT Next(HRESULT hr, LONG* out, const std::vector<Item>& items) {
        ++current_;
        if (current_ >= static_cast<long>(items.size())) current_ = static_cast<long>(items.size());
        return Long(hr, out, current_ < static_cast<long>(items.size()) ? current_ + 1 : 0);
    }
    const Item& Current() const {
        static const Item none;
        const std::vector<Item>& items = inHotSpots_ ? script_.hotSpots : script_.selections;
        return current_ >= 0 && current_ < static_cast<long>(items.size()) ? items[current_] : none;
    }

    wchar_t letter_;
    std::wstring name_;
    Script script_;
    size_t updates_ = 0;
    bool inHotSpots_ = false;
    long current_ = -1;
};

class RecordingA : public RecordingEnhancer {
public:
    RecordingA() : RecordingEnhancer(L'A') {}
};
class RecordingB : public RecordingEnhancer {
public:
    RecordingB() : RecordingEnhancer(L'B') {}
};

// Creatable, answers IDispatch, but is no enhancer.
class NoIAction : public fx::NoTypeInfoDispatch<IDispatch>, private fx::ModuleObject {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return fx::QueryInterfaceFor<IDispatch>(this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

private:
    ~NoIAction() override { standin::Record(standin::kRecorderLogVar, L"C", L"Destroyed"); }
};

const fx::ComClass kClasses[] = {
    {&standin::kRecordingA, L"Recording Enhancer A", L"PondrelTest.RecordingEnhancerA.1",
     L"PondrelTest.RecordingEnhancerA", &fx::CreateObject<RecordingA>},
    {&standin::kRecordingB, L"Recording Enhancer B", L"PondrelTest.RecordingEnhancerB.1",
     L"PondrelTest.RecordingEnhancerB", &fx::CreateObject<RecordingB>},
    {&standin::kNoIAction, L"Not an Enhancer", L"PondrelTest.NotAnEnhancer.1", L"PondrelTest.NotAnEnhancer",
     &fx::CreateObject<NoIAction>},
};
const fx::ComServer kServer = {nullptr, nullptr, nullptr, nullptr, kClasses, ARRAYSIZE(kClasses)};

}  // namespace

FX_INPROC_SERVER_EXPORTS(kServer, nullptr)
