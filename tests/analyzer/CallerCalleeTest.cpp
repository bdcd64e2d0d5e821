#include "CallerCallee.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "FlatProfile.h"
#include "LoadedTrace.h"
#include "TraceGenerator.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

// Main 0..100 calls A 10..60, which calls itself (A 20..40) and then B
// 45..55; the inner A calls B 25..35, which calls A 27..30 again. Main then
// calls B 70..80. At the top level C 110..120 calls A 112..118.
// Own times: Main 40; A 20, 10, 3, 6; B 7, 10, 10; C 4.
const std::vector<std::string> kRun = {Rec("Main", 1, 1, 0, 100), Rec("A", 2, 2, 10, 60),   Rec("A", 3, 3, 20, 40),
                                       Rec("B", 4, 4, 25, 35),    Rec("A", 5, 5, 27, 30),   Rec("B", 6, 3, 45, 55),
                                       Rec("B", 7, 2, 70, 80),    Rec("C", 8, 1, 110, 120), Rec("A", 9, 2, 112, 118)};

struct Edge {
    std::string name;
    int calls = 0;
    double total = 0.0;
    friend bool operator==(const Edge&, const Edge&) = default;
};
void PrintTo(const Edge& e, std::ostream* os) { *os << e.name << " x" << e.calls << " " << e.total; }

std::vector<Edge> Named(const CallProfile& profile, const std::vector<CallEdge>& edges) {
    std::vector<Edge> out;
    for (const CallEdge& edge : edges)
        out.push_back({std::string(EdgeNameText(profile, edge.Name)), edge.Calls, edge.Total});
    return out;
}

int NameIndex(const CallProfile& profile, const std::string& name) {
    for (std::size_t n = 0; n < profile.Names.size(); ++n) {
        if (profile.Names[n] == name) return static_cast<int>(n);
    }
    ADD_FAILURE() << "no procedure " << name;
    return -1;
}

TEST(CallerCalleeTest, EdgesUnderDirectAndIndirectRecursion) {
    const CallProfile profile = ProfileOf(LoadRecords(kRun));
    const CallerCalleeIndex index(profile);

    const CallerCallee a = index.Query(NameIndex(profile, "A"), false);
    EXPECT_EQ(a.Calls, 4);
    EXPECT_DOUBLE_EQ(a.Own, 39.0);
    EXPECT_DOUBLE_EQ(a.Total, 56.0);  // the outer A under Main and the one under C
    // Each edge counts its calls' whole totals: 79 ms of callers for 56 ms.
    EXPECT_EQ(Named(profile, a.Callers),
              (std::vector<Edge>{{"Main", 1, 50.0}, {"A", 1, 20.0}, {"C", 1, 6.0}, {"B", 1, 3.0}}));
    // Equal totals by name: A before B.
    EXPECT_EQ(Named(profile, a.Callees), (std::vector<Edge>{{"A", 1, 20.0}, {"B", 2, 20.0}}));

    const CallerCallee b = index.Query(NameIndex(profile, "B"), false);
    EXPECT_EQ(b.Calls, 3);
    EXPECT_DOUBLE_EQ(b.Own, 27.0);
    EXPECT_DOUBLE_EQ(b.Total, 30.0);
    EXPECT_EQ(Named(profile, b.Callers), (std::vector<Edge>{{"A", 2, 20.0}, {"Main", 1, 10.0}}));
    EXPECT_EQ(Named(profile, b.Callees), (std::vector<Edge>{{"A", 1, 3.0}}));

    // Calls from outside any timed procedure come from the top level.
    const CallerCallee c = index.Query(NameIndex(profile, "C"), false);
    EXPECT_EQ(Named(profile, c.Callers), (std::vector<Edge>{{"(top level)", 1, 10.0}}));
    EXPECT_EQ(c.Callers[0].Name, kTopLevelName);
    EXPECT_EQ(Named(profile, c.Callees), (std::vector<Edge>{{"A", 1, 6.0}}));
    EXPECT_TRUE(index.Query(NameIndex(profile, "Main"), false).Callers.size() == 1);

    // A name that is none: no calls, no edges.
    for (const int none : {-1, static_cast<int>(profile.Names.size())}) {
        const CallerCallee nothing = index.Query(none, false);
        EXPECT_EQ(nothing.Calls, 0);
        EXPECT_TRUE(nothing.Callers.empty() && nothing.Callees.empty());
    }
}

TEST(CallerCalleeTest, CollapsedRecursionIsOneLevel) {
    const CallProfile profile = ProfileOf(LoadRecords(kRun));
    const CallerCalleeIndex index(profile);
    // The inner A is part of the outer one: its callee B is the outer A's,
    // and there is no edge from A to itself. A under B is no direct self call.
    const CallerCallee a = index.Query(NameIndex(profile, "A"), true);
    EXPECT_EQ(a.Calls, 3);
    EXPECT_DOUBLE_EQ(a.Own, 39.0);
    EXPECT_DOUBLE_EQ(a.Total, 56.0);
    EXPECT_EQ(Named(profile, a.Callers), (std::vector<Edge>{{"Main", 1, 50.0}, {"C", 1, 6.0}, {"B", 1, 3.0}}));
    EXPECT_EQ(Named(profile, a.Callees), (std::vector<Edge>{{"B", 2, 20.0}}));

    // A chain three deep is one call; the callees of every level are its.
    const CallProfile chain =
        ProfileOf(LoadRecords({Rec("F", 1, 1, 0, 100), Rec("F", 2, 2, 10, 90), Rec("F", 3, 3, 20, 50),
                               Rec("G", 4, 4, 30, 40), Rec("H", 5, 3, 60, 80), Rec("G", 6, 2, 92, 95)}));
    const CallerCallee f = CallerCalleeIndex(chain).Query(NameIndex(chain, "F"), true);
    EXPECT_EQ(f.Calls, 1);
    EXPECT_DOUBLE_EQ(f.Total, 100.0);
    EXPECT_EQ(Named(chain, f.Callers), (std::vector<Edge>{{"(top level)", 1, 100.0}}));
    EXPECT_EQ(Named(chain, f.Callees), (std::vector<Edge>{{"H", 1, 20.0}, {"G", 2, 13.0}}));
    const CallerCallee kept = CallerCalleeIndex(chain).Query(NameIndex(chain, "F"), false);
    EXPECT_EQ(Named(chain, kept.Callers), (std::vector<Edge>{{"F", 2, 110.0}, {"(top level)", 1, 100.0}}));  // 80 + 30
}

