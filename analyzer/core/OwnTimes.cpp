#include "OwnTimes.h"

#include <algorithm>
#include <optional>
#include <string>

#include "MemoryPages.h"

namespace kivra {

bool ComputeOwnTimes(std::vector<TraceRow>& rows, const NumberFormat& format) {
    bool allRead = true;
    // Each row's Time read back as a number, kept beside the text from the
    // moment the text is set, so that every text is read once.
    std::vector<std::optional<float>> value = FilledVector(rows.size(), std::optional<float>());
    // The nearest row so far at each level: the first row that a scan
    // upwards from a row one level deeper meets at that level.
    std::vector<std::size_t> lastAtLevel;  // display index + 1, 0 for none
    std::string text;                      // an own time being formatted
    for (std::size_t k = 0; k < rows.size(); ++k) {
        TraceRow& row = rows[k];
        row.Time = row.TotalText;
        row.TimeIsNumber = false;
        value[k] = row.TotalValueKnown ? std::optional<float>(row.TotalValue) : format.Read(row.Time);
        const int level = row.Level;

        if (k > 0 && rows[k - 1].Level - level == 1) {
            // The row just above is one level deeper: it shows its own time
            // as a plain number.
            if (const std::optional<float> b = value[k - 1]) {
                rows[k - 1].Time = format.Plain(*b);
                rows[k - 1].TimeIsNumber = true;
            } else {
                allRead = false;
            }
        }
        if (level >= 1 && static_cast<std::size_t>(level - 1) < lastAtLevel.size()) {
            if (const std::size_t p = lastAtLevel[static_cast<std::size_t>(level - 1)]; p != 0) {
                const std::optional<float> a = value[k];
                const std::optional<float> b = value[p - 1];
                if (a && b) {
                    TraceRow& parent = rows[p - 1];
                    text.clear();
                    value[p - 1] = format.AppendFormattedAndRead(text, *b - *a);
                    parent.Time = text;
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

std::string OwnTimeWorkPattern(const NumberFormat& format) {
    if (format.Pattern().empty()) return {};
    return "0." + std::string(static_cast<std::size_t>(std::max(3, format.FractionPlaces())), '0');
}

bool ComputeRoundedOwnTimes(std::vector<TraceRow>& rows, const PadTrace& trace, const NumberFormat& format) {
    const std::string pattern = OwnTimeWorkPattern(format);
    if (pattern == format.Pattern()) return ComputeOwnTimes(rows, format);
    const NumberFormat work(pattern, format.Locale());
    // The totals in the work format for the pass, the time format's kept aside.
    std::vector<ShortText> shown(rows.size());
    std::vector<std::pair<float, bool>> shownValues(rows.size());
    std::string text;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        TraceRow& row = rows[k];
        const auto r = static_cast<std::size_t>(row.Record);
        const float total = r < trace.Records.size() ? trace.Records[r].Total : 0.0f;
        shown[k] = std::move(row.TotalText);
        shownValues[k] = {row.TotalValue, row.TotalValueKnown};
        text.clear();
        const std::optional<float> read = work.AppendFormattedAndRead(text, total);
        row.TotalText = text;
        row.TotalValue = read.value_or(0.0f);
        row.TotalValueKnown = read.has_value();
    }
    const bool allRead = ComputeOwnTimes(rows, work);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        TraceRow& row = rows[k];
        if (!row.TimeIsNumber) {
            if (const std::optional<float> value = work.Read(row.Time)) row.Time = format.Format(*value);
        }
        row.TotalText = std::move(shown[k]);
        row.TotalValue = shownValues[k].first;
        row.TotalValueKnown = shownValues[k].second;
    }
    return allRead;
}

std::string UnreadableTimeFormatMessage(std::string_view pattern) {
    return "The time format \"" + std::string(pattern) +
           "\" gives texts that cannot be read back as numbers; some own times could not be computed and show "
           "their totals.";
}

}  // namespace kivra
