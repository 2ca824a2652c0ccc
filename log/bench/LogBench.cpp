#include "Bench.h"
#include "ViewerLog.h"
#include "log/Logger.h"

BENCH("log: write with no viewer") {
    Logger* saved = g_pLogger;
    g_pLogger = Logger::Open();  // none: no mapping
    for (auto _ : state) LogMessage(L"(%s) a line of %d", L"bench", 1);
    delete g_pLogger;
    g_pLogger = saved;
}

BENCH("log: write with a viewer") {
    ViewerLog viewer;
    viewer.Create(L"LogViewer", 64 * 1024 * 1024);
    Logger* logger = Logger::Open();
    if (!logger) {
        bench::Fail("no logger opened on the viewer's log");
        return;
    }
    for (auto _ : state) {
        logger->Write(L"(%s) a line of %d", L"bench", 1);
        if (viewer.WriteOffset() > 60 * 1024 * 1024) viewer.SetWriteOffset(104);
    }
    delete logger;
}
