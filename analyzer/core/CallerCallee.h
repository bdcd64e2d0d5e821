// One procedure's callers and callees: who calls it, how often and with how
// much time, and whom it calls, as call lists of a profiler show them. The
// procedure's own numbers are the flat profile's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"

namespace kivra {

// The caller name of calls made from outside any timed procedure.
constexpr int kTopLevelName = -1;
constexpr std::string_view kTopLevelText = "(top level)";

struct CallEdge {
    int Name = kTopLevelName;  // index into CallProfile::Names, kTopLevelName for the top level
    int Calls = 0;             // direct calls on the edge
    double Total = 0.0;        // milliseconds: the sum of those calls' totals
};

struct CallerCallee {
    int Name = 0;  // index into CallProfile::Names
    // The flat profile's numbers: calls, sum of the calls' own times, and the
    // sum of the totals of the calls not nested in a call of the same name.
    // With recursion collapsed, a chain of direct self calls counts as one
    // call; own and total stay the same.
    int Calls = 0;
    double Own = 0.0;
    double Total = 0.0;
    // Largest total first, equal ones by name (letter case ignored, as
    // NameBefore orders them; the top level by its text). Under recursion
    // the edges may add up to more than the total: each edge counts its
    // calls' whole totals, also when one of them lies within another.
    std::vector<CallEdge> Callers;
    std::vector<CallEdge> Callees;
};

// The text of a caller's or a callee's name: "(top level)" for the top
// level, nothing for an index that is no name.
std::string_view EdgeNameText(const CallProfile& profile, int name);

// Each name's calls and each call's callees, indexed once, so that asking
// for one procedure looks at its calls and their callees only. Keeps a
// reference to the profile, which must outlive it and not change.
class CallerCalleeIndex {
public:
    explicit CallerCalleeIndex(const CallProfile& profile);

    // The procedure `name` (an index into the profile's Names). With
    // `collapseRecursion`, a call whose direct caller has the same name is
    // part of that caller: no edge from the procedure to itself, the inner
    // calls' callees are the outer call's. A name out of range gives an
    // entry without calls.
    CallerCallee Query(int name, bool collapseRecursion) const;

    const CallProfile& Profile() const { return *profile_; }

private:
    const CallProfile* profile_;
    std::vector<int> nameStart_;      // per name: where its calls begin in callsByName_; one more at the end
    std::vector<int> callsByName_;    // the calls grouped by name, each group in display order
    std::vector<int> calleeStart_;    // per call: where its callees begin in callees_; one more at the end
    std::vector<int> callees_;        // the calls grouped by caller, each group in display order
    std::vector<char> nestedInSame_;  // per call: made within a call of the same name
};

// The procedures whose name is `pattern`, in the order of the profile's
// Names: the names equal to it byte for byte, or when there are none, the
// names equal to it with letter case ignored (Basic ignores it). With
// `regularExpression`, the names in which the ECMAScript expression finds a
// match, letter case ignored, as the find bar matches them. Nothing, with
// the reason in `why`, for an expression that is not one.
std::optional<std::vector<int>> FindProcedures(const CallProfile& profile, const std::string& pattern,
                                               bool regularExpression, std::string* why = nullptr);

}  // namespace kivra
