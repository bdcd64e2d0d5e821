#include "PadReader.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "MemoryPages.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

constexpr std::size_t kHeaderLines = kPadHeaderLines;
constexpr std::size_t kFields = 8;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Walks through text line by line; a line ends at CR LF, LF or CR.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const char* const begin = text_.data() + pos_;
        const std::size_t left = text_.size() - pos_;
        if (!feedKnown_ || (nextFeed_ != kNone && nextFeed_ < pos_)) {
            // The next line feed, looked up once for every line before it.
            const void* feed = std::memchr(begin, '\n', left);
            nextFeed_ =
                feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - text_.data()) : kNone;
            feedKnown_ = true;
        }
        const bool feed = nextFeed_ != kNone;
        const std::size_t toFeed = feed ? nextFeed_ - pos_ : left;
        // A carriage return before the line feed ends the line too.
        const void* ret = std::memchr(begin, '\r', toFeed);
        const std::size_t length =
            ret != nullptr ? static_cast<std::size_t>(static_cast<const char*>(ret) - begin) : toFeed;
        line = std::string_view(begin, length);
        pos_ += length;
        if (pos_ < text_.size()) {
            ++pos_;
            if (ret != nullptr && length + 1 == toFeed && feed) ++pos_;  // CR LF
        }
        ++number_;
        return true;
    }

    // The next line split into fields at "|" in the same pass: at most
    // eight, the eighth ending at the next "|" or the line end. Bit f of
    // `tildes` is set when field f holds a "~".
    bool NextRecord(std::string_view& line, std::string_view (&fields)[kFields], std::size_t& count, unsigned& tildes) {
        if (pos_ >= text_.size()) return false;
        const char* const begin = text_.data() + pos_;
        const char* const end = text_.data() + text_.size();
        const char* fieldStart = begin;
        count = 0;
        tildes = 0;
        bool closed = false;  // the eighth field has ended at a "|"
        const char* lineEnd = nullptr;
        // Takes one of the characters that matter; true at the line end.
        auto take = [&](const char* at) {
            const char c = *at;
            if (c == '|') {
                if (!closed) {
                    fields[count++] = std::string_view(fieldStart, static_cast<std::size_t>(at - fieldStart));
                    fieldStart = at + 1;
                    closed = count == kFields;
                }
                return false;
            }
            if (c == '~') {
                if (!closed) tildes |= 1u << count;
                return false;
            }
            lineEnd = at;  // CR or LF
            return true;
        };
        const char* p = begin;
#if defined(__SSE2__)
        // Sixteen characters at a time.
        const __m128i bar = _mm_set1_epi8('|');
        const __m128i tilde = _mm_set1_epi8('~');
        const __m128i feed = _mm_set1_epi8('\n');
        const __m128i ret = _mm_set1_epi8('\r');
        while (lineEnd == nullptr && end - p >= 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i found = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, bar), _mm_cmpeq_epi8(block, tilde)),
                                               _mm_or_si128(_mm_cmpeq_epi8(block, feed), _mm_cmpeq_epi8(block, ret)));
            for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(found)); mask != 0; mask &= mask - 1) {
                if (take(p + __builtin_ctz(mask))) break;
            }
            p += 16;
        }
#endif
        for (; lineEnd == nullptr && p < end; ++p) {
            const char c = *p;
            if (c == '|' || c == '~' || c == '\n' || c == '\r') take(p);
        }
        if (lineEnd == nullptr) lineEnd = end;
        if (!closed) fields[count++] = std::string_view(fieldStart, static_cast<std::size_t>(lineEnd - fieldStart));
        line = std::string_view(begin, static_cast<std::size_t>(lineEnd - begin));
        pos_ = static_cast<std::size_t>(lineEnd - text_.data());
        if (lineEnd < end) {
            ++pos_;
            if (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n') ++pos_;  // CR LF
        }
        ++number_;
        return true;
    }

    // True when nothing but line ends follows.
    bool OnlyLineEndsLeft() const { return text_.find_first_not_of("\r\n", pos_) == std::string_view::npos; }
    std::size_t Number() const { return number_; }

private:
    static constexpr std::size_t kNone = std::string_view::npos;
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t nextFeed_ = kNone;
    bool feedKnown_ = false;
    std::size_t number_ = 0;
};

