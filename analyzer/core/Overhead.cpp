#include "Overhead.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "JsonText.h"

namespace kivra {
namespace {

// A number of zero or more written with a point, and what follows it.
std::optional<double> ReadNumber(std::string_view& text) {
    double value = 0.0;
    const auto [end, problem] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (problem != std::errc() || !std::isfinite(value) || value < 0.0) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool Skip(std::string_view& text, std::string_view expected) {
    if (!text.starts_with(expected)) return false;
    text.remove_prefix(expected.size());
    return true;
}

std::string Grouped(std::size_t n) {
    std::string digits = std::to_string(n);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string Milliseconds(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3).ptr;
    return std::string(buffer, end);
}

// a + b, held at the ends of 64 bits.
std::int64_t Sum(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// How much later b is than a, less `less`; never below zero.
std::int64_t Later(std::int64_t a, std::int64_t b, std::int64_t less) {
    std::int64_t gap = 0;
    if (__builtin_sub_overflow(b, a, &gap)) return b > a ? std::numeric_limits<std::int64_t>::max() : 0;
    return gap > less ? gap - less : 0;
}

}  // namespace

std::optional<TimingOverhead> ReadOverheadLine(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    TimingOverhead overhead;
    if (!Skip(line, "Overhead: ")) return std::nullopt;
    const std::optional<double> inside = ReadNumber(line);
    if (!inside || !Skip(line, " ms inside, ")) return std::nullopt;
    const std::optional<double> outside = ReadNumber(line);
    if (!outside || line != " ms outside per call") return std::nullopt;
    overhead.inside = *inside;
    overhead.outside = *outside;
    return overhead;
}

std::optional<TimingOverhead> ReadOverheadPair(std::string_view text) {
    const std::optional<double> inside = ReadNumber(text);
    if (!inside || !Skip(text, ",")) return std::nullopt;
    const std::optional<double> outside = ReadNumber(text);
    if (!outside || !text.empty()) return std::nullopt;
    return TimingOverhead{*inside, *outside};
}

int CorrectForOverhead(CallProfile& profile, const TimingOverhead& overhead) {
    const std::size_t count = profile.Calls.size();
    const double pair = overhead.inside + overhead.outside;
    // Calls come in display order, each after its caller: from the last one
    // back, every call has heard from all of its callees.
    std::vector<long long> below(count, 0);
    for (std::size_t c = count; c-- > 0;) {
        const int parent = profile.Calls[c].Parent;
        if (parent >= 0 && static_cast<std::size_t>(parent) < c) {
            below[static_cast<std::size_t>(parent)] += below[c] + 1;
        }
    }
    std::vector<char> clamped(count, 0);
    for (std::size_t c = 0; c < count; ++c) {
        ProfileCall& call = profile.Calls[c];
        const double total = static_cast<double>(call.Total) - overhead.inside - static_cast<double>(below[c]) * pair;
        if (total < 0.0) clamped[c] = 1;
        call.Total = static_cast<float>(std::max(0.0, total));
    }
    // Own times from the corrected totals, callees subtracted in order.
    std::vector<double> own(count);
    for (std::size_t c = 0; c < count; ++c) own[c] = profile.Calls[c].Total;
    profile.TopLevelTotal = 0.0;
    for (std::size_t c = 0; c < count; ++c) {
        const int parent = profile.Calls[c].Parent;
        if (parent >= 0 && static_cast<std::size_t>(parent) < c) {
            own[static_cast<std::size_t>(parent)] -= profile.Calls[c].Total;
        } else {
            profile.TopLevelTotal += profile.Calls[c].Total;
        }
    }
    profile.OwnSum = 0.0;
    int held = 0;
    for (std::size_t c = 0; c < count; ++c) {
        if (own[c] < 0.0) clamped[c] = 1;
        profile.Calls[c].Own = static_cast<float>(std::max(0.0, own[c]));
        profile.OwnSum += profile.Calls[c].Own;
        held += clamped[c];
    }
    return held;
}

Timeline CorrectedTimeline(const PadTrace& trace, const CallProfile& corrected, const TimingOverhead& overhead) {
    return CorrectedTimeline(NestedTimeline(trace, corrected), corrected, overhead);
}

Timeline CorrectedTimeline(const Timeline& recorded, const CallProfile& corrected, const TimingOverhead& overhead) {
    const std::size_t count = corrected.Calls.size();
    const std::int64_t outside = ToNanoseconds(overhead.outside);
    const std::int64_t half = ToNanoseconds((overhead.inside + overhead.outside) / 2.0);
    Timeline timeline;
    timeline.Clipped = recorded.Clipped;
    timeline.Spans.resize(count);
    // For each caller (and for the top level): where its last callee ended,
    // as recorded and as corrected; none yet when the recorded end is unset.
    struct Cursor {
        std::int64_t recordedEnd = 0;
        std::int64_t end = 0;
        bool any = false;
    };
    std::vector<Cursor> cursors(count);
    Cursor top;
    for (std::size_t c = 0; c < count; ++c) {
        const ProfileCall& call = corrected.Calls[c];
        const CallSpan& was = recorded.Spans[c];
        const bool nested = call.Parent >= 0 && static_cast<std::size_t>(call.Parent) < c;
        Cursor& cursor = nested ? cursors[static_cast<std::size_t>(call.Parent)] : top;
        std::int64_t begin = 0;
        if (cursor.any) {
            begin = Sum(cursor.end, Later(cursor.recordedEnd, was.Begin, outside));
        } else if (nested) {
            const CallSpan& parentWas = recorded.Spans[static_cast<std::size_t>(call.Parent)];
            const CallSpan& parentIs = timeline.Spans[static_cast<std::size_t>(call.Parent)];
            begin = Sum(parentIs.Begin, Later(parentWas.Begin, was.Begin, half));
        } else {
            begin = was.Begin;
        }
        std::int64_t end = Sum(begin, ToNanoseconds(call.Total));
        if (nested) {
            const CallSpan& parentIs = timeline.Spans[static_cast<std::size_t>(call.Parent)];
            begin = std::min(begin, parentIs.End);
            end = std::clamp(end, begin, parentIs.End);
        }
        timeline.Spans[c] = {begin, end};
        cursor = {was.End, end, true};
    }
    return timeline;
}

std::string OverheadSummary(const TimingOverhead& overhead, std::size_t calls) {
    const double pair = overhead.inside + overhead.outside;
    const double intoCallers = overhead.outside * static_cast<double>(calls);
    const std::string about =
        intoCallers < 1.0 ? "less than 1" : "about " + Grouped(static_cast<std::size_t>(std::llround(intoCallers)));
    return "Timing overhead: " + Milliseconds(pair) + " ms per call; " + Grouped(calls) +
           (calls == 1 ? " call puts " : " calls put ") + about + " ms into their callers' own times";
}

std::string ClampedCallsMessage(int clamped) {
    if (clamped == 1) {
        return "1 call was shorter than the timing overhead allows; its corrected time is held at 0.";
    }
    return std::to_string(clamped) +
           " calls were shorter than the timing overhead allows; their corrected times are held at 0.";
}

}  // namespace kivra
