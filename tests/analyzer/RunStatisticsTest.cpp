// The statistics of repeated runs and the comparison of two sets of runs.
//
// Exact p-values were counted by listing every split of the pooled values
// into the two samples (C(m + n, m) of them) and counting those whose U is as
// extreme as the observed one. Normal approximations were worked from
// z = (max(U1, U2) - m n / 2 - 1/2) / s, s^2 = m n / 12 (N + 1 - sum(t^3 - t) / (N (N - 1))),
// p = 2 (1 - Phi(z)).
#include "RunStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "RunsDiff.h"

namespace kivra {
namespace {

TEST(RunStatisticsTest, MedianAndSpreadOfOddAndEvenCounts) {
    EXPECT_DOUBLE_EQ(Median({3.0, 1.0, 2.0}), 2.0);
    EXPECT_DOUBLE_EQ(Median({9.0, 2.0, 8.0, 1.0, 3.0, 7.0}), 5.0);  // the middle two far apart in the input
    EXPECT_DOUBLE_EQ(Median({}), 0.0);
    // Median 3, deviations 2 1 0 1 97: the outlier does not move it.
    EXPECT_DOUBLE_EQ(MedianAbsoluteDeviation({1.0, 2.0, 3.0, 4.0, 100.0}), 1.0);
    // Median 3, deviations 2 1 1 4: unscaled, the mean of 1 and 2.
    EXPECT_DOUBLE_EQ(MedianAbsoluteDeviation({7.0, 1.0, 4.0, 2.0}), 1.5);
}

// Every U and p-value in the tests below was counted by hand or by enumerating
// the splits, and agrees with scipy.stats.mannwhitneyu (scipy 1.10.1, Debian
// 12's python3-scipy; method "exact", or "asymptotic" where there are ties or
// more than 20 runs a side) to the digits written.
TEST(RunStatisticsTest, ExactPValues) {
    // 1 of the 20 splits of 3 + 3 values has U = 0: p = 2 / 20, either way round.
    MannWhitney test = MannWhitneyU({1.0, 2.0, 3.0}, {4.0, 5.0, 6.0});
    EXPECT_TRUE(test.Exact);
    EXPECT_DOUBLE_EQ(test.U, 0.0);
    EXPECT_NEAR(test.PValue, 0.1, 1e-12);
    test = MannWhitneyU({4.0, 5.0, 6.0}, {1.0, 2.0, 3.0});
    EXPECT_DOUBLE_EQ(test.U, 9.0);
    EXPECT_NEAR(test.PValue, 0.1, 1e-12);
    // Interleaved: U = 4, 12 of 126 splits have U <= 4.
    test = MannWhitneyU({1.0, 2.0, 4.0, 7.0}, {3.0, 5.0, 6.0, 8.0, 9.0});
    EXPECT_DOUBLE_EQ(test.U, 4.0);
    EXPECT_NEAR(test.PValue, 4.0 / 21.0, 1e-12);
    // U = 56 of 64; 67 of 12870 splits are as extreme on that side.
    EXPECT_NEAR(MannWhitneyU({10, 11, 12, 13, 14, 15, 16, 17}, {1, 2, 3, 4, 5, 6, 7, 18}).PValue, 67.0 / 6435.0, 1e-12);
    // U at its mean; one value against three.
    EXPECT_DOUBLE_EQ(MannWhitneyU({1.0, 4.0, 6.0, 9.0}, {2.0, 3.0, 5.0, 7.0, 8.0}).PValue, 1.0);
    EXPECT_NEAR(MannWhitneyU({5.0}, {6.0, 7.0, 8.0}).PValue, 0.5, 1e-12);
}

TEST(RunStatisticsTest, LargestExactSamplesKeepTinyTailsAndLargerOnesAreApproximated) {
    std::vector<double> low;
    std::vector<double> high;
    for (int i = 0; i < 20; ++i) {
        low.push_back(i);
        high.push_back(20 + i);
    }
    // 2 / C(40, 20): the counts reach 1.4e11 and the tail must not be lost to rounding.
    MannWhitney test = MannWhitneyU(low, high);
    EXPECT_TRUE(test.Exact);
    EXPECT_NEAR(test.PValue, 2.0 / 137846528820.0, 1e-20);
    // 21 + 21: U = 0, s = sqrt(441 * 43 / 12) = 39.7524, z = 220 / s = 5.53426.
    low.push_back(-1.0);
    high.push_back(40.0);
    test = MannWhitneyU(low, high);
    EXPECT_FALSE(test.Exact);
    EXPECT_NEAR(test.PValue, 3.1254e-8, 0.0001e-8);
}

TEST(RunStatisticsTest, TiesAndEqualSamples) {
    // Pooled ranks 1 | 2 2 2 -> 3 | 3 3 -> 5.5 | 7 | 8: R1 = 12.5, U1 = 2.5, U2 = 13.5;
    // tie term 24 + 6 = 30, s^2 = 16 / 12 (9 - 30 / 56) = 11.2857, z = 5 / 3.35942 = 1.48835.
    MannWhitney test = MannWhitneyU({1.0, 2.0, 2.0, 3.0}, {2.0, 3.0, 4.0, 5.0});
    EXPECT_FALSE(test.Exact);
    EXPECT_DOUBLE_EQ(test.U, 2.5);
    EXPECT_NEAR(test.PValue, 0.136658248, 1e-9);

    test = MannWhitneyU({1.0, 2.0, 3.0}, {1.0, 2.0, 3.0});
    EXPECT_DOUBLE_EQ(test.U, 4.5);
    EXPECT_DOUBLE_EQ(test.PValue, 1.0);
    EXPECT_DOUBLE_EQ(MannWhitneyU({5.0, 5.0, 5.0}, {5.0, 5.0, 5.0, 5.0}).PValue, 1.0);  // no variance at all
    EXPECT_DOUBLE_EQ(MannWhitneyU({}, {1.0, 2.0}).PValue, 1.0);
}

TEST(RunStatisticsTest, HodgesLehmannExact) {
    // Differences 1 2 3 3 4 5 6 7 8, estimate 4. 3 + 3 runs cannot reach
    // 95 %: the widest interval, at 1 - 2 / 20.
    ShiftEstimate shift = HodgesLehmann({1.0, 2.0, 3.0}, {4.0, 6.0, 9.0});
    ASSERT_TRUE(shift.Estimate && shift.Interval);
    EXPECT_DOUBLE_EQ(*shift.Estimate, 4.0);
    EXPECT_DOUBLE_EQ(shift.Interval->Low, 1.0);
    EXPECT_DOUBLE_EQ(shift.Interval->High, 8.0);
    EXPECT_NEAR(shift.Interval->Level, 0.9, 1e-12);
    // 5 + 5: U <= 2 in 4 of 252 splits, U <= 3 in 7 (over 2.5 %): the 3rd
    // smallest and largest of -2.5 -1.5 [-0.5] -0.5 ... 7.5 [7.5] 8.5 9.5.
    shift = HodgesLehmann({1.0, 2.0, 3.0, 4.0, 5.0}, {2.5, 4.5, 6.5, 8.5, 10.5});
    ASSERT_TRUE(shift.Estimate && shift.Interval);
    EXPECT_DOUBLE_EQ(*shift.Estimate, 3.5);
    EXPECT_DOUBLE_EQ(shift.Interval->Low, -0.5);
    EXPECT_DOUBLE_EQ(shift.Interval->High, 7.5);
    EXPECT_NEAR(shift.Interval->Level, 1.0 - 8.0 / 252.0, 1e-12);

    shift = HodgesLehmann({5.0}, {6.0, 7.0, 8.0});
    EXPECT_EQ(shift.Estimate, 2.0);
    EXPECT_FALSE(shift.Interval);
    EXPECT_FALSE(HodgesLehmann({}, {6.0}).Estimate);
}

TEST(RunStatisticsTest, HodgesLehmannApproximated) {
    // 0..24 against 10.5..34.5: differences 10.5 + t, t = -24..24 occurring
    // 25 - |t| times. s = sqrt(625 * 51 / 12) = 51.5388, k = floor(312.5 -
    // 1.95996 s + 0.5) = 211; 1 + ... + 20 = 210 differences lie below t = -4.
    std::vector<double> first;
    std::vector<double> second;
    for (int i = 0; i < 25; ++i) {
        first.push_back(i);
        second.push_back(i + 10.5);
    }
    const ShiftEstimate shift = HodgesLehmann(first, second);
    ASSERT_TRUE(shift.Estimate && shift.Interval);
    EXPECT_DOUBLE_EQ(*shift.Estimate, 10.5);
    EXPECT_DOUBLE_EQ(shift.Interval->Low, 6.5);
    EXPECT_DOUBLE_EQ(shift.Interval->High, 14.5);
    EXPECT_NEAR(shift.Interval->Level, 0.952194205, 1e-9);  // 1 - 2 Phi((210.5 - 312.5) / s)
    // U = 105 (pairs with i - j >= 11), z = 207 / s.
    EXPECT_NEAR(MannWhitneyU(first, second).PValue, 5.90964e-5, 0.00001e-5);

    // All values tied: every difference is 0, and so is the interval.
    const ShiftEstimate tied = HodgesLehmann({5.0, 5.0}, {5.0, 5.0, 5.0});
    ASSERT_TRUE(tied.Interval);
    EXPECT_DOUBLE_EQ(tied.Interval->Low, 0.0);
    EXPECT_DOUBLE_EQ(tied.Interval->High, 0.0);
}

TEST(RunStatisticsTest, NanValuesDoNotBreakTheSorts) {
    const double nan = std::nan("");
    std::vector<double> values;
    for (int i = 0; i < 40; ++i) values.push_back(i % 3 == 0 ? nan : i);
    Median(values);
    MedianAbsoluteDeviation(values);
    EXPECT_GE(MannWhitneyU(values, {1.0, 2.0, nan}).PValue, 0.0);
    HodgesLehmann(values, values);
}

FlatEntry Proc(const std::string& name, double own, int calls = 1) {
    FlatEntry entry;
    entry.Name = name;
    entry.Calls = calls;
    entry.Own = own;
    entry.Total = own;
    return entry;
}

FlatProfile Profile(std::vector<FlatEntry> entries, double topLevel = 0.0, int callCount = 0) {
    FlatProfile run;
    run.Entries = std::move(entries);
    run.TopLevelTotal = topLevel;
    run.CallCount = callCount;
    return run;
}

// Runs with one procedure `name` of these own times.
std::vector<FlatProfile> Runs(const std::string& name, const std::vector<double>& owns) {
    std::vector<FlatProfile> runs;
    for (const double own : owns) runs.push_back(Profile({Proc(name, own)}, own));
    return runs;
}

const RunsDiffEntry& Entry(const RunsDiff& diff, const std::string& name) {
    for (const RunsDiffEntry& entry : diff.Entries) {
        if (entry.Name == name) return entry;
    }
    ADD_FAILURE() << "no entry " << name;
    static const RunsDiffEntry none;
    return none;
}

TEST(RunsDiffTest, AProcedureMissingFromARunCountsZeroThere) {
    const std::vector<FlatProfile> after = {Profile({Proc("A", 20.0, 2), Proc("B", 4.0)}), Profile({Proc("B", 5.0)}),
                                            Profile({Proc("A", 22.0, 4)})};
    const RunsDiff diff = DiffRuns(Runs("A", {10.0, 11.0, 12.0}), after);
    ASSERT_EQ(diff.Entries.size(), 2u);
    const RunsDiffEntry& a = Entry(diff, "A");
    EXPECT_EQ(a.Old.Runs, 3);
    EXPECT_EQ(a.New.Runs, 2);
    // New own times 20, 0, 22: median 20, deviations 0 20 2.
    EXPECT_DOUBLE_EQ(a.New.MedianOwn, 20.0);
    EXPECT_DOUBLE_EQ(a.New.OwnSpread, 2.0);
    EXPECT_DOUBLE_EQ(a.New.MedianCalls, 2.0);
    EXPECT_DOUBLE_EQ(a.OwnChange, 9.0);
    EXPECT_NEAR(a.OwnChangePercent.value_or(0.0), 9.0 / 11.0 * 100.0, 1e-9);
    EXPECT_NEAR(a.PValue, 0.7, 1e-12);  // 10 11 12 against 0 20 22: U = 3, p = 2 * 7 / 20

    // Only in the new runs: 4, 5, 0, and no old base for a percentage.
    const RunsDiffEntry& b = Entry(diff, "B");
    EXPECT_EQ(b.Old.Runs, 0);
    EXPECT_DOUBLE_EQ(b.New.MedianOwn, 4.0);
    EXPECT_FALSE(b.OwnChangePercent);

    // A name listed twice in a run adds up.
    const RunsDiff twice = DiffRuns({Profile({Proc("A", 3.0, 1), Proc("A", 4.0, 2)})}, {});
    EXPECT_EQ(twice.Entries[0].Old.Runs, 1);
    EXPECT_DOUBLE_EQ(twice.Entries[0].Old.MedianOwn, 7.0);
    EXPECT_DOUBLE_EQ(twice.Entries[0].Old.MedianCalls, 3.0);
}

TEST(RunsDiffTest, AProcedureGoneFromMostRunsIsFasterNotSlower) {
    // In one of eight new runs, with a long time: the median and the verdict
    // both follow the seven runs it no longer runs in.
    std::vector<FlatProfile> after = Runs("Other", {1, 1, 1, 1, 1, 1, 1});
    after.push_back(Profile({Proc("P", 100.0)}));
    const RunsDiff diff = DiffRuns(Runs("P", {10, 11, 12, 13, 14, 15, 16, 17}), after);
    const RunsDiffEntry& p = Entry(diff, "P");
    EXPECT_EQ(p.New.Runs, 1);
    EXPECT_DOUBLE_EQ(p.OwnChange, -13.5);
    EXPECT_LT(p.PValue, kSignificance);
    EXPECT_EQ(p.Verdict, ChangeVerdict::Faster);
}

TEST(RunsDiffTest, VerdictAndIntervalNeedEnoughRuns) {
    // 2 runs against 8, separated: p = 2 / 45 is below 5 %, but 2 runs are too few.
    RunsDiff diff = DiffRuns(Runs("A", {1.0, 2.0}), Runs("A", {3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_NEAR(diff.Entries[0].PValue, 2.0 / 45.0, 1e-12);
    EXPECT_EQ(diff.Entries[0].Verdict, ChangeVerdict::Same);
    EXPECT_TRUE(diff.Entries[0].OwnInterval);

    diff = DiffRuns(Runs("A", {1.0}), Runs("A", {30.0, 40.0, 50.0}));
    EXPECT_FALSE(diff.Entries[0].OwnInterval);

    diff = DiffRuns(Runs("A", {1.0, 2.0, 3.0, 4.0, 5.0}), {});
    EXPECT_DOUBLE_EQ(diff.Entries[0].PValue, 1.0);
    EXPECT_EQ(diff.Entries[0].Verdict, ChangeVerdict::Same);
    EXPECT_DOUBLE_EQ(diff.TopLevel.PValue, 1.0);
    EXPECT_TRUE(NeedsMoreRuns(diff));
    EXPECT_FALSE(NeedsMoreRuns(DiffRuns(Runs("A", {1, 2, 3, 4, 5}), Runs("A", {1, 2, 3, 4, 5}))));
}

TEST(RunsDiffTest, SignificantChangesFirstThenBySizeThenByName) {
    std::vector<FlatProfile> before(4);
    std::vector<FlatProfile> after(4);
    auto add = [](std::vector<FlatProfile>& runs, const std::string& name, const std::vector<double>& owns) {
        for (std::size_t run = 0; run < runs.size(); ++run) runs[run].Entries.push_back(Proc(name, owns[run]));
    };
    add(before, "Beta", {1, 1, 1, 1});
    add(after, "Beta", {1, 1, 1, 1});
    add(before, "alpha", {1, 1, 1, 1});
    add(after, "alpha", {1, 1, 1, 1});
    add(before, "Noisy", {5, 50, 10, 40});  // median 25 -> 36, U = 6 of 16
    add(after, "Noisy", {2, 70, 12, 60});
    add(before, "Tiny", {10.0, 10.1, 10.2, 10.3});  // +0.5, separated: p = 2 / 70
    add(after, "Tiny", {10.5, 10.6, 10.7, 10.8});
    add(before, "Quicker", {20, 21, 22, 23});  // -2.75, separated
    add(after, "Quicker", {18, 18.5, 19, 19.5});

    const RunsDiff diff = DiffRuns(before, after);
    std::vector<std::string> names;
    for (const RunsDiffEntry& entry : diff.Entries) names.push_back(entry.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Quicker", "Tiny", "Noisy", "alpha", "Beta"}));
    EXPECT_EQ(Entry(diff, "Quicker").Verdict, ChangeVerdict::Faster);
    EXPECT_EQ(Entry(diff, "Tiny").Verdict, ChangeVerdict::Slower);
    EXPECT_NEAR(Entry(diff, "Tiny").PValue, 2.0 / 70.0, 1e-12);
    EXPECT_EQ(Entry(diff, "Noisy").Verdict, ChangeVerdict::Same);
}

TEST(RunsDiffTest, TopLevelIsComparedOverTheRunsTotals) {
    const RunsDiff diff = DiffRuns({Profile({}, 100.0, 7), Profile({}, 120.0, 9), Profile({}, 110.0, 8)},
                                   {Profile({}, 90.0, 7), Profile({}, 80.0, 7), Profile({}, 85.0, 7)});
    EXPECT_EQ(diff.TopLevel.Name, "(top level)");
    EXPECT_EQ(diff.TopLevel.Old.Runs, 3);
    EXPECT_DOUBLE_EQ(diff.TopLevel.Old.MedianTotal, 110.0);
    EXPECT_DOUBLE_EQ(diff.TopLevel.Old.MedianCalls, 8.0);
    EXPECT_DOUBLE_EQ(diff.TopLevel.OwnChange, -25.0);
    EXPECT_NEAR(diff.TopLevel.PValue, 0.1, 1e-12);
}

// Standard normal numbers by Box-Muller over mt19937's outputs, which the
// standard fixes; std::normal_distribution differs between libraries.
double NextNormal(std::mt19937& engine) {
    auto uniform = [&] { return (static_cast<double>(engine()) + 0.5) / 4294967296.0; };  // in (0, 1)
    const double u1 = uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
}

TEST(RunsDiffTest, ATenPercentSlowdownStandsOutOfTheNoise) {
    // Eight runs a side: "Slow" 10 % slower with 3 % noise, "Steady"
    // unchanged with 10 % noise.
    std::mt19937 engine(20240611);
    auto runs = [&](double slowMs) {
        std::vector<FlatProfile> side;
        for (int run = 0; run < 8; ++run) {
            const double slow = slowMs * (1.0 + 0.03 * NextNormal(engine));
            const double steady = 50.0 * (1.0 + 0.10 * NextNormal(engine));
            side.push_back(Profile({Proc("Steady", steady, 5), Proc("Slow", slow, 2)}, slow + steady, 7));
        }
        return side;
    };
    const std::vector<FlatProfile> before = runs(100.0);
    const RunsDiff diff = DiffRuns(before, runs(110.0));
    ASSERT_EQ(diff.Entries.size(), 2u);
    EXPECT_EQ(diff.Entries[0].Name, "Slow");

    const RunsDiffEntry& slow = diff.Entries[0];
    EXPECT_EQ(slow.Verdict, ChangeVerdict::Slower);
    EXPECT_LT(slow.PValue, kSignificance);
    EXPECT_NEAR(slow.OwnChangePercent.value_or(0.0), 10.0, 4.0);
    ASSERT_TRUE(slow.OwnInterval);
    EXPECT_GT(slow.OwnInterval->Low, 0.0);
    EXPECT_GE(slow.OwnInterval->Level, 0.95);

    const RunsDiffEntry& steady = diff.Entries[1];
    EXPECT_EQ(steady.Verdict, ChangeVerdict::Same);
    ASSERT_TRUE(steady.OwnInterval);
    EXPECT_LT(steady.OwnInterval->Low, 0.0);
    EXPECT_GT(steady.OwnInterval->High, 0.0);
}

}  // namespace
}  // namespace kivra
