// Writes a generated trace file:
//   kivra_trace_gen FILE [CALLS [SEED]]
//   kivra_trace_gen FILE --calls N [--loop M] [--seed S]
// The second form writes a trace shaped like a real run: nesting to depth 8,
// about 40 procedure names, and one call whose loop makes M direct callees
// (40,000 unless given).
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "ToolArguments.h"
#include "TraceGenerator.h"

int main(int argc, char** argv) {
    const char* usage = "kivra_trace_gen FILE [CALLS [SEED]] | kivra_trace_gen FILE --calls N [--loop M] [--seed S]";
    std::vector<char*> positional = {argv[0]};
    std::optional<unsigned long> calls;
    std::optional<unsigned long> loop;
    std::optional<unsigned long> seed;
    auto fail = [&](const std::string& problem) {
        std::cerr << "kivra_trace_gen: " << problem << "\nusage: " << usage << "\n";
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const bool known = std::strcmp(argv[i], "--calls") == 0 || std::strcmp(argv[i], "--loop") == 0 ||
                           std::strcmp(argv[i], "--seed") == 0;
        if (!known) {
            positional.push_back(argv[i]);
            continue;
        }
        if (i + 1 >= argc) return fail(std::string(argv[i]) + " needs a number");
        const auto number = kivra::bench::WholeNumber(argv[i + 1]);
        if (!number) return fail(std::string("'") + argv[i + 1] + "' is not a whole number");
        (std::strcmp(argv[i], "--calls") == 0 ? calls : std::strcmp(argv[i], "--loop") == 0 ? loop : seed) = number;
        ++i;
    }
    const int count = static_cast<int>(positional.size());
    if (const auto status = kivra::bench::CheckToolArguments(count, positional.data(), 1, calls ? 1 : 3, usage)) {
        return *status;
    }
    kivra::bench::TraceShape shape;
    for (int i = 2; i < count; ++i) {
        const auto number = kivra::bench::WholeNumber(positional[static_cast<std::size_t>(i)]);
        if (!number)
            return fail(std::string("'") + positional[static_cast<std::size_t>(i)] + "' is not a whole number");
        if (i == 2) shape.calls = *number;
        if (i == 3) shape.seed = static_cast<std::uint32_t>(*number);
    }
    if (calls) shape = kivra::bench::RealRunShape(*calls, loop.value_or(40000));
    if (loop && !calls) return fail("--loop goes with --calls");
    if (seed) shape.seed = static_cast<std::uint32_t>(*seed);
    std::ofstream out(argv[1], std::ios::binary);
    out << kivra::bench::GeneratePadText(shape);
    if (!out.flush()) {
        std::cerr << "kivra_trace_gen: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
