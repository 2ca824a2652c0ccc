// The main program's record of one loaded enhancer, and the controller's list
// of them.  The records are made by the enhancer load and released by the
// controller's unload.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "Hextens/HXIE/HXIE.h"
#include "fx/Handle.h"

class WatcherNode {
public:
    WatcherNode() = default;
    virtual ~WatcherNode() = default;
    WatcherNode(const WatcherNode&) = delete;
    WatcherNode& operator=(const WatcherNode&) = delete;

    fx::ComPtr<IDispatch> m_pDispatch;  // the object as created
    fx::ComPtr<IAction> m_pAction;      // its IAction interface
    std::wstring m_Name;                // IAction::get_enhancertype
    bool m_Active = true;
    LONG m_LastBits = 0;                // what the last poll's Update reported
};

using WatcherObList = std::vector<std::unique_ptr<WatcherNode>>;
