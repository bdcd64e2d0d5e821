#include "ShownRows.h"

#include "CallProfile.h"

namespace kivra {

ShownRows RowsOf(const TraceLoad& load, const CallProfile& profile, const RangedRun* run, bool corrected,
                 const NumberFormat& format, bool withValues) {
    ShownRows shown;
    shown.corrected = corrected;
    const std::size_t rows = load.tree.Rows.size();
    if (run != nullptr) {
        shown.kept.assign(rows, 0);
        shown.keptChildren.assign(rows, 0);
        shown.totals.assign(rows, {});
        shown.times.assign(rows, {});
        if (withValues) {
            shown.totalValues.assign(rows, 0.0);
            shown.ownValues.assign(rows, 0.0);
        }
        for (std::size_t k = 0; k < run->WholeCall.size(); ++k) {
            const auto row = static_cast<std::size_t>(run->WholeCall[k]);
            if (row >= rows) continue;
            const ProfileCall& call = run->Profile.Calls[k];
            shown.kept[row] = 1;
            shown.totals[row] = format.Format(call.Total);
            shown.times[row] = format.Format(call.Own);
            if (withValues) {
                shown.totalValues[row] = call.Total;
                shown.ownValues[row] = call.Own;
            }
            if (call.Parent >= 0)
                shown.keptChildren[static_cast<std::size_t>(run->WholeCall[static_cast<std::size_t>(call.Parent)])] = 1;
        }
        return shown;
    }
    if (corrected) {
        shown.totals.reserve(rows);
        shown.times.reserve(rows);
    }
    if (withValues) {
        shown.totalValues.reserve(rows);
        shown.ownValues.reserve(rows);
    }
    // Row i is call i of the profile.
    for (const ProfileCall& call : profile.Calls) {
        if (corrected) {
            shown.totals.push_back(format.Format(call.Total));
            shown.times.push_back(format.Format(call.Own));
        }
        if (withValues) {
            shown.totalValues.push_back(call.Total);
            shown.ownValues.push_back(call.Own);
        }
    }
    return shown;
}

ShownRows ShowRows(const TraceLoad& load, const OverheadArguments& overhead, const std::optional<std::string>& range,
                   const NumberFormat& format, const std::string& path) {
    const std::optional<TimingOverhead> correct = OverheadToCorrect(overhead, load.trace, path);
    if (!correct && !range) return ShownRows{};
    CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
    if (correct) CorrectProfile(profile, *correct);
    if (!range) return RowsOf(load, profile, nullptr, true, format, false);
    const RangedRun run = RangeOrExit(*range, load.trace, profile, correct, path);
    return RowsOf(load, profile, &run, correct.has_value(), format, false);
}

std::vector<std::string> TreeHeaders(bool corrected) {
    return {"Code Trace",
            corrected ? "Total (ms, corrected)" : "Total (ms)",
            corrected ? "Time (ms, corrected)" : "Time (ms)",
            "Data In",
            "Data Log",
            "Data Out"};
}

}  // namespace kivra
