// Loading the enhancers named by the settings document and the site enhancer
// lent to them.
#include "app/core/enhancers/EnhancerLoading.h"

#include <string>

#include "Hextens/HXIE/HXIE.h"
#include "app/core/enhancers/EnhancerRules.h"
#include "app/core/enhancers/WatcherNode.h"
#include "app/core/config/XmlConfig.h"
#include "fx/ComString.h"
#include "fx/Handle.h"
#include "fx/Variant.h"
#include "hosts/SiteEnhancer.h"
#include "log/PondrelLog.h"

namespace {

const wchar_t kSiteEnhancerClsid[] = L"276A523E-D788-4B38-B5A0-0FE77199914D";

void Log(const std::wstring& text) { LogLine(text.c_str()); }

using fx::Bstr;

bool ParseGuid(const std::wstring& text, CLSID& clsid) {
    std::wstring braced = L"{" + text + L"}";
    return SUCCEEDED(::CLSIDFromString(braced.c_str(), &clsid));
}

std::wstring HresultText(HRESULT hr) {
    wchar_t text[16];
    _snwprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace

BSTR Utf8ToBstr(const char* text, int length) {
    if (!text || length <= 0) return ::SysAllocString(L"");
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    if (n <= 0) return ::SysAllocString(L"");
    BSTR b = ::SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (b) ::MultiByteToWideChar(CP_UTF8, 0, text, length, b, n);
    return b;
}

bool ReadSettingsFile(const std::wstring& path, std::string& bytes) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        wchar_t* message = nullptr;
        DWORD error = ::GetLastError();
        if (::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr) &&
            message) {
            LogLine(message);
            ::LocalFree(message);
        }
        LogLine(L"File load FAIL");
        return false;
    }
    LogLine(L"File load success");
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && ::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr))
        bytes.resize(got);
    else
        bytes.resize(0);
    return true;
}

namespace {

// Init, SetSiteEnhancer and the two configuration options, in this order;
// false at the first failure HRESULT (after an Init that worked the
// enhancer is unloaded again).
bool InitEnhancer(IAction* action, ISiteEnhancer* site, BSTR settings, BSTR ignores, const std::wstring& id) {
    HRESULT hr = action->Init();
    if (FAILED(hr)) {
        Log(L"Init failed for enhancer:" + id + L" " + HresultText(hr));
        return false;
    }
    const wchar_t* step = nullptr;
    hr = action->SetSiteEnhancer(site);
    if (FAILED(hr)) {
        step = L"SetSiteEnhancer";
    } else {
        fx::Variant text = fx::Variant::FromBstr(settings), e1 = fx::Variant::FromBstr(nullptr),
                    e2 = fx::Variant::FromBstr(nullptr), e3 = fx::Variant::FromBstr(nullptr);
        hr = action->SetConfigurationOption(1, text.get(), e1.get(), e2.get(), e3.get());
        if (FAILED(hr)) {
            step = L"SetConfigurationOption 1";
        } else {
            fx::Variant list = fx::Variant::FromBstr(ignores), f1 = fx::Variant::FromBstr(nullptr),
                        f2 = fx::Variant::FromBstr(nullptr), f3 = fx::Variant::FromBstr(nullptr);
            hr = action->SetConfigurationOption(2, list.get(), f1.get(), f2.get(), f3.get());
            if (FAILED(hr)) step = L"SetConfigurationOption 2";
        }
    }
    if (!step) return true;
    Log(std::wstring(step) + L" failed for enhancer:" + id + L" " + HresultText(hr));
    action->Unload();
    return false;
}

}  // namespace

