// The display monitors: one monitor (CMonitor, a cheap value over its handle)
// and the list of all monitors at the moment it is built (CMonitors).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

class CMonitor {
public:
    CMonitor() = default;
    explicit CMonitor(HMONITOR h) : m_hMonitor(h) {}
    virtual ~CMonitor() = default;  // a monitor handle needs no release
    CMonitor(const CMonitor&) = default;
    CMonitor& operator=(const CMonitor&) = default;

    // The primary display: the monitor at (0, 0).
    static CMonitor PrimaryMonitor();
    // The monitor holding the largest part of `rc`, or the nearest one.
    static CMonitor FromRect(const RECT& rc);

    // The work area (the monitor less the taskbar and other application
    // bars) in screen coordinates.  A handle that is no longer valid gives the
    // primary monitor's work area.
    void GetWorkAreaRect(RECT* rc) const;

    HMONITOR handle() const { return m_hMonitor; }
    bool operator==(const CMonitor& o) const { return m_hMonitor == o.m_hMonitor; }

private:
    HMONITOR m_hMonitor = nullptr;
};

// How the list finds the monitors: the slot count, then one callback per
// monitor in order until the callback returns FALSE.
class MonitorEnumeration {
public:
    virtual ~MonitorEnumeration() = default;
    virtual int Count() const;  // GetSystemMetrics(SM_CMONITORS)
    // EnumDisplayMonitors over the whole virtual screen.
    virtual void Enumerate(MONITORENUMPROC proc, LPARAM context) const;
};

class CMonitors {
public:
    // The system's monitors.
    CMonitors();
    explicit CMonitors(const MonitorEnumeration& source);
    virtual ~CMonitors() = default;
    CMonitors(const CMonitors&) = delete;
    CMonitors& operator=(const CMonitors&) = delete;

    // One slot per counted monitor; slots the enumeration did not reach are
    // null.
    int GetSize() const { return static_cast<int>(m_Monitors.size()); }
    CMonitor* GetAt(int i) const { return m_Monitors[static_cast<size_t>(i)].get(); }

    // Stores the monitor at the next slot; FALSE ends the enumeration when
    // every slot is taken.
    static BOOL CALLBACK EnumMonitorsProc(HMONITOR monitor, HDC dc, LPRECT rc, LPARAM context);

private:
    void Build(const MonitorEnumeration& source);
    std::vector<std::unique_ptr<CMonitor>> m_Monitors;
};
