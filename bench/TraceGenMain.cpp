// Writes a generated trace file: kivra_trace_gen FILE [CALLS [SEED]].
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "TraceGenerator.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: kivra_trace_gen FILE [CALLS [SEED]]\n";
        return 2;
    }
    kivra::bench::TraceShape shape;
    if (argc > 2) shape.calls = std::strtoul(argv[2], nullptr, 10);
    if (argc > 3) shape.seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    std::ofstream out(argv[1], std::ios::binary);
    out << kivra::bench::GeneratePadText(shape);
    return out ? 0 : 1;
}
