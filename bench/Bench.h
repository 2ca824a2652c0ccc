// A small timing harness for the benchmark target (run on demand, never in the
// test suite):  BENCH(name) { for (auto _ : state) { ... } }
// pondrel_bench [fragment] runs only the cases whose names hold fragment.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace bench {

struct State {
    long long iterations = 0;
    struct Iter {
        long long left;
        bool operator!=(const Iter&) const { return left > 0; }
        void operator++() { --left; }
        int operator*() const { return 0; }
    };
    Iter begin() const { return Iter{iterations}; }
    Iter end() const { return Iter{0}; }
};

struct Case {
    const char* name;
    std::function<void(State&)> fn;
};

inline std::vector<Case>& Registry() {
    static std::vector<Case> cases;
    return cases;
}

struct Registrar {
    Registrar(const char* name, std::function<void(State&)> fn) { Registry().push_back({name, fn}); }
};

inline double Seconds() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Runs each case with growing iteration counts until one run lasts 0.5 s;
// with a filter, only the cases whose names hold it.
inline int RunAll(const char* filter = nullptr) {
    for (auto& c : Registry()) {
        if (filter && *filter && !std::strstr(c.name, filter)) continue;
        State s;
        s.iterations = 1;
        double took = 0;
        for (;;) {
            double t0 = Seconds();
            c.fn(s);
            took = Seconds() - t0;
            if (took >= 0.5 || s.iterations >= (1LL << 30)) break;
            s.iterations *= (took < 0.05) ? 10 : 2;
        }
        std::printf("%-48s %12lld iterations %12.3f us/iteration\n", c.name, s.iterations,
                    1e6 * took / static_cast<double>(s.iterations));
    }
    return 0;
}

}  // namespace bench

#define BENCH_CAT2(a, b) a##b
#define BENCH_CAT(a, b) BENCH_CAT2(a, b)
#define BENCH(name)                                                                  \
    static void BENCH_CAT(bench_fn_, __LINE__)(bench::State & state);                \
    static bench::Registrar BENCH_CAT(bench_reg_, __LINE__)(name, BENCH_CAT(bench_fn_, __LINE__)); \
    static void BENCH_CAT(bench_fn_, __LINE__)(bench::State & state)
