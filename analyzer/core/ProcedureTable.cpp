#include "ProcedureTable.h"

#include <algorithm>
#include <string_view>

#include "RowOrder.h"

namespace kivra {

double ProcedureValue(const FlatEntry& entry, ProcedureColumn column) {
    switch (column) {
    case ProcedureColumn::Calls: return entry.Calls;
    case ProcedureColumn::Own: return entry.Own;
    case ProcedureColumn::Total: return entry.Total;
    case ProcedureColumn::MeanOwn: return entry.MeanOwn;
    case ProcedureColumn::MaxOwn: return entry.MaxOwn;
    case ProcedureColumn::OwnPercent: return entry.OwnPercent;
    case ProcedureColumn::Name:
    case ProcedureColumn::Count: break;
    }
    return 0.0;
}

ProcedureTable::ProcedureTable(FlatProfile profile) : profile_(std::move(profile)) {
    // The names' order, once: every sort after compares numbers only.
    std::vector<std::string_view> names;
    names.reserve(profile_.Entries.size());
    for (const FlatEntry& entry : profile_.Entries) names.push_back(entry.Name);
    byName_ = NameOrder(names);
    matching_.assign(profile_.Entries.size(), 1);
    Sort(ProcedureColumn::Own, true);
}

void ProcedureTable::Sort(ProcedureColumn column, bool descending) {
    sortColumn_ = column;
    descending_ = descending;
    if (column == ProcedureColumn::Name) {
        sorted_ = byName_;
        if (descending) std::reverse(sorted_.begin(), sorted_.end());
    } else {
        const std::vector<FlatEntry>& entries = profile_.Entries;
        std::vector<double> values(entries.size());
        for (std::size_t e = 0; e < entries.size(); ++e) values[e] = ProcedureValue(entries[e], column);
        sorted_ = ValueOrder(byName_, values, descending);
    }
    Show();
}

namespace {

char NameMatches(const RowMatcher* matcher, const FlatEntry& entry) {
    return matcher == nullptr || matcher->Matches(SearchRow{entry.Name, {}, {}, {}});
}

}  // namespace

void ProcedureTable::Narrow(const RowMatcher* matcher) {
    for (std::size_t e = 0; e < profile_.Entries.size(); ++e) matching_[e] = NameMatches(matcher, profile_.Entries[e]);
    Show();
}

bool ProcedureTable::NarrowChanges(const RowMatcher* matcher) const {
    for (std::size_t e = 0; e < profile_.Entries.size(); ++e) {
        if (NameMatches(matcher, profile_.Entries[e]) != matching_[e]) return true;
    }
    return false;
}

void ProcedureTable::Show() {
    shown_.clear();
    for (const std::size_t procedure : sorted_) {
        if (matching_[procedure]) shown_.push_back(procedure);
    }
    rowOf_.assign(profile_.Entries.size(), shown_.size());
    for (std::size_t row = 0; row < shown_.size(); ++row) rowOf_[shown_[row]] = row;
}

std::optional<std::size_t> ProcedureTable::RowOf(std::size_t procedure) const {
    if (procedure >= rowOf_.size() || rowOf_[procedure] == shown_.size()) return std::nullopt;
    return rowOf_[procedure];
}

std::string ProcedureCellText(const FlatEntry& entry, ProcedureColumn column, const NumberFormat& timeFormat,
                              const NumberFormat& percentFormat) {
    switch (column) {
    case ProcedureColumn::Name: return entry.Name;
    case ProcedureColumn::Calls: return std::to_string(entry.Calls);
    case ProcedureColumn::OwnPercent: return percentFormat.Format(static_cast<float>(entry.OwnPercent));
    case ProcedureColumn::Count: return {};
    default: return timeFormat.Format(static_cast<float>(ProcedureValue(entry, column)));
    }
}

}  // namespace kivra
