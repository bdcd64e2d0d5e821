// The Basic source files that command-line paths name: source files,
// folders (searched recursively), project files (.vbp) and project groups
// (.vbg).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kivra {

struct SourceFileList {
    // Each file once, in the order first named; a folder's files in the
    // order of their paths.
    std::vector<std::filesystem::path> files;
    // What could not be followed: a path that is not there, a file a
    // project names that is missing, a project that cannot be read.
    std::vector<std::string> problems;
    // More than one file may come out: several paths, a folder, a project.
    bool several = false;
};

// .bas, .frm, .cls and the other module kinds of such projects (.ctl, .pag,
// .dob, .dsr), in any letter case.
bool IsSourceFile(const std::filesystem::path& path);

SourceFileList ExpandSourcePaths(const std::vector<std::string>& paths);

// A folder, a project or a group: a path that may name several files.
bool NamesSeveralFiles(const std::string& path);

// A path as a project file writes it ("\" as separator, relative to the
// project's folder), found whatever the letter case of its parts.
std::filesystem::path ProjectPath(const std::filesystem::path& folder, std::string_view written);

}  // namespace kivra
