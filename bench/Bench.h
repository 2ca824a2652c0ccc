// A small timing harness for the benchmark target (run on demand, never in the
// test suite):  BENCH(name) { for (auto _ : state) { ... } }
// pondrel_bench [fragment] runs only the cases whose names hold fragment.
// A case checks what it measured with bench::Fail (the run then ends with
// exit code 1 and names the case and the reason); a case that leaves its
// rounds early without a failed check or a bench::Skip (what it needs is
// missing here) fails too.  bench::Note adds a line under the case's result
// (where its time went); bench::Figure hands a figure with its goal, and the
// run ends with one table of them.
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
    mutable long long done = 0;  // rounds the case went through to their end
    struct Iter {
        long long left;
        long long* done;
        bool operator!=(const Iter&) const { return left > 0; }
        void operator++() {
            --left;
            ++*done;
        }
        int operator*() const { return 0; }
    };
    Iter begin() const { return Iter{iterations, &done}; }
    Iter end() const { return Iter{0, nullptr}; }
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
    bool skipped = false;           // the running case cannot run here
    std::vector<std::string> notes;  // the running case's lines, from its last round
    std::vector<std::string> failures;
    std::vector<std::string> skips;
    std::vector<Goal> goals;
};

inline Outcome& Results() {
    static Outcome outcome;
    return outcome;
}

namespace detail {
inline std::string Format(const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    return text;
}
}  // namespace detail

// The running case's check failed: printed at once and at the end of the
// run, whose exit code becomes 1; the case runs no further rounds.
inline void Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = detail::Format(format, args);
    va_end(args);
    Outcome& r = Results();
    r.failed = true;
    r.failures.push_back(std::string(r.current ? r.current : "?") + ": " + text);
    std::printf("    FAILED: %s\n", text.c_str());
}

// The running case cannot run here (what it needs is missing): named at the
// end of the run, which does not fail for it; the case runs no further rounds.
inline void Skip(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = detail::Format(format, args);
    va_end(args);
    Outcome& r = Results();
    r.skipped = true;
    r.skips.push_back(std::string(r.current ? r.current : "?") + ": " + text);
    std::printf("    skipped: %s\n", text.c_str());
}

// A line printed under the running case's result (the last round's lines).
inline void Note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Results().notes.push_back(detail::Format(format, args));
    va_end(args);
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
        size_t longest = 6;  // the figures' column fits the longest
        for (const Goal& g : r.goals) longest = g.figure.size() > longest ? g.figure.size() : longest;
        const int width = static_cast<int>(longest);
        std::printf("\n%-*s %12s %12s %7s\n", width, "figure", "measured", "goal", "ratio");
        for (const Goal& g : r.goals) {
            char value[32], goal[32];
            std::snprintf(value, sizeof value, "%.4g %s", g.value, g.unit.c_str());
            std::snprintf(goal, sizeof goal, "%.4g %s", g.goal, g.unit.c_str());
            std::printf("%-*s %12s %12s %7.2f%s\n", width, g.figure.c_str(), value, goal,
                        g.goal > 0 ? g.value / g.goal : 0.0, g.goal > 0 && g.value > g.goal ? "  over" : "");
        }
    }
    if (!r.skips.empty()) {
        std::printf("\n%u case(s) skipped:\n", static_cast<unsigned>(r.skips.size()));
        for (const std::string& s : r.skips) std::printf("    %s\n", s.c_str());
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
        r.failed = r.skipped = false;
        State s;
        s.iterations = 1;
        double took = 0;
        for (;;) {
            r.notes.clear();
            s.done = 0;
            double t0 = Seconds();
            c.fn(s);
            took = Seconds() - t0;
            if (!r.failed && !r.skipped && s.done < s.iterations)
                Fail("the case stopped after %lld of %lld rounds without a check saying why", s.done, s.iterations);
            if (r.failed || r.skipped || took >= 0.5 || s.iterations >= (1LL << 30)) break;
            s.iterations *= (took < 0.05) ? 10 : 2;
        }
        std::printf("%-48s %12lld iterations %12.3f us/iteration%s\n", c.name, s.iterations,
                    1e6 * took / static_cast<double>(s.iterations),
                    r.failed ? "  (FAILED)" : r.skipped ? "  (skipped)" : "");
        for (const std::string& note : r.notes) std::printf("    %s\n", note.c_str());
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
