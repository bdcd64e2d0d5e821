// One interface for every message box of both programs. The windows show a
// modal box, the command-line tool prints to stderr, tests record.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kivra {

enum class MessageIcon { Critical, Exclamation, Question, Information };

struct Message {
    std::string text;
    MessageIcon icon = MessageIcon::Information;
    std::string title;  // empty: the program's own title

    friend bool operator==(const Message&, const Message&) = default;
};

class MessageReporter {
public:
    virtual ~MessageReporter() = default;
    virtual void Report(const Message& message) = 0;

    void Report(std::string text, MessageIcon icon, std::string title = {}) {
        Report(Message{std::move(text), icon, std::move(title)});
    }
};

// Keeps every message, for tests and for callers that decide later.
class RecordingReporter : public MessageReporter {
public:
    using MessageReporter::Report;
    void Report(const Message& message) override { messages.push_back(message); }
    std::vector<Message> messages;
};

// Prints "<program>: <text>" to a stream (stderr in the command-line tool).
class StreamReporter : public MessageReporter {
public:
    StreamReporter(std::ostream& out, std::string program) : out_(out), program_(std::move(program)) {}
    using MessageReporter::Report;
    void Report(const Message& message) override;

private:
    std::ostream& out_;
    std::string program_;
};

// Swallows every message.
class SilentReporter : public MessageReporter {
public:
    using MessageReporter::Report;
    void Report(const Message&) override {}
};

}  // namespace kivra
