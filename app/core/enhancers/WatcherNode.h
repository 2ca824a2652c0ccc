// The main program's record of one loaded enhancer, and the list the
// controller keeps them in.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <list>
#include <memory>
#include <string>

#include "fx/Handle.h"

struct IAction;

class WatcherNode {
public:
    // Adopts one reference on each pointer (either may be null).
    WatcherNode(IDispatch* dispatch, IAction* action, bool active);
    // Releases what the unload has not released already.
    virtual ~WatcherNode();
    WatcherNode(const WatcherNode&) = delete;
    WatcherNode& operator=(const WatcherNode&) = delete;

    fx::ComPtr<IDispatch> m_pDispatch;  // the object as created
    fx::ComPtr<IAction> m_pAction;      // the same object's IAction
    std::wstring m_Name;                // IAction::get_enhancertype
    bool m_Active;
    LONG m_LastBits = 0;                // what the last poll's Update reported
};

// Owns its nodes, in load order.
using WatcherObList = std::list<std::unique_ptr<WatcherNode>>;

struct ISiteEnhancer;

// The unload of every enhancer and of the site enhancer lent to them: the
// enhancers hold the lent pointer without a reference, so they go first
// (Unload, release, " has been released!"); then the site enhancer is shut
// down and released.  The list is empty afterwards.
void UnloadWatchers(WatcherObList& enhancers, ISiteEnhancer** siteEnhancer, IDispatch** siteDispatch);
