#include "app/panels/views/ViewHost.h"

#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/views/PanelKeyRules.h"

namespace panels {

std::wstring AppViewHost::ServerDomain() const { return views::ServerDomain(theApp.Snapshot()->ecpUrl); }

bool AppViewHost::ScriptErrorsSuppressed() const { return theApp.Snapshot()->scriptErrorsSuppressed; }

void AppViewHost::StoreNavigateUrl(const std::wstring& url) {
    *theApp.m_NavigateUrl.Lock() = url;
}

}  // namespace panels
