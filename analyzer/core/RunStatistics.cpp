#include "RunStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>

namespace kivra {

namespace {

// Orders numbers with NaN after all of them, a strict weak order even over
// NaN, which plain < is not.
bool NumberLess(double a, double b) {
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a < b;
}

// The k-th smallest value (from 0); reorders the values.
double OrderStatistic(std::vector<double>& values, std::size_t k) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end(), NumberLess);
    return values[k];
}

double MedianInPlace(std::vector<double>& values) {
    if (values.empty()) return 0.0;
    const std::size_t half = values.size() / 2;
    const double upper = OrderStatistic(values, half);
    if (values.size() % 2 == 1) return upper;
    // Everything before the upper middle value is now no larger than it; the
    // lower middle value is the largest of those.
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), NumberLess);
    return std::midpoint(lower, upper);
}

double NormalBelow(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

// The two samples ranked together.
struct Ranking {
    double RankSumFirst = 0.0;  // the first sample's ranks, ties sharing the mean of their ranks
    double TieTerm = 0.0;       // sum of t^3 - t over the groups of t equal values
    bool Ties = false;
};

Ranking RankTogether(const std::vector<double>& first, const std::vector<double>& second) {
    std::vector<std::pair<double, bool>> all;  // value, from the first sample
    all.reserve(first.size() + second.size());
    for (const double x : first) all.emplace_back(x, true);
    for (const double y : second) all.emplace_back(y, false);
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return NumberLess(a.first, b.first); });

    Ranking ranking;
    std::size_t i = 0;
    while (i < all.size()) {
        std::size_t j = i + 1;
        while (j < all.size() && all[j].first == all[i].first) ++j;
        const double rank = (static_cast<double>(i + 1) + static_cast<double>(j)) / 2.0;
        for (std::size_t k = i; k < j; ++k) {
            if (all[k].second) ranking.RankSumFirst += rank;
        }
        const auto t = static_cast<double>(j - i);
        if (j - i > 1) {
            ranking.Ties = true;
            ranking.TieTerm += t * t * t - t;
        }
        i = j;
    }
    return ranking;
}

// How many of the C(m + n, m) orders of m first and n second values give
// U = 0, 1, ..., m n. These are the coefficients of the Gaussian binomial
// coefficient [m + n choose m] in q, the product over i = 1..m of
// (1 - q^(n + i)) / (1 - q^i), built one factor at a time. After step i the
// coefficients are those of [n + i choose i]: whole numbers that stay below
// 2^53 for sizes up to kExactRunLimit, so doubles hold them exactly.
std::vector<double> UCounts(int m, int n) {
    const auto size = static_cast<std::size_t>(m * n + m + 1);  // room for the product before each division
    std::vector<double> counts(size, 0.0);
    counts[0] = 1.0;
    std::size_t degree = 0;
    for (int i = 1; i <= m; ++i) {
        const auto up = static_cast<std::size_t>(n + i);
        const auto down = static_cast<std::size_t>(i);
        // Times (1 - q^up), from the top so that each step reads an unchanged coefficient.
        for (std::size_t k = degree + up; k >= up; --k) counts[k] -= counts[k - up];
        // Divided by (1 - q^down): b[k] = a[k] + b[k - down], from the bottom.
        for (std::size_t k = down; k <= degree + up; ++k) counts[k] += counts[k - down];
        degree = static_cast<std::size_t>(i * n);
    }
    counts.resize(static_cast<std::size_t>(m * n + 1));
    return counts;
}

// The null distribution of U for samples of m and n values: exact, or the
// normal approximation with tie and continuity correction.
class NullDistribution {
public:
    NullDistribution(int m, int n, const Ranking& ranking) : mean_(m * static_cast<double>(n) / 2.0) {
        exact_ = m <= kExactRunLimit && n <= kExactRunLimit && !ranking.Ties;
        if (exact_) {
            const std::vector<double> counts = UCounts(m, n);
            cumulative_.resize(counts.size());
            std::partial_sum(counts.begin(), counts.end(), cumulative_.begin());
            const double all = cumulative_.back();
            for (double& c : cumulative_) c /= all;
            return;
        }
        const double total = static_cast<double>(m) + n;
        const double variance =
            m * static_cast<double>(n) / 12.0 * ((total + 1.0) - ranking.TieTerm / (total * (total - 1.0)));
        sd_ = variance > 0.0 ? std::sqrt(variance) : 0.0;
    }

