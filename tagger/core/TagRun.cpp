#include "TagRun.h"

#include <algorithm>

#include "ProcedureHeader.h"
#include "RunLoop.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

// The text after the first n characters of s.
std::string_view DropCharacters(std::string_view s, std::size_t n) {
    std::size_t pos = 0;
    for (; n > 0 && pos < s.size(); --n) {
        ++pos;
        while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
    }
    return s.substr(pos);
}

// Where "then exit" first occurs in s in any letter case, or npos. Found
// through its "x", the rarest of its letters in source text.
std::size_t FindThenExit(std::string_view s) {
    constexpr std::string_view kThenExit = "then exit";
    constexpr std::size_t kX = 6;
    // The next "x" and the next "X", each found at the speed of a byte search.
    std::size_t small = s.find('x', kX);
    std::size_t capital = s.find('X', kX);
    while (small != std::string_view::npos || capital != std::string_view::npos) {
        const std::size_t x = std::min(small, capital);
        if (x - kX + kThenExit.size() > s.size()) return std::string_view::npos;
        bool same = true;
        for (std::size_t k = 0; k < kThenExit.size() && same; ++k) same = LowerAscii(s[x - kX + k]) == kThenExit[k];
        if (same) return x - kX;
        if (x == small) small = s.find('x', x + 1);
        if (x == capital) capital = s.find('X', x + 1);
    }
    return std::string_view::npos;
}

enum class Action { None, Start, Exit, Stop, Skip };

// The line logic of one run. The current name carries from line to line.
class LineTagger {
public:
    LineTagger(std::string_view prefix, const TagOptions& options, const KeywordSections& keywords)
        : prefix_(prefix), options_(options), keywords_(keywords) {}

    void Tag(std::string_view line, LineWriter& out) {
        const Action action = Decide(line);
        if (action == Action::None || action == Action::Skip) {
            out.Source(line);
        } else if (action == Action::Start) {
            out.Source(line);
            WriteInserted(out);
        } else {
            WriteInserted(out);
            out.Source(line);
        }
    }

private:
    Action Decide(std::string_view line) {
        Action action = Action::None;
        inserted_.clear();

        // The working copy: without a leading apostrophe (a commented-out
        // line is read like code) and without a leading "Private" and the
        // character after it.
        std::string_view work = line;
        comment_ = work.starts_with('\'');
        if (comment_) work.remove_prefix(1);
        if (work.starts_with("Private")) work = DropCharacters(work, 8);
        // Every phrase lookup is on the first word, so a line whose first
        // letter begins no phrase needs no words.
        const auto first = work.find_first_not_of(' ');
        const bool mayMatch = first != std::string_view::npos &&
                              (keywords_.start.MayStartWith(work[first]) || keywords_.exit.MayStartWith(work[first]) ||
                               keywords_.stop.MayStartWith(work[first]));
        const LineWords words = mayMatch ? LineWords::Of(work) : LineWords{};

        // Header: its first word, else its first two words. After a
        // two-word match the first nine characters go (the length of
        // "Property "), so that the name stands as the second piece.
        int n = 0;
        if (words.count >= 2) n = Lookup(keywords_.start, words.word[0], words.word[1]);
        if (n == 0 && words.count >= 3) {
            n = Lookup(keywords_.start, words.firstTwo, words.word[2]);
            if (n > 0) work = DropCharacters(work, 9);
        }
        if (n > 0) {
            action = Action::Start;
            if (const auto name = GetName(work)) currentName_.assign(*name);
            inserted_ += "Start \"";
            inserted_ += currentName_;
            inserted_ += '"';
            if (options_.chkParameters) {
                const std::string parameters = GetParameters(work);
                if (!parameters.empty()) {
                    inserted_ += ", ";
                    inserted_ += parameters;
                }
            }
        }

        if (words.count >= 2 && Lookup(keywords_.exit, words.firstTwo, currentName_) > 0) {
            action = Action::Exit;
            inserted_ = "St0p";
        }

        // An exit at the end of an If on one line ("Then Exit Sub" as the
        // editor writes it): the call goes after it. Only a "then exit"
        // beginning after the tenth character counts.
        constexpr std::size_t kShortest = 10 + 9;  // ten characters, then "then exit"
        if (const auto at = work.size() < kShortest ? std::string_view::npos : FindThenExit(work);
            at != std::string_view::npos && at >= 10 && Utf8Length(work.substr(0, at)) >= 10) {
            action = Action::Start;
            inserted_ = "St0p '<<<<<<";
        }

        if (words.count >= 2) {
            n = Lookup(keywords_.stop, words.firstTwo, currentName_);
            if (n > 0) {
                action = Action::Stop;
                inserted_ = "St0p";
                if (keywords_.stop.Keys()[static_cast<std::size_t>(n - 1)].passesName) {
                    inserted_ += ' ';
                    inserted_ += currentName_;
                }
            }
        }

        if (!options_.chkFormEvents && currentName_.find('_') != std::string::npos) action = Action::Skip;
        return action;
    }

    // Most lines match no phrase; the section's quick test spares them the call.
    int Lookup(const KeywordSection& section, std::string_view key, std::string_view name) const {
        return section.MayMatch(key) ? InKeys(section, key, name, options_) : 0;
    }

    void WriteInserted(LineWriter& out) const { out.Inserted(comment_ ? "'" : "", prefix_, inserted_); }

    std::string_view prefix_;
    const TagOptions& options_;
    const KeywordSections& keywords_;
    std::string currentName_;
    std::string inserted_;
    bool comment_ = false;
};

}  // namespace

RunResult TagText(std::string_view text, std::string_view prefix, const TagOptions& options,
                  const KeywordSections& keywords, RunObserver* observer, LineEnds ends) {
    LineTagger tagger(prefix, options, keywords);
    return detail::RunLines(text, ends, observer, text.size() / 4,
                            [&](std::string_view line, LineWriter& out) { tagger.Tag(line, out); });
}

}  // namespace kivra
