#include "app/core/enhancers/WatcherNode.h"

#include <string>

#include "Hextens/HXIE/HXIE.h"
#include "hosts/SiteEnhancer.h"
#include "log/PondrelLog.h"

WatcherNode::WatcherNode(IDispatch* dispatch, IAction* action, bool active)
    : m_pDispatch(fx::ComPtr<IDispatch>::Attach(dispatch)),
      m_pAction(fx::ComPtr<IAction>::Attach(action)),
      m_Active(active) {}

WatcherNode::~WatcherNode() = default;

void UnloadWatchers(WatcherObList& enhancers, ISiteEnhancer** siteEnhancer, IDispatch** siteDispatch) {
    LogLine(L"Unloading Enhancers");
    // The enhancers hold the lent site-enhancer pointer without a reference:
    // they go first, so none is left with a dangling pointer.
    for (auto& node : enhancers) {
        if (node->m_pAction) {
            node->m_pAction->Unload();
            node->m_pAction.reset();
        }
        node->m_pDispatch.reset();
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
