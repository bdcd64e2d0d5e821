// Writes a generated trace file: kivra_trace_gen FILE [CALLS [SEED]].
#include <fstream>
#include <iostream>

#include "ToolArguments.h"
#include "TraceGenerator.h"

int main(int argc, char** argv) {
    const char* usage = "kivra_trace_gen FILE [CALLS [SEED]]";
    if (const auto status = kivra::bench::CheckToolArguments(argc, argv, 1, 3, usage)) return *status;
    kivra::bench::TraceShape shape;
    for (int i = 2; i < argc; ++i) {
        const auto number = kivra::bench::WholeNumber(argv[i]);
        if (!number) {
            std::cerr << "kivra_trace_gen: '" << argv[i] << "' is not a whole number\nusage: " << usage << "\n";
            return 2;
        }
        if (i == 2) shape.calls = *number;
        if (i == 3) shape.seed = static_cast<std::uint32_t>(*number);
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << kivra::bench::GeneratePadText(shape);
    if (!out.flush()) {
        std::cerr << "kivra_trace_gen: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
