// Getting a trace file's bytes into memory, within the reader's bounds, and
// handing them to the parser: the file whole into fresh pages when it is the
// usual UTF-8 text, else read in blocks only as far as a reading can go and
// decoded.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "MemoryPages.h"
#include "PadReader.h"
#include "Platform.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

// Reads a trace's bytes the ordinary way, in blocks, and only as far as a
// reading can go: up to the end of the first record line beyond the record
// limit, of the first line longer than a line may be, or of kMaxTraceBytes.
// A pipe or a device is read so too. Nothing, with the reason, when the file
// cannot be read or holds more than kMaxTraceBytes before its end.
std::optional<std::string> ReadTraceBytes(const std::filesystem::path& path, const PadReadOptions& options,
                                          std::string& why) {
    platform::ReadableFile file(path);
    if (!file.IsOpen()) {
        why = file.Error();
        return std::nullopt;
    }
    const auto status = file.Status();
    if (!status || status->directory) {
        why = status ? "it is a folder, not a file" : "its kind cannot be told";
        return std::nullopt;
    }
    std::string bytes;
    const std::uint64_t expected = status->regular ? std::min<std::uint64_t>(status->size, options.maxTraceBytes) : 0;
    if (expected > 0) bytes.reserve(static_cast<std::size_t>(expected));
    std::size_t line = 1;        // the line being read
    std::size_t lineLength = 0;  // its characters so far
    bool content = false;        // it holds more than line ends
    bool afterReturn = false;    // the character before was a CR
    std::size_t records = 0;
    bool enough = false;
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    while (!enough) {
        const std::size_t scanned = bytes.size();
        bytes.resize(scanned + kBlock);
        const long long got = file.Read(bytes.data() + scanned, kBlock);
        if (got <= 0) {
            bytes.resize(scanned);
            if (got < 0) why = file.Error();
            break;
        }
        bytes.resize(scanned + static_cast<std::size_t>(got));
        for (std::size_t i = scanned; i < bytes.size() && !enough; ++i) {
            const char c = bytes[i];
            if (c == '\n' && afterReturn) {
                afterReturn = false;  // the CR ended the line
                continue;
            }
            afterReturn = c == '\r';
            if (c == '\n' || c == '\r') {
                if (line > kPadHeaderLines && content && ++records > options.maxRecords) enough = true;
                ++line;
                lineLength = 0;
                content = false;
                continue;
            }
            content = true;
            // The reader names the line that is too long.
            if (++lineLength > kMaxLineBytes) enough = true;
        }
        if (!enough && bytes.size() > options.maxTraceBytes) {
            why = "the file holds more than " + MegabytesText(options.maxTraceBytes) +
                  " before its records end; it is not a trace file";
            break;
        }
        if (expected > 0) options.progress.Report(static_cast<double>(bytes.size()) / static_cast<double>(expected));
    }
    if (!why.empty()) return std::nullopt;
    return bytes;
}

// A whole file's bytes read into memory mapped for them at once, which
// spares the page faults of a freshly allocated buffer (a copy rather than a
// mapping of the file itself, so that a file cut short while it is read
// cannot bring the program down). Empty when that fails; the caller then
// reads the file the ordinary way. The records of a trace point into it.
class FileBytes {
public:
    FileBytes(const std::filesystem::path& path, const PadReadOptions& options) {
        platform::ReadableFile file(path);
        if (!file.IsOpen()) return;
        const auto status = file.Status();
        if (!status || !status->regular || status->size == 0 || status->size > options.wholeFileBytes) return;
        const auto size = static_cast<std::size_t>(status->size);
        data_ = platform::AllocatePages(size);
        if (data_ == nullptr) return;
        capacity_ = size;
        constexpr std::size_t kPiece = std::size_t{32} << 20;  // read so, to tell how far it came
        while (size_ < size) {
            const long long got = file.Read(static_cast<char*>(data_) + size_, std::min(kPiece, size - size_));
            if (got <= 0) break;
            size_ += static_cast<std::size_t>(got);
            options.progress.Report(static_cast<double>(size_) / static_cast<double>(size));
        }
        // A file that changed size meanwhile is read the ordinary way.
        char probe = 0;
        if (size_ != size || file.Read(&probe, 1) != 0) size_ = 0;
    }
    ~FileBytes() { platform::FreePages(data_, capacity_); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view Bytes() const { return {static_cast<const char*>(data_), size_}; }

    // Hands the bytes over to the trace's texts, which keep them from now on.
    std::string_view MoveTo(TraceTexts& texts) {
        const std::string_view bytes = texts.AdoptMapping(data_, size_, capacity_);
        data_ = nullptr;
        size_ = 0;
        return bytes;
    }

private:
    void* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

// Of a reading, the part that reads the bytes and the part that parses them.
constexpr double kBytesShare = 0.25;
PadReadOptions Stage(const PadReadOptions& options, double from, double to) {
    PadReadOptions stage = options;
    stage.progress = options.progress.Part(from, to);
    return stage;
}

}  // namespace

PadReadResult ReadPadFile(const std::filesystem::path& path, std::string_view ParamChar, const NumberLocale& locale,
                          const PadReadOptions& options) {
    if (path.empty()) return {};
    auto texts = std::make_shared<TraceTexts>();
    {
        // The usual trace, UTF-8 without a byte-order mark, is parsed as read.
        FileBytes file(path, Stage(options, 0.0, kBytesShare));
        const std::string_view bytes = file.Bytes();
        if (!bytes.empty() && !bytes.starts_with("\xEF\xBB\xBF") && IsValidUtf8(bytes)) {
            const std::string_view text = file.MoveTo(*texts);
            return ParseKeptPadText(text, std::move(texts), platform::PathToUtf8(path), ParamChar, locale,
                                    Stage(options, kBytesShare, 1.0));
        }
    }
    std::string why;
    auto bytes = ReadTraceBytes(path, Stage(options, 0.0, kBytesShare), why);
    if (!bytes) {
        PadReadResult result;
        result.error = PadReadError{platform::PathToUtf8(path), 0, why.empty() ? "the file cannot be opened" : why};
        return result;
    }
    const std::string_view text = texts->Adopt(DecodeTextInPlace(std::move(*bytes)).text);
    return ParseKeptPadText(text, std::move(texts), platform::PathToUtf8(path), ParamChar, locale,
                            Stage(options, kBytesShare, 1.0));
}

}  // namespace kivra
