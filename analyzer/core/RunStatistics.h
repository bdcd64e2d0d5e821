// Statistics over the times of repeated runs: the median and its spread, the
// two-sided Mann-Whitney U test of whether two sets of runs differ, and the
// Hodges-Lehmann estimate of the shift between them with its confidence
// interval. Runs are few (a handful to a few hundred), so the functions copy
// and sort freely.
//
// How each is worked out:
// - Spread: the median absolute deviation, unscaled: the median of
//   |x - median(x)|. It is in the units of the times and a single wild run
//   does not move it.
// - U test: U of the first sample counts the pairs in which its value is the
//   larger, a tie counting one half. The p-value is exact when neither sample
//   has more than kExactRunLimit values and no value occurs twice in the two
//   together: the null distribution of U is counted exactly and
//   p = min(1, 2 min(P(U <= u), P(U >= u))). Otherwise it is the normal
//   approximation with the variance corrected for ties and a continuity
//   correction of one half towards the mean. Equal samples give p = 1, and so
//   does an empty sample, for which there is nothing to test.
// - Shift: the Hodges-Lehmann estimate of second - first is the median of all
//   pairwise differences second[j] - first[i]. The interval runs from the
//   k-th smallest to the k-th largest of those differences, k the largest
//   for which P(U <= k - 1) <= 2.5 %, with P from the same distribution the
//   test uses (exact or normal). Samples too small for 95 % get the widest
//   interval there is, from the smallest to the largest difference, and say
//   the level they reach (3 against 3 runs: 90 %).
//
// NaN values sort after every number, so that they cannot upset a sort; the
// results over them mean nothing.
#pragma once

#include <optional>
#include <vector>

namespace kivra {

// Up to this many values per sample the U test and the interval count the
// null distribution exactly (when nothing ties); above it they use the
// normal approximation.
inline constexpr int kExactRunLimit = 20;

// The level of the shift's confidence interval.
inline constexpr double kIntervalLevel = 0.95;

// The middle value; the mean of the two middle values of an even count; 0
// for no values.
double Median(std::vector<double> values);

// The median of |x - median|, unscaled; 0 for no values.
double MedianAbsoluteDeviation(const std::vector<double>& values);

struct MannWhitney {
    double U = 0.0;       // of the first sample: the pairs in which its value is larger, ties counting 1/2
    double PValue = 1.0;  // two-sided
    bool Exact = false;   // from the exact null distribution rather than the normal approximation
};

MannWhitney MannWhitneyU(const std::vector<double>& first, const std::vector<double>& second);

struct ShiftInterval {
    double Low = 0.0;
    double High = 0.0;
    double Level = 0.0;  // the level the interval reaches: kIntervalLevel or more where the sample sizes allow it
};

struct ShiftEstimate {
    std::optional<double> Estimate;         // second - first; none when a sample is empty
    std::optional<ShiftInterval> Interval;  // none when a sample has fewer than 2 values
};

ShiftEstimate HodgesLehmann(const std::vector<double>& first, const std::vector<double>& second);

}  // namespace kivra
