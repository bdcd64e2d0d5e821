#include "MessageReporter.h"

namespace kivra {

void StreamReporter::Report(const Message& message) {
    out_ << program_ << ": ";
    if (!message.title.empty()) out_ << message.title << ": ";
    // Messages carry CR LF line breaks; a terminal wants plain LF.
    for (std::size_t i = 0; i < message.text.size(); ++i) {
        if (message.text[i] == '\r' && i + 1 < message.text.size() && message.text[i + 1] == '\n') continue;
        out_ << message.text[i];
    }
    out_ << '\n';
    out_.flush();
}

}  // namespace kivra
