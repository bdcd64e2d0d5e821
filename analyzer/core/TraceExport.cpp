#include "TraceExport.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "CallPaths.h"
#include "JsonText.h"

namespace kivra {
namespace {

void AppendMicroseconds(std::string& out, std::int64_t nanoseconds) { AppendScaled(out, nanoseconds, 3); }
void AppendMilliseconds(std::string& out, std::int64_t nanoseconds) { AppendScaled(out, nanoseconds, 6); }

// The data fields of a record as Chrome event arguments, the empty ones left
// out; nothing when all are empty.
void AppendArgs(std::string& out, const PadRecord& record) {
    const std::pair<const char*, const std::string_view*> fields[] = {
        {"Data In", &record.DataIn}, {"Data Log", &record.DataLog}, {"Data Out", &record.DataOut}};
    bool first = true;
    for (const auto& [key, value] : fields) {
        if (value->empty()) continue;
        out += first ? ",\"args\":{" : ",";
        first = false;
        AppendJsonString(out, key);
        out += ':';
        AppendJsonString(out, *value);
    }
    if (!first) out += '}';
}

}  // namespace

Timeline NestedTimeline(const PadTrace& trace, const CallProfile& profile) {
    constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kHighest = std::numeric_limits<std::int64_t>::max();
    Timeline timeline;
    const std::size_t count = profile.Calls.size();
    timeline.Spans.resize(count);
    // Where the next call from each caller may begin: the end of the call
    // before it from the same caller, else the caller's begin.
    std::vector<std::int64_t> next(count);
    std::int64_t nextTop = kLowest;
    constexpr std::size_t kLookAhead = 8;
    for (std::size_t c = 0; c < count; ++c) {
        const ProfileCall& call = profile.Calls[c];
        if (c + kLookAhead < count) {
            // The records lie in completion order: fetch the ones to come early.
            const auto ahead = static_cast<std::size_t>(profile.Calls[c + kLookAhead].Record);
            if (ahead < trace.Records.size()) __builtin_prefetch(&trace.Records[ahead]);
        }
        const auto r = static_cast<std::size_t>(call.Record);
        const PadRecord& record = r < trace.Records.size() ? trace.Records[r] : trace.Records[0];
        const std::int64_t begin = ToNanoseconds(record.Start);
        const std::int64_t end = ToNanoseconds(record.Stop);

        std::int64_t& earliest = call.Parent >= 0 ? next[static_cast<std::size_t>(call.Parent)] : nextTop;
        const std::int64_t latest =
            call.Parent >= 0 ? timeline.Spans[static_cast<std::size_t>(call.Parent)].End : kHighest;
        CallSpan& span = timeline.Spans[c];
        span.Begin = std::clamp(begin, earliest, latest);
        span.End = std::clamp(end, span.Begin, latest);
        if (span.Begin != begin || span.End != end) ++timeline.Clipped;
        earliest = span.End;
        next[c] = span.Begin;
    }
    return timeline;
}

ExportText ChromeTraceJson(const PadTrace& trace, const CallProfile& profile, std::string_view threadName,
                           bool withData, const Timeline* fitted) {
    const Timeline recorded = fitted != nullptr ? Timeline{} : NestedTimeline(trace, profile);
    const Timeline& timeline = fitted != nullptr ? *fitted : recorded;
    ExportText result;
    result.Clipped = timeline.Clipped;
    std::string& out = result.Text;
    out.reserve(128 + profile.Calls.size() * 120);
    out += "{\"traceEvents\":[\n{\"name\":\"thread_name\",\"ph\":\"M\",\"pid\":1,\"tid\":1,\"args\":{\"name\":";
    AppendJsonString(out, threadName);
    out += "}}";
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        const ProfileCall& call = profile.Calls[c];
        const CallSpan& span = timeline.Spans[c];
        out += ",\n{\"name\":";
        AppendJsonString(out, profile.Names[static_cast<std::size_t>(call.Name)]);
        out += ",\"cat\":\"kivra\",\"ph\":\"X\",\"ts\":";
        AppendMicroseconds(out, span.Begin);
        out += ",\"dur\":";
        AppendMicroseconds(out, span.End - span.Begin);
        out += ",\"pid\":1,\"tid\":1";
        if (withData) {
            const auto r = static_cast<std::size_t>(call.Record);
            AppendArgs(out, r < trace.Records.size() ? trace.Records[r] : trace.Records[0]);
        }
        out += '}';
    }
    out += "\n],\"displayTimeUnit\":\"ms\"}\n";
    return result;
}

