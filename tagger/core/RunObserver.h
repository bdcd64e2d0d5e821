// How a window follows a tagging, untag or comment run: it learns the
// progress at every tenth line, may ask the run to stop there, and receives
// the output as the run produces it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kivra {

// Status words of the three runs and the status after any run.
inline constexpr std::string_view kTaggingStatus = "Tagging: ";
inline constexpr std::string_view kRemovingStatus = "Removing: ";
inline constexpr std::string_view kCommentingStatus = "Commenting: ";
inline constexpr std::string_view kCompleteStatus = "Complete";

// "Tagging: 20 of 312" and the like.
inline std::string ProgressStatus(std::string_view word, std::size_t index, std::size_t lastIndex) {
    return std::string(word) + std::to_string(index) + " of " + std::to_string(lastIndex);
}

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // Called before the lines with index 0, 10, 20 and so on, after the
    // output of the lines before has been delivered. True stops the run
    // before that line.
    virtual bool AtCheckpoint(std::size_t index, std::size_t lastIndex) = 0;

    // Finished output, in order: whole lines, each followed by its line end
    // (with kept line ends, the last line's end comes with the next batch).
    virtual void Append(std::string_view lines) = 0;

    // True when the observer keeps the output itself: the run then holds
    // only what it has not delivered yet, and its result carries no text.
    virtual bool TakesOutput() const { return false; }
};

struct RunResult {
    std::string text;           // the whole output (none when the observer takes it)
    bool stopped = false;       // the observer asked for a stop
    std::size_t linesDone = 0;  // input lines processed
};

}  // namespace kivra
