#include "app/core/graphics/Monitors.h"

#include "fx/Fault.h"

namespace {
struct Filling {
    std::vector<std::unique_ptr<CMonitor>>* slots;
    size_t next;
};
}  // namespace

CMonitor CMonitor::PrimaryMonitor() { return CMonitor(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

CMonitor CMonitor::FromRect(const RECT& rc) { return CMonitor(::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST)); }

void CMonitor::GetWorkAreaRect(RECT* rc) const {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    static_assert(sizeof(MONITORINFO) == 40, "MONITORINFO is 40 bytes");
    if (m_hMonitor && ::GetMonitorInfoW(m_hMonitor, &info)) {
        *rc = info.rcWork;
        return;
    }
    // A stale handle: the primary work area.
    HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    info.cbSize = sizeof(info);
    if (primary && ::GetMonitorInfoW(primary, &info)) {
        *rc = info.rcWork;
        return;
    }
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, rc, 0)) *rc = RECT{0, 0, 0, 0};
}

int MonitorEnumeration::Count() const { return ::GetSystemMetrics(SM_CMONITORS); }

void MonitorEnumeration::Enumerate(MONITORENUMPROC proc, LPARAM context) const {
    ::EnumDisplayMonitors(nullptr, nullptr, proc, context);
}

CMonitors::CMonitors() { Build(MonitorEnumeration()); }

CMonitors::CMonitors(const MonitorEnumeration& source) { Build(source); }

void CMonitors::Build(const MonitorEnumeration& source) {
    int count = source.Count();
    m_Monitors.resize(count > 0 ? static_cast<size_t>(count) : 0);
    Filling f{&m_Monitors, 0};
    source.Enumerate(&CMonitors::EnumMonitorsProc, reinterpret_cast<LPARAM>(&f));
}

// An exception (a failed allocation) stops the enumeration there instead of
// crossing the system's frames; the slots not filled stay empty.
BOOL CALLBACK CMonitors::EnumMonitorsProc(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    BOOL more = FALSE;
    fx::Guarded(L"the monitor enumeration", [&] {
        auto* f = reinterpret_cast<Filling*>(context);
        if (f->next >= f->slots->size()) return;
        (*f->slots)[f->next] = std::make_unique<CMonitor>(monitor);
        ++f->next;
        more = TRUE;
    });
    return more;
}
