#include "CallTree.h"

#include <algorithm>
#include <optional>

#include "MemoryPages.h"
#include "RecordIndex.h"

namespace kivra {
namespace {

// The whole part of a record's sort value, its Key read as a decimal number.
long long StartOrder(const PadRecord& record) {
    // "-2.3" is -2.3 and rounds down to -3; "-2.0" and "5.-1" (read as its
    // Order) keep their Order.
    return record.Order < 0 && record.Depth > 0 ? static_cast<long long>(record.Order) - 1 : record.Order;
}

// Links of the rows as they are made: each new row becomes the last child
// of its parent (row 0 stands for the top level).
struct RowLinks {
    explicit RowLinks(std::size_t rows)
        : firstChild(FilledVector(rows + 1, 0)),
          lastChild(FilledVector(rows + 1, 0)),
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

std::vector<long long> SortedStartOrders(const PadTrace& trace) {
    const std::size_t count = trace.RecordCount();
    std::vector<long long> orders = FilledVector(count, 0LL);
    if (count == 0) return orders;
    long long lowest = StartOrder(trace.Records[1]);
    long long highest = lowest;
    for (std::size_t r = 1; r <= count; ++r) {
        const long long order = StartOrder(trace.Records[r]);
        orders[r - 1] = order;
        lowest = std::min(lowest, order);
        highest = std::max(highest, order);
    }
    if (highest - lowest >= 2 * static_cast<long long>(count) + 64) {
        std::sort(orders.begin(), orders.end());
        return orders;
    }
    // Few distinct values, as in every trace a timing object writes: counted
    // into place, in one pass each way.
    std::vector<std::uint32_t> tally = FilledVector<std::uint32_t>(static_cast<std::size_t>(highest - lowest) + 1, 0);
    for (const long long order : orders) ++tally[static_cast<std::size_t>(order - lowest)];
    std::size_t at = 0;
    for (std::size_t slot = 0; slot < tally.size(); ++slot) {
        for (std::uint32_t n = tally[slot]; n > 0; --n) orders[at++] = static_cast<long long>(slot) + lowest;
    }
    return orders;
}

CallTree BuildCallTree(PadTrace& trace, const std::vector<long long>& sortedOrders, const NumberFormat& format,
                       RowTexts texts) {
    CallTree tree;
    RecordIndex index(trace);
    std::vector<int> firstRowOf = FilledVector(trace.Records.size(), 0);
    std::vector<TraceRow> created;
    created.reserve(sortedOrders.size());
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

    RowLinks links(sortedOrders.size());
    auto recordAt = [&](std::size_t place) { return index.FirstWithOrder(sortedOrders[place]); };
    constexpr std::size_t kLookAhead = 8;
    for (std::size_t i = 1; i <= sortedOrders.size() && i <= kMaxRecords; ++i) {
        const int number = static_cast<int>(i);
        if (i + kLookAhead <= sortedOrders.size()) {
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
            // However far back it lies.
            const int parent = index.NearestBefore(record.Order, static_cast<long long>(record.Depth) - 1);
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
        if (texts == RowTexts::Formatted) {
            text.clear();
            if (const std::optional<float> read = format.AppendFormattedAndRead(text, record.Total)) {
                row.TotalValueKnown = true;
                row.TotalValue = *read;
            }
            row.TotalText = text;
        }
        if (firstRowOf[static_cast<std::size_t>(recordNumber)] == 0) {
            firstRowOf[static_cast<std::size_t>(recordNumber)] = number;
        }
    }
    tree.Rows = InDisplayOrder(std::move(created), links);
    return tree;
}

}  // namespace kivra