// The field with every "~" replaced; the field itself when it has none.
std::string_view Replaced(std::string_view field, std::string_view replacement, TraceTexts& texts) {
    const void* first = std::memchr(field.data(), '~', field.size());
    if (first == nullptr) return field;
    const auto from = static_cast<std::size_t>(static_cast<const char*>(first) - field.data());
    const std::size_t tildes = static_cast<std::size_t>(std::count(field.begin() + from, field.end(), '~'));
    const std::size_t size = field.size() - tildes + tildes * replacement.size();
    char* out = texts.Allocate(size);
    const std::string_view result(out, size);
    for (const char c : field) {
        if (c == '~') {
            if (!replacement.empty()) std::memcpy(out, replacement.data(), replacement.size());
            out += replacement.size();
        } else {
            *out++ = c;
        }
    }
    return result;
}

std::string LongLineProblem() {
    return "the line is longer than " + MegabytesText(kMaxLineBytes) + "; it is not a trace file";
}

const char* const kFieldNames[kFields] = {"name",      "Order",   "Depth",    "start time",
                                          "stop time", "data in", "data log", "data out"};

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text).append(1, '"');
    return quoted;
}

std::string FieldName(int index) {
    return std::string("field ") + std::to_string(index + 1) + " (" + kFieldNames[index] + ") ";
}

// A whole number of 32 bits, -2147483648 to 2147483647, or a problem.
bool ReadWhole(std::string_view field, int index, std::int32_t& value, std::string& problem) {
    constexpr long long kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr long long kHighest = std::numeric_limits<std::int32_t>::max();
    // Usually one to ten digits, maybe a minus sign, nothing else.
    if (!field.empty() && field.size() <= 11) {
        const bool negative = field.front() == '-';
        std::size_t i = negative ? 1 : 0;
        long long number = 0;
        for (; i < field.size() && IsDigit(field[i]); ++i) number = number * 10 + (field[i] - '0');
        if (i == field.size() && i > (negative ? 1u : 0u)) {
            number = negative ? -number : number;
            if (number >= kLowest && number <= kHighest) {
                value = static_cast<std::int32_t>(number);
                return true;
            }
        }
    }
    std::string_view text = Trim(field);
    const std::string_view original = text;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long number = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, number);
    if (result.ec == std::errc() && result.ptr == end && !text.empty() && number >= kLowest && number <= kHighest) {
        value = static_cast<std::int32_t>(number);
        return true;
    }
    if (text.empty() || result.ptr != end ||
        (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
        problem = FieldName(index) + Quoted(field) + " is not a whole number";
    } else {
        problem = FieldName(index) + std::string(original) + " is outside -2147483648 to 2147483647";
    }
    return false;
}

