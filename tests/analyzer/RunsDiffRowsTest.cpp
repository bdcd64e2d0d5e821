#include "RunsDiffRows.h"

#include <gtest/gtest.h>

namespace kivra {
namespace {

TEST(RunsDiffRows, CellsSayTheMediansTheIntervalAndTheVerdict) {
    const NumberFormat time("0.000");
    const NumberFormat percent("0.0");
    RunsDiffEntry entry;
    entry.Name = "Slow";
    entry.Old = {8, 100.0, 2.25, 120.0, 3.0, 1.0};
    entry.New = {8, 110.5, 1.5, 131.0, 2.0, 1.0};
    entry.OwnChange = 10.5;
    entry.OwnChangePercent = 10.5;
    entry.OwnInterval = ShiftInterval{7.25, 14.0, 0.95};
    entry.PValue = 0.00016;
    entry.Verdict = ChangeVerdict::Slower;
    auto cell = [&](RunsColumn column) { return RunsCellText(entry, column, time, percent); };
    EXPECT_EQ(cell(RunsColumn::OldOwn), "100.000 \xC2\xB1 2.250");
    EXPECT_EQ(cell(RunsColumn::NewTotal), "131.000 \xC2\xB1 2.000");
    EXPECT_EQ(cell(RunsColumn::Change), "+10.500");
    EXPECT_EQ(cell(RunsColumn::ChangePercent), "+10.5");
    EXPECT_EQ(cell(RunsColumn::Interval), "[+7.250, +14.000]");
    EXPECT_EQ(cell(RunsColumn::PValue), "<0.001");
    EXPECT_EQ(cell(RunsColumn::Verdict), "slower");
    EXPECT_EQ(RunsValue(entry, RunsColumn::Verdict), 1.0);

    // Few runs: the level the interval reaches is said; none below two runs.
    entry.OwnInterval = ShiftInterval{-1.0, 2.5, 0.9};
    entry.PValue = 0.1;
    entry.Verdict = ChangeVerdict::Same;
    EXPECT_EQ(cell(RunsColumn::Interval), "[-1.000, +2.500] 90%");
    EXPECT_EQ(cell(RunsColumn::PValue), "0.100");
    EXPECT_EQ(cell(RunsColumn::Verdict), "~");
    entry.OwnInterval.reset();
    EXPECT_EQ(cell(RunsColumn::Interval), "-");

    // A procedure of one side only.
    entry.Old.Runs = 0;
    EXPECT_EQ(cell(RunsColumn::ChangePercent), "added");
    entry.Old.Runs = 3;
    entry.New.Runs = 0;
    EXPECT_EQ(cell(RunsColumn::ChangePercent), "removed");
}

TEST(RunsDiffRows, TheSummaryAndTheNoteCountTheRuns) {
    const NumberFormat time("0.000");
    RunsDiff diff;
    diff.OldRuns = 1;
    diff.NewRuns = 4;
    diff.TopLevel.Old = {1, 30.0, 0.0, 30.0, 0.0, 3.0};
    diff.TopLevel.New = {4, 33.0, 1.0, 33.0, 1.0, 3.0};
    diff.TopLevel.OwnChange = 3.0;
    diff.TopLevel.OwnChangePercent = 10.0;
    diff.TopLevel.PValue = 0.4;
    EXPECT_EQ(RunsSummaryText(diff, time, NumberFormat("0.0")),
              "Top-level total: baseline 30.000 \xC2\xB1 0.000 ms (1 run), current 33.000 \xC2\xB1 1.000 ms (4 runs), "
              "change +3.000 ms (+10.0%), p 0.400: ~");
    EXPECT_EQ(RunsNoteText(diff),
              "Note: 1 against 4 runs: the verdicts need at least 5 runs on each side, 10 or more to tell small "
              "changes.");
    diff.OldRuns = diff.NewRuns = 5;
    EXPECT_EQ(RunsNoteText(diff), "");
}

}  // namespace
}  // namespace kivra
