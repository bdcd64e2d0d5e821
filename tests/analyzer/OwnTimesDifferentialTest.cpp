// The fast own-time pass against a line-by-line transcription of the upward
// scan it replaces, on generated traces and on arbitrary level sequences.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "OwnTimes.h"
#include "PadReader.h"
#include "PadTextBuilder.h"
#include "TraceGenerator.h"
#include "TraceLoad.h"

namespace kivra {
namespace {

// A Time cell as the scan sees it: a formatted text or a plain number.
struct Cell {
    std::string text;
    std::optional<float> number;
};

std::optional<float> ReadBack(const Cell& cell, const NumberFormat& format) {
    if (cell.number) return cell.number;
    return format.Read(cell.text);
}

// For each row k, scan upward row by row until the parent (one level up) is
// met; subtract there; rewrite the row just above as a plain number when it
// is one level deeper. Texts that do not read back leave the cell as it is.
std::vector<Cell> ScanOwnTimes(const std::vector<TraceRow>& rows, const NumberFormat& format) {
    const std::size_t m = rows.size();
    std::vector<Cell> time(m + 1);  // 1-based, as the rows are numbered
    if (m == 0) return {};
    time[1] = Cell{rows[0].TotalText.str(), std::nullopt};
    for (std::size_t k = 2; k <= m; ++k) {
        time[k] = Cell{rows[k - 1].TotalText.str(), std::nullopt};
        for (std::size_t j = 1; j <= k - 1; ++j) {
            const std::optional<float> a = ReadBack(time[k], format);
            const std::optional<float> b = ReadBack(time[k - j], format);
            const int d = rows[k - j - 1].Level - rows[k - 1].Level;
            if (d == -1) {
                if (a && b) time[k - j] = Cell{format.Format(*b - *a), std::nullopt};
                break;
            }
            if (d == 1 && j == 1) {
                if (b) time[k - j] = Cell{{}, *b};
            }
        }
    }
    time.erase(time.begin());
    return time;
}

void ExpectSameTimes(const std::vector<TraceRow>& rows, const NumberFormat& format, const std::string& what) {
    std::vector<TraceRow> fast = rows;
    ComputeOwnTimes(fast, format);
    const std::vector<Cell> slow = ScanOwnTimes(rows, format);
    ASSERT_EQ(fast.size(), slow.size());
    for (std::size_t i = 0; i < fast.size(); ++i) {
        const std::string expected = slow[i].number ? format.Plain(*slow[i].number) : slow[i].text;
        ASSERT_EQ(fast[i].Time, expected) << what << ", row " << i + 1;
        ASSERT_EQ(fast[i].TimeIsNumber, slow[i].number.has_value()) << what << ", row " << i + 1;
    }
}

const char* const kPatterns[] = {"0.000", "0.00", "", "#.#", "#,##0.0;(#,##0.0);\"-\"", "0", "0.0 ms"};

TEST(OwnTimesDifferentialTest, GeneratedTracesGiveTheSameTimesAsTheScan) {
    int traces = 0;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        bench::TraceShape shape;
        shape.seed = seed;
        shape.calls = 1 + (seed * 37) % 400;
        shape.maxDepth = 1 + static_cast<int>(seed % 9);
        shape.returnChance = 0.2 + 0.05 * static_cast<double>(seed % 10);
        std::vector<bench::GeneratedCall> calls = bench::GenerateCalls(shape);
        if (seed % 5 == 0 && calls.size() > 3) {
            // Disturb the order numbers: a gap and a repeat.
            calls[1].order += 1;
            calls[2].order = calls[3].order;
        }
        const NumberFormat format(kPatterns[seed % std::size(kPatterns)], test::DotLocale());
        TraceLoad load;
        PadReadResult read = ParsePadText(bench::PadText(calls), "gen.pad", ", ", test::DotLocale());
        ASSERT_FALSE(read.error) << read.error->Message();
        load.trace = std::move(read.trace);
        BuildAndTime(load, format);
        // The pass itself, on the time format's texts (a load runs it on finer ones).
        ComputeOwnTimes(load.tree.Rows, format);
        ExpectSameTimes(load.tree.Rows, format, "seed " + std::to_string(seed));
        ++traces;
    }
    EXPECT_EQ(traces, 300);
}

TEST(OwnTimesDifferentialTest, ArbitraryLevelSequencesGiveTheSameTimesAsTheScan) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 5);
    std::uniform_int_distribution<int> hundredths(-500, 5000);
    for (int trial = 0; trial < 200; ++trial) {
        const NumberFormat format(kPatterns[trial % std::size(kPatterns)], test::DotLocale());
        std::vector<TraceRow> rows(static_cast<std::size_t>(1 + trial % 60));
        for (TraceRow& row : rows) {
            row.Level = level(random);
            row.TotalText = format.Format(static_cast<float>(hundredths(random)) / 100.0f);
        }
        ExpectSameTimes(rows, format, "trial " + std::to_string(trial));
    }
}

}  // namespace
}  // namespace kivra
