// The trace table as the view shows it at this moment, for the report.
#pragma once

#include "TraceReport.h"

class QTreeView;

namespace kivra {

class TraceTableModel;

// Columns with their current widths (a hidden column counts 0 wide) and
// every row with its level, tree button, expanded state and visibility.
TableSnapshot SnapshotOf(const QTreeView& view, const TraceTableModel& model);

}  // namespace kivra
