// Generates PAD traces as a timing object writes them: a random call tree,
// each call written when it completes, Order counting calls in start order,
// Depth 1 for calls made from outside any timed procedure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivra::bench {

struct GeneratedCall {
    std::string name;
    int order = 0;
    int depth = 0;
    double start = 0.0;  // milliseconds
    double stop = 0.0;
    std::string dataIn;
    std::string dataLog;
    std::string dataOut;
};

struct TraceShape {
    std::size_t calls = 1000;
    std::uint32_t seed = 1;
    int maxDepth = 12;
    double returnChance = 0.45;  // chance, at each step, that the running call returns
    double dataChance = 0.25;    // chance that a call carries data items
    int maxSpan = 990;           // calls a running call may see start before it returns; 0 for no limit
    std::size_t names = 60;      // distinct procedure names, at most 60
    // How many procedures each procedure calls, as a program's call graph
    // fixes them; 0 for any procedure at all.
    std::size_t calleesPerProcedure = 0;
    // One call, started after a tenth of the calls, whose loop makes this
    // many direct callees (counted in `calls`); 0 for none.
    std::size_t loopCallees = 0;
};

// A trace shaped like a real run: nesting to depth 8, about 40 procedure
// names, each calling three others of them, calls running as long as they
// like, and one call with `loop` direct callees.
TraceShape RealRunShape(std::size_t calls, std::size_t loop = 40000);

// The calls in completion order (the order of the file's lines).
std::vector<GeneratedCall> GenerateCalls(const TraceShape& shape);

// The whole file: seven header lines, then one line per call, CR LF line
// ends, times with three decimals and "." as decimal separator.
std::string PadText(const std::vector<GeneratedCall>& calls);

std::string GeneratePadText(const TraceShape& shape);

}  // namespace kivra::bench