bool LoadListedEnhancers(XmlConfig& settings, ISiteEnhancer* site, BSTR settingsText, BSTR ignores,
                         const std::function<void(std::unique_ptr<WatcherNode>)>& keep) {
    bool failed = false;
    // Every active enhancer the settings list: created, asked for IAction, initialised and kept.
    const int n = static_cast<int>(settings.Enhancers().size());
    for (int i = 1; i <= n; ++i) {
        settings.ReadEnhancer(i);
        const std::wstring id = settings.GetEnhancerId();
        const bool active = settings.EnhancerActive();
        if (!active) continue;
        CLSID clsid{};
        if (!ParseGuid(id, clsid)) {
            Log(id + L" is an invalid GUID.");
            failed = true;
            continue;
        }
        // Only the program's own enhancer classes are created in this process.
        if (!enhancer_rules::IsOwnEnhancer(id, enhancerseam::extraClasses)) {
            Log(id + L" is not an enhancer of this program; not loaded.");
            failed = true;
            continue;
        }
        fx::ComPtr<IDispatch> dispatch;
        if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.put_void()))) {
            Log(L"Failed on CoCreateInstance for GUID:" + id);
            failed = true;
            continue;
        }
        // A query answering success with no pointer found nothing either.
        fx::ComPtr<IAction> action;
        if (FAILED(dispatch.As(action, IID_IAction)) || !action) {
            Log(L"Failed to find IAction interface for enhancer:" + id);
            failed = true;
            continue;
        }
        if (!InitEnhancer(action.get(), site, settingsText, ignores, id)) {
            failed = true;
            continue;
        }
        auto node = std::make_unique<WatcherNode>(dispatch.detach(), action.detach(), active);
        Bstr name;
        node->m_pAction->get_enhancertype(name.put());
        node->m_Name = name.str();
        Log(node->m_Name + L" has been loaded!");
        keep(std::move(node));
    }
    return !failed;
}

bool MakeSiteEnhancer(const std::wstring& url, const std::wstring& key, const std::wstring& version,
                      BSTR* settingsText, IDispatch** dispatchOut, ISiteEnhancer** siteOut) {
    // Its class id.
    CLSID clsid{};
    if (!ParseGuid(kSiteEnhancerClsid, clsid)) {
        ::MessageBoxW(nullptr, (std::wstring(kSiteEnhancerClsid) + L" is an invalid GUID.").c_str(), L"Error", MB_OK);
        return false;
    }
    // Its object.
    fx::ComPtr<IDispatch> dispatch;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.put_void()))) {
        ::MessageBoxW(nullptr, (std::wstring(L"Failed on CoCreateInstance for GUID:") + kSiteEnhancerClsid).c_str(),
                      L"Error", MB_OK);
        return false;
    }
    // Its ISiteEnhancer interface; a query answering success with no
    // pointer found nothing either.
    fx::ComPtr<ISiteEnhancer> site;
    if (FAILED(dispatch.As(site, IID_ISiteEnhancer)) || !site) {
        ::MessageBoxW(nullptr, (std::wstring(L"Failed to find ISiteEnhancer interface for ") + kSiteEnhancerClsid).c_str(),
                      L"Error", MB_OK);
        return false;
    }
    // Its setup: the site enhancer URL, the settings text, the user key and
    // the version.  A site enhancer that refuses one of these calls is
    // released, not lent to the enhancers.
    Bstr urlText(url);
    HRESULT hr = site->Setup(urlText.get(), settingsText);
    const wchar_t* step = L"Setup";
    if (SUCCEEDED(hr)) {
        Bstr keyText(key.empty() ? Bstr() : Bstr(key));
        Bstr versionText(version);
        BSTR keyValue = keyText.get(), versionValue = versionText.get();
        hr = site->SetUserKey(&keyValue);
        step = L"SetUserKey";
        if (SUCCEEDED(hr)) {
            hr = site->SetVersion(&versionValue);
            step = L"SetVersion";
        }
    }
    if (FAILED(hr)) {
        Log(L"Site enhancer " + std::wstring(step) + L" failed " + HresultText(hr) + L": site enhancer released");
        if (step != std::wstring(L"Setup")) site->Shutdown();  // it was set up
        return false;
    }
    *dispatchOut = dispatch.detach();
    *siteOut = site.detach();
    return true;
}
