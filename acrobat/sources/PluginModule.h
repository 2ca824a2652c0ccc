// Module-wide state of the plug-in and the calls into the host's tables.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

#include "TableImport.h"
#include "hosts/acrobat/PluginHost.h"

struct PluginModule {
    HINSTANCE instance = nullptr;
    acrohost::WindowsData windows{};
    acrohost::ExtensionId extension = nullptr;
    acrohost::Table core = nullptr;  // as given at setup
    acrohost::Version coreVersion = kCoreVersion;
    ModuleTables tables;
    bool exportedTables = false;
    bool replacedAndRegistered = false;

    acrohost::Table View() const { return tables.tables[1].table; }
    acrohost::Table Model() const { return tables.tables[4].table; }
};

extern PluginModule g_module;

// Calls the entry at `selector` of `table` with signature F; an absent entry
// gives the result type's zero value.
template <class F, class... Args>
auto HostCall(acrohost::Table table, int selector, Args... args) {
    using R = std::invoke_result_t<F, Args...>;
    F f = acrohost::EntryOf<F>(table, selector);
    if constexpr (std::is_void_v<R>) {
        if (f) f(args...);
    } else {
        return f ? f(args...) : R{};
    }
}

// A host callback for one of our procedures (Core 8).
template <class P>
acrohost::Callback MakeCallback(P procedure) {
    return HostCall<acrohost::core::CreateCallback>(g_module.core, acrohost::core::kCreateCallback, g_module.extension,
                                                    reinterpret_cast<void*>(procedure));
}

inline acrohost::Atom AtomOf(const char* text) {
    return HostCall<acrohost::core::AtomFromText>(g_module.core, acrohost::core::kAtomFromText, text);
}

// The initialisation and unload procedures' work (SelectionCapture.cpp).
void PluginInit();
void PluginUnload();