    bool Exact() const { return exact_; }

    // P(U <= u).
    double Below(double u) const {
        if (exact_) {
            if (u < 0.0) return 0.0;
            const auto k = static_cast<std::size_t>(std::floor(u));
            return k >= cumulative_.size() ? 1.0 : cumulative_[k];
        }
        const double x = u + 0.5 - mean_;
        // With every value tied U cannot vary: a step at the mean.
        if (sd_ == 0.0) return x > 0.0 ? 1.0 : (x < 0.0 ? 0.0 : 0.5);
        return NormalBelow(x / sd_);
    }

private:
    double mean_ = 0.0;
    bool exact_ = false;
    std::vector<double> cumulative_;  // P(U <= k), exact only
    double sd_ = 0.0;                 // of U, approximation only
};

}  // namespace

double Median(std::vector<double> values) { return MedianInPlace(values); }

double MedianAbsoluteDeviation(const std::vector<double>& values) {
    if (values.empty()) return 0.0;
    std::vector<double> deviations = values;
    const double median = MedianInPlace(deviations);
    for (std::size_t i = 0; i < values.size(); ++i) deviations[i] = std::fabs(values[i] - median);
    return MedianInPlace(deviations);
}

MannWhitney MannWhitneyU(const std::vector<double>& first, const std::vector<double>& second) {
    MannWhitney result;
    if (first.empty() || second.empty()) return result;
    const auto m = static_cast<int>(first.size());
    const auto n = static_cast<int>(second.size());
    const Ranking ranking = RankTogether(first, second);
    result.U = ranking.RankSumFirst - m * (m + 1.0) / 2.0;
    const double other = m * static_cast<double>(n) - result.U;

    const NullDistribution null(m, n, ranking);
    result.Exact = null.Exact();
    // Two-sided: twice the smaller tail. P(U >= u) = P(U <= m n - u) by
    // symmetry, which keeps a tiny tail exact instead of taking it from 1.
    result.PValue = std::min(1.0, 2.0 * std::min(null.Below(result.U), null.Below(other)));
    return result;
}

ShiftEstimate HodgesLehmann(const std::vector<double>& first, const std::vector<double>& second) {
    ShiftEstimate shift;
    if (first.empty() || second.empty()) return shift;
    std::vector<double> differences;
    differences.reserve(first.size() * second.size());
    for (const double y : second) {
        for (const double x : first) differences.push_back(y - x);
    }
    shift.Estimate = MedianInPlace(differences);
    if (first.size() < 2 || second.size() < 2) return shift;

    const auto m = static_cast<int>(first.size());
    const auto n = static_cast<int>(second.size());
    const NullDistribution null(m, n, RankTogether(first, second));
    // The interval [d(k), d(mn + 1 - k)] of the sorted differences misses the
    // true shift on each side with probability P(U <= k - 1). Take the
    // largest k whose miss stays within the tail; at least 1, the widest
    // interval, and never past the middle.
    const double tail = (1.0 - kIntervalLevel) / 2.0;
    const std::size_t pairs = differences.size();
    std::size_t k = 1;
    std::size_t high = (pairs + 1) / 2;
    while (k < high) {  // the largest k in [1, high] with Below(k - 1) <= tail, or 1
        const std::size_t mid = k + (high - k + 1) / 2;
        if (null.Below(static_cast<double>(mid - 1)) <= tail) {
            k = mid;
        } else {
            high = mid - 1;
        }
    }
    ShiftInterval interval;
    interval.Low = OrderStatistic(differences, k - 1);
    interval.High = OrderStatistic(differences, pairs - k);
    interval.Level = 1.0 - 2.0 * null.Below(static_cast<double>(k - 1));
    shift.Interval = interval;
    return shift;
}

}  // namespace kivra
