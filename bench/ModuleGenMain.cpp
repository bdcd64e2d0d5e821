// Writes a generated Basic module, for timing the command-line tool:
// kivra_module_gen LINES FILE
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "BasicModules.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kivra_module_gen LINES FILE\n";
        return 2;
    }
    const std::string text = kivra::test::GeneratedModule(std::strtoul(argv[1], nullptr, 10));
    std::ofstream out(argv[2], std::ios::binary);
    if (!out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
        std::cerr << "kivra_module_gen: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
