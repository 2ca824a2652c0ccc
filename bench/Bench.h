// A small timing harness for the benchmark target (run on demand, never in the
// test suite):  BENCH(name) { for (auto _ : state) { ... } }
// pondrel_bench [fragment] runs only the cases whose names hold fragment.
// A case checks what it measured with bench::Fail (the run then ends with
// exit code 1 and names the case and the reason) and hands its figures with
// their goals to bench::Figure; the run ends with one table of them.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
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

// One measured figure against its goal: lower is better, so a ratio under 1
// meets the goal.
struct Goal {
    std::string figure;
    double value;
    double goal;
    std::string unit;
};

struct Outcome {
    const char* current = nullptr;  // the case running
    bool failed = false;            // the running case failed its check
    std::vector<std::string> failures;
    std::vector<Goal> goals;
};

inline Outcome& Results() {
    static Outcome outcome;
    return outcome;
}

// The running case's check failed: printed at once and at the end of the
// run, whose exit code becomes 1; the case runs no further rounds.
inline void Fail(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Outcome& r = Results();
    r.failed = true;
    r.failures.push_back(std::string(r.current ? r.current : "?") + ": " + text);
    std::printf("    FAILED: %s\n", text);
}

// Records a figure for the closing table (the last value given for a name
// counts: the longest round is the one kept).
inline void Figure(const char* figure, double value, double goal, const char* unit) {
    for (Goal& g : Results().goals)
        if (g.figure == figure) {
            g.value = value;
            return;
        }
    Results().goals.push_back(Goal{figure, value, goal, unit});
}

inline void PrintGoals() {
    const Outcome& r = Results();
    if (!r.goals.empty()) {
        std::printf("\n%-56s %12s %12s %7s\n", "figure", "measured", "goal", "ratio");
        for (const Goal& g : r.goals) {
            char value[32], goal[32];
            std::snprintf(value, sizeof value, "%.3g %s", g.value, g.unit.c_str());
            std::snprintf(goal, sizeof goal, "%.3g %s", g.goal, g.unit.c_str());
            std::printf("%-56s %12s %12s %7.2f%s\n", g.figure.c_str(), value, goal,
                        g.goal > 0 ? g.value / g.goal : 0.0, g.goal > 0 && g.value > g.goal ? "  over" : "");
        }
    }
    if (!r.failures.empty()) {
        std::printf("\n%u case(s) FAILED their checks:\n", static_cast<unsigned>(r.failures.size()));
        for (const std::string& f : r.failures) std::printf("    %s\n", f.c_str());
    }
}

inline double Seconds() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Runs each case with growing iteration counts until one run lasts 0.5 s
// or its check fails; with a filter, only the cases whose names hold it.
// Ends with the table of figures and goals; 1 when a case failed.
inline int RunAll(const char* filter = nullptr) {
    Outcome& r = Results();
    for (auto& c : Registry()) {
        if (filter && *filter && !std::strstr(c.name, filter)) continue;
        r.current = c.name;
        r.failed = false;
        State s;
        s.iterations = 1;
        double took = 0;
        for (;;) {
            double t0 = Seconds();
            c.fn(s);
            took = Seconds() - t0;
            if (r.failed || took >= 0.5 || s.iterations >= (1LL << 30)) break;
            s.iterations *= (took < 0.05) ? 10 : 2;
        }
        std::printf("%-48s %12lld iterations %12.3f us/iteration%s\n", c.name, s.iterations,
                    1e6 * took / static_cast<double>(s.iterations), r.failed ? "  (FAILED)" : "");
    }
    r.current = nullptr;
    PrintGoals();
    std::fflush(stdout);
    return r.failures.empty() ? 0 : 1;
}

}  // namespace bench

#define BENCH_CAT2(a, b) a##b
#define BENCH_CAT(a, b) BENCH_CAT2(a, b)
#define BENCH(name)                                                                  \
    static void BENCH_CAT(bench_fn_, __LINE__)(bench::State & state);                \
    static bench::Registrar BENCH_CAT(bench_reg_, __LINE__)(name, BENCH_CAT(bench_fn_, __LINE__)); \
    static void BENCH_CAT(bench_fn_, __LINE__)(bench::State & state)
