// The controller's side of the usage statistics: the counts of the hotspot
// and the menus, and the heartbeat's collection.
#include "app/core/main/AppUsageHost.h"
#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerSteps.h"
#include "log/PondrelLog.h"

void BrowserTreeView::CountUsage(const wchar_t* metric) {
    if (!theApp.m_Stats.Count(metric)) LogLine(L"Usage statistics: no counter for a metric counted");
}

void CollectUsageStats() { theApp.m_Stats.Collect(AppUsageHost()); }
