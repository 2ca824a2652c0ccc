#include "app/core/WatcherNode.h"

#include <string>

#include "Hextens/HXIE/HXIE.h"
#include "hosts/SiteEnhancer.h"
#include "log/PondrelLog.h"

void UnloadWatchers(WatcherObList& enhancers, ISiteEnhancer** siteEnhancer, IDispatch** siteDispatch) {
    LogLine(L"Unloading Enhancers");
    // The enhancers hold the lent site-enhancer pointer without a reference:
    // they go first, so none is left with a dangling pointer.
    for (auto& node : enhancers) {
        if (node->m_pAction) {
            node->m_pAction->Unload();
            node->m_pAction->Release();
            node->m_pAction = nullptr;
        }
        if (node->m_pDispatch) {
            node->m_pDispatch->Release();
            node->m_pDispatch = nullptr;
        }
        std::wstring line = node->m_Name + L" has been released!";
        LogLine(line.c_str());
        node.reset();
    }
    enhancers.clear();
    if (siteEnhancer && *siteEnhancer) {
        (*siteEnhancer)->Shutdown();
        (*siteEnhancer)->Release();
        *siteEnhancer = nullptr;
        if (siteDispatch && *siteDispatch) (*siteDispatch)->Release();
        if (siteDispatch) *siteDispatch = nullptr;
        LogLine(L"Site enhancer released");
    }
}
