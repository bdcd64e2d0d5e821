#include "TimeRange.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace kivra {
namespace {

std::optional<double> ReadNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::int64_t Nanoseconds(double milliseconds) {
    // Held within what a span can hold; a range past the run's ends is the run.
    const double ns = std::round(milliseconds * 1e6);
    constexpr double kLimit = 9.0e18;
    return static_cast<std::int64_t>(std::clamp(ns, -kLimit, kLimit));
}

// "1,204.000": three decimals, thousands grouped.
std::string Grouped(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, 3).ptr;
    std::string digits(buffer, end);
    const std::size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    for (std::size_t at = whole.size(); at > 3; at -= 3) whole.insert(at - 3, ",");
    return (value < 0.0 ? "-" : "") + whole + digits.substr(point);
}

}  // namespace

std::optional<TimeRange> ParseTimeRange(std::string_view text, std::string& why) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        why = "a range is START:END in milliseconds, e.g. 1200:1530.5";
        return std::nullopt;
    }
    const std::optional<double> start = ReadNumber(text.substr(0, colon));
    const std::optional<double> end = ReadNumber(text.substr(colon + 1));
    if (!start || !end) {
        why = "START and END are numbers of milliseconds with \".\" as the decimal point, e.g. 1200:1530.5";
        return std::nullopt;
    }
    if (*end < *start) {
        why = "the range ends before it starts";
        return std::nullopt;
    }
    return TimeRange{*start, *end};
}

RangedRun RestrictToRange(const CallProfile& profile, const Timeline& timeline, const TimeRange& range) {
    const std::int64_t from = Nanoseconds(range.Start);
    const std::int64_t to = Nanoseconds(range.End);
    RangedRun run;
    run.Profile.Names = profile.Names;
    run.Spans.Clipped = timeline.Clipped;  // the calls fitted to nest, as the exports say
    const std::size_t count = std::min(profile.Calls.size(), timeline.Spans.size());
    // Per call of the whole run: its counted call, or -1.
    std::vector<int> counted(count, -1);
    for (std::size_t c = 0; c < count; ++c) {
        const CallSpan& span = timeline.Spans[c];
        const std::int64_t begin = std::max(span.Begin, from);
        const std::int64_t end = std::min(span.End, to);
        const bool counts = span.Begin == span.End ? span.Begin >= from && span.Begin <= to : begin < end;
        if (!counts) continue;
        const ProfileCall& call = profile.Calls[c];
        // The nearest caller that counts: callers come before their callees.
        int parent = call.Parent;
        while (parent >= 0 && counted[static_cast<std::size_t>(parent)] < 0) {
            parent = profile.Calls[static_cast<std::size_t>(parent)].Parent;
        }
        ProfileCall kept = call;
        kept.Parent = parent >= 0 ? counted[static_cast<std::size_t>(parent)] : -1;
        kept.Level = kept.Parent >= 0 ? run.Profile.Calls[static_cast<std::size_t>(kept.Parent)].Level + 1 : 0;
        kept.Total = static_cast<float>(static_cast<double>(std::max<std::int64_t>(end - begin, 0)) / 1e6);
        kept.Own = kept.Total;
        counted[c] = static_cast<int>(run.Profile.Calls.size());
        run.Profile.Calls.push_back(kept);
        run.Spans.Spans.push_back(CallSpan{std::min(begin, end), std::max(begin, end)});
        run.WholeCall.push_back(static_cast<int>(c));
    }
    // Own times: the clipped total less the counted callees' clipped totals.
    std::vector<double> callees(run.Profile.Calls.size(), 0.0);
    for (const ProfileCall& call : run.Profile.Calls) {
        if (call.Parent >= 0) callees[static_cast<std::size_t>(call.Parent)] += call.Total;
    }
    for (std::size_t c = 0; c < run.Profile.Calls.size(); ++c) {
        ProfileCall& call = run.Profile.Calls[c];
        call.Own = static_cast<float>(std::max(0.0, static_cast<double>(call.Total) - callees[c]));
        run.Profile.OwnSum += call.Own;
        if (call.Parent < 0) run.Profile.TopLevelTotal += call.Total;
    }
    return run;
}

FlameLayout InWholeRunCalls(FlameLayout layout, const std::vector<int>& wholeCall, std::size_t wholeCalls) {
    std::vector<int> boxOfCall(wholeCalls, -1);
    for (std::size_t c = 0; c < layout.BoxOfCall.size() && c < wholeCall.size(); ++c) {
        const auto whole = static_cast<std::size_t>(wholeCall[c]);
        if (whole < wholeCalls) boxOfCall[whole] = layout.BoxOfCall[c];
    }
    layout.BoxOfCall = std::move(boxOfCall);
    for (FlameBox& box : layout.Boxes) {
        if (box.FirstCall >= 0 && static_cast<std::size_t>(box.FirstCall) < wholeCall.size()) {
            box.FirstCall = wholeCall[static_cast<std::size_t>(box.FirstCall)];
        }
    }
    return layout;
}

std::string TimeRangeText(const TimeRange& range) {
    return Grouped(range.Start) + " \u2013 " + Grouped(range.End) + " ms";
}

std::string GroupedMilliseconds(double value) { return Grouped(value); }

std::string GroupedCount(long long count) {
    std::string text = Grouped(static_cast<double>(count));
    return text.substr(0, text.find('.'));
}

}  // namespace kivra
