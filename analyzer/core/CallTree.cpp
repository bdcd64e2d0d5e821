#include "CallTree.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "MemoryPages.h"
#include "RecordIndex.h"

namespace kivra {
namespace {

// Decimal place values of the digits of a Depth.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5};

// The Key "<Order>.<Depth>" read as a decimal number: its digits as one whole
// number divided by a power of ten. Both are exact in double precision, so the
// one division rounds correctly, as reading the text does.
double SortValue(const PadRecord& record) {
    // A negative depth ("5.-1") does not read as a decimal number.
    if (record.Depth < 0) return record.Order;
    int places = 1;
    long long scale = 10;
    while (scale <= record.Depth) {
        ++places;
        scale *= 10;
    }
    const long long order = record.Order;
    const long long digits = (order < 0 ? -order : order) * scale + record.Depth;
    const double value = static_cast<double>(digits) / kPowersOfTen[places];
    return order < 0 ? -value : value;
}

// Links of the rows as they are made: each new row becomes the last child
// of its parent (row 0 stands for the top level).
struct RowLinks {
    explicit RowLinks(std::size_t rows)
        : firstChild(FilledVector(rows + 1, 0)), lastChild(FilledVector(rows + 1, 0)),
          nextSibling(FilledVector(rows + 1, 0)) {}

    void Add(int number, int parent) {
        const auto p = static_cast<std::size_t>(parent);
        if (lastChild[p] == 0) {
            firstChild[p] = number;
        } else {
            nextSibling[static_cast<std::size_t>(lastChild[p])] = number;
        }
        lastChild[p] = number;
    }

    std::vector<int> firstChild;
    std::vector<int> lastChild;
    std::vector<int> nextSibling;
};

// Puts rows made in creation order into display order: the tree's preorder,
// each row after its parent and after its parent's earlier children.
std::vector<TraceRow> InDisplayOrder(std::vector<TraceRow> created, const RowLinks& links) {
    const std::size_t count = created.size();
    std::vector<int> sequence;
    sequence.reserve(count);
    std::vector<int> pending;  // siblings to come back to
    int node = links.firstChild[0];
    bool sameOrder = true;
    while (node != 0) {
        sequence.push_back(node);
        sameOrder = sameOrder && node == static_cast<int>(sequence.size());
        const auto here = static_cast<std::size_t>(node);
        if (links.firstChild[here] != 0) {
            pending.push_back(links.nextSibling[here]);
            node = links.firstChild[here];
        } else {
            node = links.nextSibling[here];
            while (node == 0 && !pending.empty()) {
                node = pending.back();
                pending.pop_back();
            }
        }
    }
    if (sameOrder) return created;  // every call nested in its caller: the usual case

    std::vector<TraceRow> display;
    display.reserve(count);
    for (const int number : sequence) display.push_back(std::move(created[static_cast<std::size_t>(number - 1)]));
    return display;
}

}  // namespace

std::vector<double> SortedKeyValues(const PadTrace& trace) {
    const std::size_t count = trace.RecordCount();
    std::vector<double> values = FilledVector(count, 0.0);
    if (count == 0) return values;
    // The values of one Order lie between it and the next whole number away
    // from zero, so ascending Orders give ascending values. When the Orders
    // are exactly count consecutive numbers, each value has its place.
    int lowest = trace.Records[1].Order;
    int highest = lowest;
    for (std::size_t r = 2; r <= count; ++r) {
        lowest = std::min<int>(lowest, trace.Records[r].Order);
        highest = std::max<int>(highest, trace.Records[r].Order);
    }
    if (static_cast<std::size_t>(highest - lowest) + 1 == count) {
        std::vector<bool> taken(count, false);
        bool placed = true;
        for (std::size_t r = 1; r <= count && placed; ++r) {
            const auto slot = static_cast<std::size_t>(trace.Records[r].Order - lowest);
            placed = !taken[slot];
            taken[slot] = true;
            values[slot] = SortValue(trace.Records[r]);
        }
        if (placed) return values;
    }
    for (std::size_t r = 1; r <= count; ++r) values[r - 1] = SortValue(trace.Records[r]);
    std::sort(values.begin(), values.end());
    return values;
}

CallTree BuildCallTree(PadTrace& trace, const std::vector<double>& sortedValues, const NumberFormat& format) {
    CallTree tree;
    RecordIndex index(trace);
    std::vector<int> firstRowOf = FilledVector(trace.Records.size(), 0);
    std::vector<TraceRow> created;
    created.reserve(sortedValues.size());
    PrepareForWriting(created.data(), created.capacity() * sizeof(TraceRow));
    std::string text;  // a row's total being formatted

    auto stop = [&](const PadRecord& record, const char* flag) {
        const std::string_view message = trace.Texts->Keep(record.Name, flag);
        tree.StopMessage = message;
        if (!created.empty()) {
            created.back().Label = message;
            tree.StopRow = created.back().Number;
        }
    };

    RowLinks links(sortedValues.size());
    auto recordAt = [&](std::size_t place) {
        return index.FirstWithOrder(static_cast<long long>(std::floor(sortedValues[place])));
    };
    constexpr std::size_t kLookAhead = 8;
    for (std::size_t i = 1; i <= sortedValues.size() && i <= kMaxRecords; ++i) {
        const int number = static_cast<int>(i);
        if (i + kLookAhead <= sortedValues.size()) {
            // Records lie in completion order: fetch the ones to come early.
            __builtin_prefetch(&trace.Records[static_cast<std::size_t>(recordAt(i + kLookAhead - 1))]);
        }
        const int recordNumber = recordAt(i - 1);
        PadRecord& record = trace.Records[static_cast<std::size_t>(recordNumber)];
        if (record.Order == 0) {
            stop(record, kMissingStartFlag);
            break;
        }
        if (record.Order != number) {
            // The rows made so far keep showing the name as it was.
            record.Name = trace.Texts->Keep(record.Name, "*");
            ++tree.MarkedCount;
        }
        int parentRow = 0;
        if (record.Depth != 1) {
            const int parent = index.NearestBefore(record.Order, record.Depth - 1, kParentSearchLimit);
            if (parent == 0) {
                stop(record, kStackExceededFlag);
                break;
            }
            // Under the first row that shows the parent record; a parent that
            // no row shows yet leaves the call at the top level.
            parentRow = firstRowOf[static_cast<std::size_t>(parent)];
        }
        TraceRow& row = created.emplace_back();
        row.Number = number;
        row.Record = recordNumber;
        row.ParentRow = parentRow;
        if (parentRow != 0) {
            TraceRow& parent = created[static_cast<std::size_t>(parentRow - 1)];
            row.Level = parent.Level + 1;
            parent.HasChildren = true;
        }
        links.Add(number, parentRow);
        row.Label = record.Name;
        text.clear();
        if (const std::optional<float> read = format.AppendFormattedAndRead(text, record.Total)) {
            row.TotalValueKnown = true;
            row.TotalValue = *read;
        }
        row.TotalText = text;
        if (firstRowOf[static_cast<std::size_t>(recordNumber)] == 0) {
            firstRowOf[static_cast<std::size_t>(recordNumber)] = number;
        }
    }
    tree.Rows = InDisplayOrder(std::move(created), links);
    return tree;
}

}  // namespace kivra