// Decimal place values, each exact in double precision.
constexpr double kPlaceValues[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Eight characters, the first in the lowest byte: whether all are digits,
// and the number they spell.
bool AllDigits(std::uint64_t word) {
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
    constexpr std::uint64_t kThrees = 0x3030303030303030ULL;
    return (word & kHigh) == kThrees && ((word + 0x0606060606060606ULL) & kHigh) == kThrees;
}
std::uint64_t EightDigits(std::uint64_t word) {
    word -= 0x3030303030303030ULL;
    word = word * 10 + (word >> 8);  // pairs of digits
    constexpr std::uint64_t kMask = 0x000000FF000000FFULL;
    constexpr std::uint64_t kPairs13 = 100 + (1000000ULL << 32);
    constexpr std::uint64_t kPairs24 = 1 + (10000ULL << 32);
    return static_cast<std::uint32_t>((((word & kMask) * kPairs13) + (((word >> 16) & kMask) * kPairs24)) >> 32);
}

// Eight digit characters or fewer, at the start of a word, moved to its end
// behind "0"s, so that EightDigits reads them.
std::uint64_t RightAligned(std::uint64_t word, std::size_t count) {
    constexpr std::uint64_t kZeros = 0x3030303030303030ULL;
    if (count == 0) return kZeros;
    if (count >= 8) return word;
    return (word << (8 * (8 - count))) | (kZeros >> (8 * count));
}

enum class ShortTime { Read, NotUsual, Undecided };

// The usual time form below, for the `size` characters after any minus sign
// at p when 16 characters can be read there and the point, if any, lies
// among the first eight: integer and fraction digits read eight at a time.
ShortTime ReadShortTime(const char* p, std::size_t size, double& magnitude) {
    std::uint64_t head;
    std::memcpy(&head, p, sizeof head);
    // The first ".", found as the first zero byte of head ^ "........".
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = head ^ 0x2E2E2E2E2E2E2E2EULL;
    const std::uint64_t points = ~(((x & kLow7) + kLow7) | x | kLow7);  // the high bit of each "."
    const std::size_t integerDigits =
        points != 0 ? std::min<std::size_t>(size, static_cast<std::size_t>(std::countr_zero(points)) / 8) : size;
    if (integerDigits > 8) return ShortTime::Undecided;
    const std::size_t places = integerDigits < size ? size - integerDigits - 1 : 0;
    if (places > 8) return ShortTime::Undecided;
    const std::size_t digits = integerDigits + places;
    if (digits == 0 || digits > 15) return ShortTime::NotUsual;
    const std::uint64_t integer = RightAligned(head, integerDigits);
    std::uint64_t fraction = 0;
    if (places > 0) std::memcpy(&fraction, p + integerDigits + 1, sizeof fraction);  // within the 16
    fraction = RightAligned(fraction, places);
    if (!AllDigits(integer) || !AllDigits(fraction)) return ShortTime::NotUsual;
    const std::uint64_t whole =
        EightDigits(integer) * static_cast<std::uint64_t>(kPlaceValues[places]) + EightDigits(fraction);
    magnitude = static_cast<double>(whole) / kPlaceValues[places];
    return ShortTime::Read;
}

// A time in its usual form, "[-]digits[.digits]" with "." the decimal
// separator and at most 15 digits, read in place: all its digits as one whole
// number, exact, over a power of ten, one correctly rounded division. False
// when the field needs the general reading.
bool ReadUsualTime(std::string_view field, const char* readableEnd, double& value) {
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    if constexpr (std::endian::native == std::endian::little) {
        if (readableEnd - p >= 16) {
            double magnitude = 0.0;
            const ShortTime read = ReadShortTime(p, static_cast<std::size_t>(end - p), magnitude);
            if (read == ShortTime::NotUsual) return false;
            if (read == ShortTime::Read) {
                value = negative ? -magnitude : magnitude;
                return true;
            }
        }
    }
    std::uint64_t whole = 0;
    const char* const digitsStart = p;
    while (p < end && IsDigit(*p)) whole = whole * 10 + static_cast<std::uint64_t>(*p++ - '0');
    std::size_t digits = static_cast<std::size_t>(p - digitsStart);
    std::size_t places = 0;
    if (p < end && *p == '.') {
        const char* const fractionStart = ++p;
        while (p < end && IsDigit(*p)) whole = whole * 10 + static_cast<std::uint64_t>(*p++ - '0');
        places = static_cast<std::size_t>(p - fractionStart);
        digits += places;
    }
    if (p != end || digits == 0 || digits > 15) return false;
    const double magnitude = static_cast<double>(whole) / kPlaceValues[places];
    value = negative ? -magnitude : magnitude;
    return true;
}

bool ReadTime(std::string_view field, const char* readableEnd, int index, const NumberLocale& locale, bool pointDecimal,
              double& value, std::string& problem) {
    if (pointDecimal && ReadUsualTime(field, readableEnd, value)) return true;
    if (const auto number = ReadDouble(field, locale)) {
        value = *number;
        return true;
    }
    problem = FieldName(index) + Quoted(field) + " is not a number";
    return false;
}

}  // namespace

std::string RecordKey(int order, int depth) {
    char buffer[32];
    char* end = std::to_chars(buffer, buffer + 12, order).ptr;
    *end++ = '.';
    end = std::to_chars(end, buffer + sizeof buffer, depth).ptr;
    return std::string(buffer, end);
}

std::string PadReadError::Message() const {
    std::string text = "Cannot read the trace file \"" + file + "\"";
    if (line > 0) text += ", line " + std::to_string(line);
    text += ": " + problem;
    if (!text.ends_with('.')) text += '.';
    return text;
}

PadReadResult ParsePadText(std::string_view text, std::string_view file, std::string_view ParamChar,
                           const NumberLocale& locale, const PadReadOptions& options) {
    auto texts = std::make_shared<TraceTexts>();
    const std::string_view kept = texts->Adopt(std::string(text));
    return ParseKeptPadText(kept, std::move(texts), file, ParamChar, locale, options);
}

