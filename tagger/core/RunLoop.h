// The frame that the three runs share: split the text, walk its lines with
// a checkpoint at every tenth, and hand the output to the observer in the
// batches between checkpoints.
#pragma once

#include "RunObserver.h"
#include "SourceLines.h"

namespace kivra::detail {

// perLine(line, writer) writes the line's output through the writer.
// extraBytes is a guess of what the run adds to the text.
template <class PerLine>
RunResult RunLines(std::string_view text, LineEnds ends, RunObserver* observer, std::size_t extraBytes,
                   PerLine&& perLine) {
    RunResult result;
    if (text.empty()) return result;
    const bool handOver = observer != nullptr && observer->TakesOutput();
    result.text.reserve(handOver ? 4096 : text.size() + extraBytes + kLineBreak.size());
    const bool keepEnds = ends == LineEnds::AsInSource;
    const bool endsWithLineEnd = text.back() == '\n';
    const std::string_view insertedEnd = keepEnds ? InsertedLineEnd(text) : kLineBreak;
    LineWriter writer(result.text, insertedEnd, !keepEnds);
    // Kept ends: a text that ends with a line end has no empty line after
    // it. Only an observer needs the count ahead of the walk.
    const std::size_t lastIndex = observer == nullptr           ? 0
                                  : keepEnds && endsWithLineEnd ? CountLineEnds(text) - 1
                                                                : CountLineEnds(text);
    // The window's runs also take the empty piece after a final line end.
    const bool emptyLastPiece = !keepEnds && endsWithLineEnd;
    std::size_t delivered = 0;
    std::size_t pos = 0;
    for (std::size_t i = 0; pos < text.size() || (emptyLastPiece && pos == text.size()); ++i) {
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
        const SourceLine line = LineAt(text, pos);
        // The last line has no end of its own; one goes after it only when a
        // line is inserted after it, and after a bare CR only CR LF keeps
        // that CR inside the line.
        const std::string_view ownEnd = !line.end.empty()           ? line.end
                                        : line.text.ends_with('\r') ? kLineBreak
                                                                    : insertedEnd;
        writer.SetLineEnd(keepEnds ? ownEnd : kLineBreak);
        perLine(line.text, writer);
        pos = AfterLine(pos, line);
        ++result.linesDone;
    }
    // After a stop, every line processed keeps its end.
    writer.Finish(!keepEnds || endsWithLineEnd || result.stopped);
    if (observer != nullptr && delivered < result.text.size()) {
        observer->Append(std::string_view(result.text).substr(delivered));
        if (handOver) result.text.clear();
    }
    return result;
}

}  // namespace kivra::detail
