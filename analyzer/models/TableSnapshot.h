// The trace table as the view shows it at this moment, for the report.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "TraceReport.h"

class QTreeView;

namespace kivra {

class TraceTableModel;

// Columns with their current widths (a hidden column counts 0 wide) and
// every row with its level, tree button, expanded state and visibility.
TableSnapshot SnapshotOf(const QTreeView& view, const TraceTableModel& model);

// The report of the table as shown, written from the model's texts without
// a copy of them: the same text as ReportText(SnapshotOf(view, model)).
std::string ReportOfTable(const QTreeView& view, const TraceTableModel& model);
// The report's lines of the given rows, in that order (see ReportLines).
// `times`, when given, holds per row the Total and Time texts to write
// instead of the model's (a stretch of the run's clipped times).
std::string ReportLinesOfTable(const QTreeView& view, const TraceTableModel& model,
                               const std::vector<std::size_t>& rows,
                               const std::vector<std::array<std::string, 2>>* times = nullptr);

}  // namespace kivra
