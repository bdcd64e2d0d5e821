#include "OwnTimes.h"

namespace kivra {

bool ComputeOwnTimes(std::vector<TraceRow>& rows, const NumberFormat& format) {
    bool allRead = true;
    // The nearest row so far at each level: the first row that a scan
    // upwards from a row one level deeper meets at that level.
    std::vector<std::size_t> lastAtLevel;  // display index + 1, 0 for none
    for (std::size_t k = 0; k < rows.size(); ++k) {
        TraceRow& row = rows[k];
        row.Time = row.TotalText;
        row.TimeIsNumber = false;
        const int level = row.Level;

        if (k > 0 && rows[k - 1].Level - level == 1) {
            // The row just above is one level deeper: it shows its own time
            // as a plain number.
            TraceRow& above = rows[k - 1];
            if (const auto b = format.Read(above.Time)) {
                above.Time = format.Plain(*b);
                above.TimeIsNumber = true;
            } else {
                allRead = false;
            }
        }
        if (level >= 1 && static_cast<std::size_t>(level - 1) < lastAtLevel.size()) {
            if (const std::size_t p = lastAtLevel[static_cast<std::size_t>(level - 1)]; p != 0) {
                TraceRow& parent = rows[p - 1];
                const auto a = format.Read(row.Time);
                const auto b = format.Read(parent.Time);
                if (a && b) {
                    const float own = *b - *a;
                    parent.Time.clear();
                    format.AppendFormatted(parent.Time, own);
                    parent.TimeIsNumber = false;
                } else {
                    allRead = false;
                }
            }
        }
        if (level >= 0) {
            if (lastAtLevel.size() <= static_cast<std::size_t>(level)) {
                lastAtLevel.resize(static_cast<std::size_t>(level) + 1, 0);
            }
            lastAtLevel[static_cast<std::size_t>(level)] = k + 1;
        }
    }
    return allRead;
}

std::string UnreadableTimeFormatMessage(std::string_view pattern) {
    return "The time format \"" + std::string(pattern) +
           "\" gives texts that cannot be read back as numbers; some own times could not be computed and show "
           "their totals.";
}

}  // namespace kivra