// On generated runs: the flat profile's numbers to the bit, and the edges
// of every procedure together are the calls counted pair by pair of names.
TEST(CallerCalleeTest, GeneratedRunsGiveTheFlatNumbersAndEveryEdge) {
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        bench::TraceShape shape;
        shape.calls = 3000;
        shape.seed = seed;
        shape.names = 12;  // few names: recursion, direct and not, is common
        TraceLoad load;
        load.trace = ParsePadText(bench::GeneratePadText(shape), "g.pad", ", ", test::DotLocale()).trace;
        BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
        const CallProfile profile = ProfileOf(load);
        const FlatProfile flat = ComputeFlatProfile(profile);
        const CallerCalleeIndex index(profile);

        // (caller name, callee name) -> calls; calls not made by their own name.
        std::map<std::pair<int, int>, int> pairs;
        std::map<std::pair<int, int>, int> belowTop;
        std::vector<int> notSelfCalled(profile.Names.size(), 0);
        for (const ProfileCall& call : profile.Calls) {
            const int caller = call.Parent >= 0 ? profile.Calls[static_cast<std::size_t>(call.Parent)].Name : -1;
            ++pairs[{caller, call.Name}];
            if (caller >= 0) ++belowTop[{caller, call.Name}];
            if (caller != call.Name) ++notSelfCalled[static_cast<std::size_t>(call.Name)];
        }
        std::map<std::pair<int, int>, int> fromCallers;
        std::map<std::pair<int, int>, int> fromCallees;
        bool selfCalls = false;
        for (std::size_t n = 0; n < profile.Names.size(); ++n) {
            SCOPED_TRACE(profile.Names[n]);
            const int name = static_cast<int>(n);
            const CallerCallee kept = index.Query(name, false);
            EXPECT_EQ(kept.Calls, flat.Entries[n].Calls);
            EXPECT_EQ(kept.Own, flat.Entries[n].Own);
            EXPECT_EQ(kept.Total, flat.Entries[n].Total);
            for (const CallEdge& edge : kept.Callers) fromCallers[{edge.Name, name}] = edge.Calls;
            for (const CallEdge& edge : kept.Callees) fromCallees[{name, edge.Name}] = edge.Calls;

            const CallerCallee collapsed = index.Query(name, true);
            selfCalls = selfCalls || collapsed.Calls < kept.Calls;
            EXPECT_EQ(collapsed.Calls, notSelfCalled[n]);
            EXPECT_EQ(collapsed.Own, kept.Own);
            EXPECT_EQ(collapsed.Total, kept.Total);
            for (const auto* edges : {&collapsed.Callers, &collapsed.Callees}) {
                for (const CallEdge& edge : *edges) EXPECT_NE(edge.Name, name);
            }
        }
        EXPECT_EQ(fromCallers, pairs);
        EXPECT_EQ(fromCallees, belowTop);
        EXPECT_TRUE(selfCalls) << "seed " << seed;
    }
}

TEST(FindProceduresTest, ExactNamesCaseAndExpressions) {
    const CallProfile profile = ProfileOf(LoadRecords({Rec("Form_Load", 1, 1, 0, 10), Rec("LoadOrder", 2, 1, 10, 20),
                                                       Rec("Save", 3, 1, 20, 30), Rec("SAVE", 4, 1, 30, 40)}));
    auto find = [&](const std::string& pattern, bool regex) {
        return FindProcedures(profile, pattern, regex).value_or(std::vector<int>{-99});
    };
    EXPECT_EQ(find("LoadOrder", false), (std::vector<int>{1}));
    EXPECT_EQ(find("form_load", false), (std::vector<int>{0}));  // no exact name: letter case ignored
    EXPECT_EQ(find("Save", false), (std::vector<int>{2}));       // an exact name wins
    EXPECT_EQ(find("save", false), (std::vector<int>{2, 3}));
    EXPECT_EQ(find("Load", false), (std::vector<int>{}));  // a whole name, not a part
    EXPECT_EQ(find("", false), (std::vector<int>{}));

    EXPECT_EQ(find("load", true), (std::vector<int>{0, 1}));  // a part, letter case ignored
    EXPECT_EQ(find("^save$", true), (std::vector<int>{2, 3}));
    EXPECT_EQ(find("x{2}", true), (std::vector<int>{}));
    std::string why;
    EXPECT_FALSE(FindProcedures(profile, "(", true, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(find("(", false), (std::vector<int>{}));  // only an expression can be a bad one
}

}  // namespace
}  // namespace kivra
