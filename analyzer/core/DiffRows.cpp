#include "DiffRows.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string_view>

#include "RowOrder.h"

namespace kivra {

double DiffValue(const DiffEntry& entry, DiffColumn column) {
    switch (column) {
    case DiffColumn::OldCalls: return entry.OldCalls;
    case DiffColumn::NewCalls: return entry.NewCalls;
    case DiffColumn::OldOwn: return entry.OldOwn;
    case DiffColumn::NewOwn: return entry.NewOwn;
    case DiffColumn::OldTotal: return entry.OldTotal;
    case DiffColumn::NewTotal: return entry.NewTotal;
    case DiffColumn::Change: return entry.OwnChange;
    case DiffColumn::ChangePercent:
        if (entry.OwnChangePercent) return *entry.OwnChangePercent;
        return entry.OwnChange >= 0.0 ? std::numeric_limits<double>::infinity()
                                      : -std::numeric_limits<double>::infinity();
    case DiffColumn::Name:
    case DiffColumn::Count: break;
    }
    return 0.0;
}

std::string SignedChange(const NumberFormat& format, double change) {
    // The format's negative section may print brackets or no sign at all, so
    // the digits come from the magnitude and the sign from the value.
    if (std::isnan(change)) return format.Format(static_cast<float>(change));
    const std::string text = format.Format(static_cast<float>(std::fabs(change)));
    if (std::isfinite(static_cast<float>(change)) && text.find_first_of("123456789") == std::string::npos) return text;
    return (change < 0.0 ? "-" : "+") + text;
}

std::string DiffCellText(const DiffEntry& entry, DiffColumn column, const NumberFormat& timeFormat,
                         const NumberFormat& percentFormat) {
    const bool hasOld = entry.Status != DiffStatus::Added;
    const bool hasNew = entry.Status != DiffStatus::Removed;
    auto time = [&](bool present, double value) {
        return present ? timeFormat.Format(static_cast<float>(value)) : "-";
    };
    switch (column) {
    case DiffColumn::Name: return entry.Name;
    case DiffColumn::OldCalls: return hasOld ? std::to_string(entry.OldCalls) : "-";
    case DiffColumn::NewCalls: return hasNew ? std::to_string(entry.NewCalls) : "-";
    case DiffColumn::OldOwn: return time(hasOld, entry.OldOwn);
    case DiffColumn::NewOwn: return time(hasNew, entry.NewOwn);
    case DiffColumn::OldTotal: return time(hasOld, entry.OldTotal);
    case DiffColumn::NewTotal: return time(hasNew, entry.NewTotal);
    case DiffColumn::Change: return SignedChange(timeFormat, entry.OwnChange);
    case DiffColumn::ChangePercent:
        if (entry.Status == DiffStatus::Added) return "added";
        if (entry.Status == DiffStatus::Removed) return "removed";
        return entry.OwnChangePercent ? SignedChange(percentFormat, *entry.OwnChangePercent) : "";
    case DiffColumn::Count: break;
    }
    return {};
}

std::string DiffSummaryText(const TraceDiff& diff, const NumberFormat& timeFormat, const NumberFormat& percentFormat) {
    std::string text = "Top-level total: baseline " + timeFormat.Format(static_cast<float>(diff.OldTopLevelTotal)) +
                       " ms, current " + timeFormat.Format(static_cast<float>(diff.NewTopLevelTotal)) + " ms, change " +
                       SignedChange(timeFormat, diff.TopLevelChange) + " ms";
    if (diff.TopLevelChangePercent) text += " (" + SignedChange(percentFormat, *diff.TopLevelChangePercent) + "%)";
    return text;
}

DiffRows::DiffRows(TraceDiff diff) : diff_(std::move(diff)) {
    byName_ = NameOrder(NamesOf(diff_.Entries));
    Sort(DiffColumn::Count, true);
}

void DiffRows::Sort(DiffColumn column, bool descending) {
    order_ = ColumnOrder(diff_.Entries, byName_, column, DiffColumn::Name, DiffColumn::Count, descending, DiffValue);
}

}  // namespace kivra
