// Writes a generated Basic module, for timing the command-line tool:
// kivra_module_gen LINES FILE
#include <fstream>
#include <iostream>

#include "BasicModules.h"
#include "ToolArguments.h"

int main(int argc, char** argv) {
    const char* usage = "kivra_module_gen LINES FILE";
    if (const auto status = kivra::bench::CheckToolArguments(argc, argv, 2, 2, usage)) return *status;
    const auto lines = kivra::bench::WholeNumber(argv[1]);
    if (!lines) {
        std::cerr << "kivra_module_gen: '" << argv[1] << "' is not a whole number\nusage: " << usage << "\n";
        return 2;
    }
    const std::string text = kivra::test::GeneratedModule(*lines);
    std::ofstream out(argv[2], std::ios::binary);
    if (!out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
        std::cerr << "kivra_module_gen: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
