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

bool IsWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           (static_cast<unsigned char>(c) & 0x80) != 0;
}

// Whether the word (in any letter case) stands at `at` in s, whole.
bool WordAt(std::string_view s, std::size_t at, std::string_view word) {
    if (at + word.size() > s.size() || (at > 0 && IsWordCharacter(s[at - 1]))) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        if (LowerAscii(s[at + k]) != word[k]) return false;
    }
    return at + word.size() == s.size() || !IsWordCharacter(s[at + word.size()]);
}

// A line's code: its string literals blanked out (their quotes kept) and a
// trailing comment cut off, so that words are only found in code.
std::string CodeOf(std::string_view line) {
    std::string code;
    code.reserve(line.size());
    bool inString = false;
    for (const char c : line) {
        if (c == '"') {
            inString = !inString;
            code += c;
        } else if (inString) {
            code += ' ';
        } else if (c == '\'') {
            break;
        } else {
            code += c;
        }
    }
    return code;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool ExitsTheProcedure(std::string_view statement);

// The statements after a one-line If's Then: split at ":" and at Else.
// Whether one of them leaves the procedure.
bool AnyStatementExits(std::string_view statements) {
    std::size_t from = 0;
    for (std::size_t at = 0; at <= statements.size(); ++at) {
        const bool end = at == statements.size();
        const bool colon = !end && statements[at] == ':';
        const bool otherwise = !end && !colon && WordAt(statements, at, "else");
        if (!end && !colon && !otherwise) continue;
        if (ExitsTheProcedure(statements.substr(from, at - from))) return true;
        from = otherwise ? at + 4 : at + 1;
        if (otherwise) at += 3;
    }
    return false;
}

// A statement that returns from the procedure: Exit Sub, Exit Function or
// Exit Property, or a one-line If holding one.
bool ExitsTheProcedure(std::string_view statement) {
    statement = Trimmed(statement);
    if (WordAt(statement, 0, "exit")) {
        const std::string_view rest = Trimmed(statement.substr(4));
        return rest.size() != statement.size() - 4 &&
               (WordAt(rest, 0, "sub") || WordAt(rest, 0, "function") || WordAt(rest, 0, "property"));
    }
    if (!WordAt(statement, 0, "if")) return false;
    for (std::size_t at = 2; at < statement.size(); ++at) {
        if (WordAt(statement, at, "then")) {
            const std::string_view after = Trimmed(statement.substr(at + 4));
            // Then ending the code opens a block If: no exit on this line.
            return !after.empty() && AnyStatementExits(after);
        }
    }
    return false;
}

// A one-line If whose statements after Then leave the procedure, wherever
// the line begins; Exit For, Exit Do and block Ifs do not count.
bool IsOneLineIfExit(std::string_view line) {
    // Most lines hold no "x" at all.
    if (line.find_first_of("xX") == std::string_view::npos) return false;
    const std::string code = CodeOf(line);
    std::string_view rest = code;
    // The statements of the line: an If may follow others after a colon.
    std::size_t from = 0;
    for (std::size_t at = 0; at <= rest.size(); ++at) {
        if (at < rest.size() && rest[at] != ':') continue;
        const std::string_view statement = Trimmed(rest.substr(from, at - from));
        if (WordAt(statement, 0, "if")) return ExitsTheProcedure(rest.substr(from));
        from = at + 1;
    }
    return false;
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

        // An exit in an If on one line ("If Done Then Exit Sub", "If x Then
        // y = 1: Exit Function"): the marker goes after it, to show where
        // the early return skips the stop call.
        if (IsOneLineIfExit(work)) {
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
