// Helper process for the log tests: attaches to the shared log and writes
// lines from several threads.   LogWriter.exe TAG THREADS LINES
#include <windows.h>

#include <cwchar>
#include <thread>
#include <vector>

#include "log/Logger.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const wchar_t* tag = argv[1];
    int threads = _wtoi(argv[2]);
    int lines = _wtoi(argv[3]);
    g_pLogger = Logger::Open();
    if (!g_pLogger) return 3;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([=] {
            for (int i = 0; i < lines; ++i)
                LogMessage(L"(%s) thread %d line %d %s", tag, t, i,
                           L"some text long enough to make a torn record visible");
        });
    }
    for (auto& th : pool) th.join();
    return 0;
}
