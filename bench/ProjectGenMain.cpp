// Writes a generated Basic project, for timing kivra over whole projects:
// kivra_project_gen FILES LINES FOLDER -> FOLDER/Project.vbp naming FILES
// modules of LINES lines in all, in FOLDER/Modules.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "BasicModules.h"
#include "ToolArguments.h"

int main(int argc, char** argv) {
    const char* usage = "kivra_project_gen FILES LINES FOLDER";
    if (const auto status = kivra::bench::CheckToolArguments(argc, argv, 3, 3, usage)) return *status;
    const auto files = kivra::bench::WholeNumber(argv[1]);
    const auto lines = kivra::bench::WholeNumber(argv[2]);
    if (!files || !lines || *files == 0) {
        std::cerr << "kivra_project_gen: FILES and LINES are whole numbers, FILES at least 1\nusage: " << usage << "\n";
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path folder = argv[3];
    std::error_code ec;
    fs::create_directories(folder / "Modules", ec);
    std::ofstream project(folder / "Project.vbp", std::ios::binary);
    project << "Type=Exe\r\n";
    const std::string module = kivra::test::GeneratedModule(*lines / *files);
    for (unsigned long i = 0; i < *files; ++i) {
        const std::string name = "mod" + std::to_string(i);
        project << "Module=" << name << "; Modules\\" << name << ".bas\r\n";
        std::ofstream out(folder / "Modules" / (name + ".bas"), std::ios::binary);
        if (!out.write(module.data(), static_cast<std::streamsize>(module.size()))) {
            std::cerr << "kivra_project_gen: cannot write into " << folder << "\n";
            return 1;
        }
    }
    return project.flush() ? 0 : 1;
}