ExportText SpeedscopeJson(const PadTrace& trace, const CallProfile& profile, std::string_view profileName,
                          const Timeline* fitted) {
    const Timeline recorded = fitted != nullptr ? Timeline{} : NestedTimeline(trace, profile);
    const Timeline& timeline = fitted != nullptr ? *fitted : recorded;
    ExportText result;
    result.Clipped = timeline.Clipped;
    std::string& out = result.Text;
    out.reserve(256 + profile.Names.size() * 32 + profile.Calls.size() * 64);
    out += "{\"$schema\":\"https://www.speedscope.app/file-format-schema.json\",\n\"shared\":{\"frames\":[";
    for (std::size_t n = 0; n < profile.Names.size(); ++n) {
        out += n == 0 ? "\n{\"name\":" : ",\n{\"name\":";
        AppendJsonString(out, profile.Names[n]);
        out += '}';
    }
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (!timeline.Spans.empty()) {
        first = timeline.Spans.front().Begin;
        last = first;
        for (const CallSpan& span : timeline.Spans) last = std::max(last, span.End);
    }
    out += "\n]},\n\"profiles\":[{\"type\":\"evented\",\"name\":";
    AppendJsonString(out, profileName);
    out += ",\"unit\":\"milliseconds\",\"startValue\":";
    AppendMilliseconds(out, first);
    out += ",\"endValue\":";
    AppendMilliseconds(out, last);
    out += ",\"events\":[";

    bool firstEvent = true;
    auto event = [&](char type, int frame, std::int64_t at) {
        out += firstEvent ? "\n{\"type\":\"" : ",\n{\"type\":\"";
        firstEvent = false;
        out += type;
        out += "\",\"frame\":";
        out += std::to_string(frame);
        out += ",\"at\":";
        AppendMilliseconds(out, at);
        out += '}';
    };
    // Calls come in display order, each after its caller, so the open calls
    // form a stack: before a call opens, every open call that is not its
    // caller or one of the caller's callers closes.
    std::vector<int> open;
    auto close = [&] {
        const auto c = static_cast<std::size_t>(open.back());
        event('C', profile.Calls[c].Name, timeline.Spans[c].End);
        open.pop_back();
    };
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        while (!open.empty() && open.back() != profile.Calls[c].Parent) close();
        event('O', profile.Calls[c].Name, timeline.Spans[c].Begin);
        open.push_back(static_cast<int>(c));
    }
    while (!open.empty()) close();
    out += "\n]}],\n\"name\":";
    AppendJsonString(out, profileName);
    out += ",\"activeProfileIndex\":0,\"exporter\":\"kivra\"}\n";
    return result;
}

ExportText FoldedStacks(const PadTrace& trace, const CallProfile& profile, const Timeline* fitted) {
    const Timeline recorded = fitted != nullptr ? Timeline{} : NestedTimeline(trace, profile);
    const Timeline& timeline = fitted != nullptr ? *fitted : recorded;
    ExportText result;
    result.Clipped = timeline.Clipped;
    const CallPaths merged = MergeCallPaths(profile, timeline);

    std::vector<std::string> names;
    names.reserve(profile.Names.size());
    for (std::string name : profile.Names) {
        std::replace(name.begin(), name.end(), ';', ':');
        names.push_back(std::move(name));
    }
    // Each path's text, built from its caller's path text.
    std::vector<std::string> texts(merged.Paths.size());
    std::string& out = result.Text;
    for (std::size_t p = 0; p < merged.Paths.size(); ++p) {
        const CallPath& path = merged.Paths[p];
        if (path.Parent >= 0) {
            texts[p] = texts[static_cast<std::size_t>(path.Parent)];
            texts[p] += ';';
        }
        texts[p] += names[static_cast<std::size_t>(path.Name)];
        const std::int64_t microseconds = path.Own / 1000 + (path.Own % 1000 >= 500 ? 1 : 0);
        if (microseconds <= 0) continue;
        out += texts[p];
        out += ' ';
        out += std::to_string(microseconds);
        out += '\n';
    }
    return result;
}

std::string ClippedCallsMessage(int clipped) {
    if (clipped == 1) {
        return "1 call did not fit within its caller's time or overlapped the call before it, and was clipped so "
               "that calls nest.";
    }
    return std::to_string(clipped) +
           " calls did not fit within their callers' time or overlapped the call before them, and were clipped so "
           "that calls nest.";
}

}  // namespace kivra
