#include "ProcedureTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DiffRows.h"
#include "LoadedTrace.h"
#include "NumberFormat.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

std::vector<std::string> Names(const ProcedureTable& table) {
    std::vector<std::string> names;
    for (std::size_t row = 0; row < table.RowCount(); ++row) names.push_back(table.EntryAt(row).Name);
    return names;
}

// Own times: beta 9, Alpha 20 (2 calls), gamma 1, alpha 0.5; calls 1, 2, 1, 1.
ProcedureTable Table() {
    const TraceLoad load = LoadRecords({Rec("beta", 2, 2, 1, 10), Rec("Alpha", 1, 1, 0, 10), Rec("gamma", 3, 1, 10, 11),
                                        Rec("Alpha", 4, 1, 11, 22), Rec("alpha", 5, 1, 22, 22.5)});
    return ProcedureTable(ComputeFlatProfile(ProfileOf(load)));
}

TEST(ProcedureTableTest, SortsEitherWayByNumbersOrNamesIgnoringCase) {
    ProcedureTable table = Table();
    // Shown at first by own time, largest first.
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Alpha", "beta", "gamma", "alpha"}));
    table.Sort(ProcedureColumn::Own, false);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "gamma", "beta", "Alpha"}));
    // Equal call counts keep the names' order, whichever way.
    table.Sort(ProcedureColumn::Calls, true);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Alpha", "alpha", "beta", "gamma"}));
    table.Sort(ProcedureColumn::Calls, false);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "beta", "gamma", "Alpha"}));
    // Names: letter case ignored, names equal but for case in byte order.
    table.Sort(ProcedureColumn::Name, false);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Alpha", "alpha", "beta", "gamma"}));
    table.Sort(ProcedureColumn::Name, true);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"gamma", "beta", "alpha", "Alpha"}));
    // 21 before 9: numbers, not texts.
    table.Sort(ProcedureColumn::Total, true);
    EXPECT_EQ(table.EntryAt(0).Name, "Alpha");
    EXPECT_EQ(table.CellText(0, ProcedureColumn::Total, NumberFormat("0.0", {".", ","}), NumberFormat("0.0")), "21.0");
}

TEST(ProcedureTableTest, NarrowingKeepsTheOrderAndFindsRows) {
    ProcedureTable table = Table();
    FindQuery query;
    query.text = "ALPHA";
    const auto matcher = RowMatcher::Make(query);
    table.Narrow(&*matcher);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Alpha", "alpha"}));
    table.Sort(ProcedureColumn::Own, false);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"alpha", "Alpha"}));
    const std::size_t beta = 1;  // procedures are numbered by first call: Alpha, beta, gamma, alpha
    EXPECT_EQ(table.Procedure(beta).Name, "beta");
    EXPECT_FALSE(table.RowOf(beta).has_value());
    EXPECT_EQ(table.RowOf(3), 0u);
    EXPECT_EQ(table.ProcedureAt(1), 0u);
    table.Narrow(nullptr);
    EXPECT_EQ(table.RowCount(), 4u);
    EXPECT_EQ(table.RowOf(beta), 2u);

    // An empty trace: no rows, nothing to find.
    ProcedureTable empty;
    empty.Sort(ProcedureColumn::Name, true);
    empty.Narrow(&*matcher);
    EXPECT_EQ(empty.RowCount(), 0u);
    EXPECT_FALSE(empty.RowOf(0).has_value());
}

// The compared runs' change carries its sign whatever the user's format
// does with negative numbers, and no sign when it shows no digit.
TEST(DiffRowsTest, ChangesCarryTheirSignInAnyFormat) {
    const NumberLocale dot{".", ","};
    for (const char* pattern : {"0.000", "0.000;0.000", "0.000;(0.000)"}) {
        const NumberFormat format(pattern, dot);
        EXPECT_EQ(SignedChange(format, -1.25), "-1.250") << pattern;
        EXPECT_EQ(SignedChange(format, 1.25), "+1.250") << pattern;
        EXPECT_EQ(SignedChange(format, -0.0001), "0.000") << pattern;
        EXPECT_EQ(SignedChange(format, 0.0), "0.000") << pattern;
        EXPECT_EQ(SignedChange(format, 0.0004), "0.000") << pattern;
    }
    const NumberFormat plain("0.000", dot);
    EXPECT_EQ(SignedChange(plain, -std::numeric_limits<double>::infinity()).front(), '-');
    EXPECT_EQ(SignedChange(plain, std::numeric_limits<double>::infinity()).front(), '+');
    EXPECT_EQ(SignedChange(plain, std::nan("")), plain.Format(std::nanf("")));  // no sign, and no "no change"
}

}  // namespace
}  // namespace kivra
