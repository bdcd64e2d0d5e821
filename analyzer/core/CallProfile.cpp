#include "CallProfile.h"

#include <algorithm>
#include <unordered_map>

namespace kivra {

std::string_view WithoutMarks(std::string_view name, int marks) {
    while (marks > 0 && !name.empty() && name.back() == '*') {
        name.remove_suffix(1);
        --marks;
    }
    return name;
}

CallProfile BuildCallProfile(const PadTrace& trace, const std::vector<TraceRow>& rows) {
    CallProfile profile;
    const std::size_t recordCount = trace.Records.size();

    // The tree appends one "*" to a record's name for every row that shows
    // it under a number other than its Order. Counting them means a look at
    // every row's record, in no order: only done when some name has a "*".
    std::vector<int> marks(recordCount, 0);
    const bool anyStar = std::any_of(trace.Records.begin(), trace.Records.end(),
                                     [](const PadRecord& record) { return record.Name.ends_with('*'); });
    if (anyStar) {
        for (const TraceRow& row : rows) {
            const auto r = static_cast<std::size_t>(row.Record);
            if (r < recordCount && trace.Records[r].Order != row.Number) ++marks[r];
        }
    }

    std::vector<int> nameOfRecord(recordCount, -1);
    // Keyed by views of the records' names, which live as long as the trace.
    std::unordered_map<std::string_view, int> nameIds;
    nameIds.reserve(256);

    profile.Calls.reserve(rows.size());
    std::vector<int> lastAtLevel;  // the latest call at each level, -1 for none
    constexpr std::size_t kLookAhead = 8;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TraceRow& row = rows[i];
        if (i + kLookAhead < rows.size()) {
            // Rows come in display order, records in completion order: fetch
            // the records to come early.
            const auto ahead = static_cast<std::size_t>(rows[i + kLookAhead].Record);
            if (ahead < recordCount) __builtin_prefetch(&trace.Records[ahead]);
        }
        const auto r = static_cast<std::size_t>(row.Record);
        const PadRecord& record = r < recordCount ? trace.Records[r] : trace.Records[0];
        int& name = nameOfRecord[r < recordCount ? r : 0];
        if (name < 0) {
            const std::string_view base = WithoutMarks(record.Name, marks[r < recordCount ? r : 0]);
            const auto [found, added] = nameIds.try_emplace(base, static_cast<int>(profile.Names.size()));
            if (added) profile.Names.emplace_back(base);
            name = found->second;
        }

        ProfileCall& call = profile.Calls.emplace_back();
        call.Name = name;
        call.Level = row.Level;
        call.Record = row.Record;
        call.Total = record.Total;
        call.Own = record.Total;
        const int index = static_cast<int>(profile.Calls.size()) - 1;
        if (row.Level > 0 && static_cast<std::size_t>(row.Level) <= lastAtLevel.size()) {
            call.Parent = lastAtLevel[static_cast<std::size_t>(row.Level - 1)];
        }
        if (call.Parent >= 0) {
            profile.Calls[static_cast<std::size_t>(call.Parent)].Own -= call.Total;
        } else {
            profile.TopLevelTotal += call.Total;
        }
        if (row.Level >= 0) {
            if (lastAtLevel.size() <= static_cast<std::size_t>(row.Level)) {
                lastAtLevel.resize(static_cast<std::size_t>(row.Level) + 1, -1);
            }
            lastAtLevel[static_cast<std::size_t>(row.Level)] = index;
        }
    }
    for (const ProfileCall& call : profile.Calls) profile.OwnSum += call.Own;
    return profile;
}

}  // namespace kivra
