// The frame that the three runs share: split the text, walk its lines with
// a checkpoint at every tenth, and hand the output to the observer in the
// batches between checkpoints.
#pragma once

#include "RunObserver.h"
#include "SourceLines.h"

namespace kivra::detail {

// perLine(line, output) appends the line's output, each line followed by
// CR LF. extraBytes is a guess of what the run adds to the text.
template <class PerLine>
RunResult RunLines(std::string_view text, RunObserver* observer, std::size_t extraBytes, PerLine&& perLine) {
    RunResult result;
    if (text.empty()) return result;
    const bool handOver = observer != nullptr && observer->TakesOutput();
    result.text.reserve(handOver ? 4096 : text.size() + extraBytes + kLineBreak.size());
    // Only an observer needs the last index ahead of the walk.
    const std::size_t lastIndex = observer != nullptr ? CountLineBreaks(text) : 0;
    std::size_t delivered = 0;
    std::size_t pos = 0;
    for (std::size_t i = 0; pos <= text.size(); ++i) {
        if (observer != nullptr && i % 10 == 0) {
            if (delivered < result.text.size()) {
                observer->Append(std::string_view(result.text).substr(delivered));
                delivered = result.text.size();
                if (handOver) {
                    result.text.clear();
                    delivered = 0;
                }
            }
            if (observer->AtCheckpoint(i, lastIndex)) {
                result.stopped = true;
                break;
            }
        }
        auto end = text.find(kLineBreak, pos);
        if (end == std::string_view::npos) end = text.size();
        perLine(text.substr(pos, end - pos), result.text);
        pos = end + kLineBreak.size();
        ++result.linesDone;
    }
    if (observer != nullptr && delivered < result.text.size()) {
        observer->Append(std::string_view(result.text).substr(delivered));
        if (handOver) result.text.clear();
    }
    return result;
}

}  // namespace kivra::detail