PadReadResult ParseKeptPadText(std::string_view text, std::shared_ptr<TraceTexts> texts, std::string_view file,
                               std::string_view ParamChar, const NumberLocale& locale, const PadReadOptions& options) {
    PadReadResult result;
    PadTrace& trace = result.trace;
    trace.Texts = std::move(texts);
    TraceTexts& kept = *trace.Texts;
    auto fail = [&](std::size_t line, std::string problem) {
        result.trace = PadTrace{trace.RunDateLine, trace.ResolutionLine, {}};
        result.error = PadReadError{std::string(file), line, std::move(problem)};
        return std::move(result);
    };

    // Said before any header line is taken, so that nothing of such a file
    // is shown as its header.
    if (text.empty()) return fail(0, "the file is empty");
    {
        // A NUL byte in the first lines (where the header is) or early on:
        // a file of some other kind, not text.
        std::size_t headerEnd = 0;
        for (std::size_t n = 0; n < kHeaderLines && headerEnd < text.size(); ++n) {
            const std::size_t feed = text.find('\n', headerEnd);
            headerEnd = feed == std::string_view::npos ? text.size() : feed + 1;
        }
        const std::size_t looked = std::min(text.size(), std::max<std::size_t>(headerEnd, 4096));
        if (text.substr(0, looked).find('\0') != std::string_view::npos) return fail(0, "it is not a text file");
    }

    LineCursor cursor(text);
    std::string_view line;
    for (std::size_t n = 1; n <= kHeaderLines; ++n) {
        if (!cursor.Next(line)) {
            return fail(n, "the file ends after " + std::to_string(n - 1) + (n == 2 ? " line" : " lines") +
                               "; a trace file starts with seven header lines");
        }
        if (line.size() > kMaxLineBytes) return fail(n, LongLineProblem());
        if (n == 2) trace.RunDateLine = line;
        if (n == 4) {
            trace.ResolutionLine = line;
            result.headerLinesRead = true;
        }
        if (n == 7) trace.OverheadLine = line;
    }

    std::size_t lineEnds = 1;
    for (const char *p = text.data(), *end = p + text.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr; ++p) {
        ++lineEnds;
    }
    trace.Records.reserve(std::min(lineEnds, options.maxRecords) + 1);
    PrepareForWriting(trace.Records.data() + 1, (trace.Records.capacity() - 1) * sizeof(PadRecord));
    std::string_view fields[kFields];
    std::size_t count = 0;
    unsigned tildes = 0;
    std::string problem;
    const bool pointDecimal = locale.decimal == ".";
    const char* const textEnd = text.data() + text.size();
    while (cursor.NextRecord(line, fields, count, tildes)) {
        const std::size_t lineNumber = cursor.Number();
        if (line.size() > kMaxLineBytes) return fail(lineNumber, LongLineProblem());
        if (line.empty()) {
            if (cursor.OnlyLineEndsLeft()) break;
            return fail(lineNumber, "the line is empty; every line after the header holds one record");
        }
        if (trace.RecordCount() == options.maxRecords) {
            return fail(lineNumber, "the file holds more than " + std::to_string(options.maxRecords) + " records");
        }
        if ((lineNumber & 0xFFFF) == 0) {
            options.progress.Report(static_cast<double>(line.data() - text.data()) / static_cast<double>(text.size()));
        }
        if (count < kFields) {
            return fail(lineNumber, "the line has " + std::to_string(count) + (count == 1 ? " field" : " fields") +
                                        "; a record has eight fields separated by \"|\"");
        }
        PadRecord& record = trace.Records.emplace_back();
        record.Name = fields[0].empty() ? std::string_view(kUnnamedRecord) : fields[0];
        double start = 0.0;
        double stop = 0.0;
        if (!ReadWhole(fields[2], 2, record.Depth, problem) || !ReadWhole(fields[1], 1, record.Order, problem) ||
            !ReadTime(fields[3], textEnd, 3, locale, pointDecimal, start, problem) ||
            !ReadTime(fields[4], textEnd, 4, locale, pointDecimal, stop, problem)) {
            return fail(lineNumber, problem);
        }
        record.Total = static_cast<float>(stop - start);
        record.Start = start;
        record.Stop = stop;
        if (!std::isfinite(record.Total)) {
            return fail(lineNumber, "the time from start to stop is too large");
        }
        // Fields after the eighth are ignored.
        record.DataIn = (tildes & (1u << 5)) != 0 ? Replaced(fields[5], ParamChar, kept) : fields[5];
        record.DataLog = (tildes & (1u << 6)) != 0 ? Replaced(fields[6], ParamChar, kept) : fields[6];
        record.DataOut = (tildes & (1u << 7)) != 0 ? Replaced(fields[7], ParamChar, kept) : fields[7];
    }
    return result;
}

}  // namespace kivra
