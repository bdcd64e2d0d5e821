// Source text as lines. A line ends at CR LF or at a bare LF; a bare CR is
// part of its line, so that a run gives back whatever it does not touch.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace kivra {

inline constexpr std::string_view kLineBreak = "\r\n";

// The largest source text the programs take: far more than any module
// holds, and little enough for the window's box.
inline constexpr std::size_t kMaxSourceBytes = std::size_t{16} << 20;

// How a run ends the lines it writes.
enum class LineEnds {
    // Every line written is followed by CR LF, and a text that ends with a
    // line end has an empty last line: the window's runs, which therefore
    // add one line break at the end.
    EachCrLf,
    // Every line keeps the end it had; inserted lines get the text's own
    // style, and the output ends with a line end exactly when the text did:
    // files rewritten by the command-line tool.
    AsInSource,
};

// One line of a text and the end that follows it: "\r\n", "\n", or
// nothing at the end of the text.
struct SourceLine {
    std::string_view text;
    std::string_view end;
};

// The line that begins at pos (pos <= text.size()).
inline SourceLine LineAt(std::string_view text, std::size_t pos) {
    const void* found = pos < text.size() ? std::memchr(text.data() + pos, '\n', text.size() - pos) : nullptr;
    if (found == nullptr) return {text.substr(pos), {}};
    std::size_t end = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    if (end > pos && text[end - 1] == '\r') return {text.substr(pos, end - 1 - pos), text.substr(end - 1, 2)};
    return {text.substr(pos, end - pos), text.substr(end, 1)};
}

// Where the line after `line`, which began at pos, begins: past the end of
// the text after its last line.
inline std::size_t AfterLine(std::size_t pos, const SourceLine& line) {
    return pos + line.text.size() + (line.end.empty() ? 1 : line.end.size());
}

// The number of line ends (CR LF or bare LF) in the text.
inline std::size_t CountLineEnds(std::string_view text) {
    std::size_t count = 0;
    for (const char* p = text.data();
         (p = static_cast<const char*>(
              std::memchr(p, '\n', text.size() - static_cast<std::size_t>(p - text.data())))) != nullptr;
         ++p) {
        ++count;
    }
    return count;
}

// The end that lines inserted into the text get: a bare LF when its first
// line ends so, else CR LF.
inline std::string_view InsertedLineEnd(std::string_view text) {
    const std::string_view end = LineAt(text, 0).end;
    return end == "\n" ? std::string_view("\n") : kLineBreak;
}

// Collects a run's output lines. With kept ends, each line's end is written
// only when the next line comes, or at Finish when the text asks for one,
// so that the output ends with a line end exactly when it should; else
// every line is followed by its end at once.
class LineWriter {
public:
    LineWriter(std::string& out, std::string_view insertedEnd, bool endsAtOnce)
        : out_(out), insertedEnd_(insertedEnd), endsAtOnce_(endsAtOnce) {}

    // The end of the input line being processed.
    void SetLineEnd(std::string_view end) { lineEnd_ = end; }

    // The input line, or a changed form of it (a + b), with its own end.
    void Source(std::string_view a, std::string_view b = {}) {
        Begin();
        out_ += a;
        if (!b.empty()) out_ += b;
        End(lineEnd_);
    }

    // An inserted line (a + b + c), with the inserted lines' end.
    void Inserted(std::string_view a, std::string_view b, std::string_view c) {
        Begin();
        if (!a.empty()) out_ += a;
        out_ += b;
        out_ += c;
        End(insertedEnd_);
    }

    // Writes the last line's end, when the output is to end with one.
    void Finish(bool endWithLineEnd) {
        if (endWithLineEnd) out_ += pending_;
        pending_ = {};
    }

private:
    void Begin() {
        if (!pending_.empty()) {
            out_ += pending_;
            pending_ = {};
        }
    }
    void End(std::string_view end) {
        if (endsAtOnce_) {
            out_ += end;
        } else {
            pending_ = end;
        }
    }

    std::string& out_;
    std::string_view insertedEnd_;
    bool endsAtOnce_;
    std::string_view lineEnd_ = kLineBreak;
    std::string_view pending_;
};

}  // namespace kivra
