// The benchmark harness judges its cases: a failed check, a case that stops
// early without saying why, a skip, and the closing table of figures.
#include <gtest/gtest.h>

#include <string>

#include "Bench.h"

namespace {

// Cases of this program only; RunAll picks one by its name.
BENCH("harness case: completes with a figure") {
    int rounds = 0;
    for (auto _ : state) {
        (void)_;
        ++rounds;
    }
    bench::Note("a note of the last round (%d)", rounds);
    bench::Figure("harness figure", 5.0, 20.0, "ms");
}

BENCH("harness case: fails its check") {
    for (auto _ : state) {
        (void)_;
        bench::Fail("the count was %d, the data holds %d", 3, 4);
        return;
    }
}

BENCH("harness case: stops early") {
    for (auto _ : state) {
        (void)_;
        return;  // what it measures is missing, and it says nothing
    }
}

BENCH("harness case: skips") {
    for (auto _ : state) {
        (void)_;
        bench::Skip("no server here");
        return;
    }
}

struct CaseRun {
    int code;
    std::string output;
};

CaseRun RunCase(const char* name) {
    bench::Results() = bench::Outcome();
    testing::internal::CaptureStdout();
    const int code = bench::RunAll(name);
    return CaseRun{code, testing::internal::GetCapturedStdout()};
}

TEST(BenchHarness, JudgesEachCase) {
    struct Case {
        const char* name;
        int code;
        const char* says;
    } cases[] = {
        {"completes with a figure", 0, "harness figure"},
        {"fails its check", 1, "fails its check: the count was 3, the data holds 4"},
        {"stops early", 1, "stops early: the case stopped after 0 of 1 rounds without a check saying why"},
        {"skips", 0, "skips: no server here"},
    };
    for (const Case& c : cases) {
        const CaseRun run = RunCase(c.name);
        EXPECT_EQ(run.code, c.code) << c.name << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.name << "\n" << run.output;
    }
}

TEST(BenchHarness, EndsWithOneTableOfFiguresGoalsAndRatios) {
    const CaseRun run = RunCase("completes with a figure");
    const size_t table = run.output.find("figure");
    ASSERT_NE(table, std::string::npos) << run.output;
    EXPECT_NE(run.output.find("goal", table), std::string::npos);
    EXPECT_NE(run.output.find("ratio", table), std::string::npos);
    // The figure's row: measured, goal and their ratio.
    const size_t row = run.output.find("harness figure", table);
    ASSERT_NE(row, std::string::npos) << run.output;
    const std::string line = run.output.substr(row, run.output.find('\n', row) - row);
    EXPECT_NE(line.find("5 ms"), std::string::npos) << line;
    EXPECT_NE(line.find("20 ms"), std::string::npos) << line;
    EXPECT_NE(line.find("0.25"), std::string::npos) << line;
    // The case's notes come once, from its last round, under its result.
    const size_t note = run.output.find("a note of the last round");
    ASSERT_NE(note, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("a note of the last round", note + 1), std::string::npos) << run.output;
    EXPECT_LT(run.output.find("harness case: completes"), note);
}

}  // namespace
