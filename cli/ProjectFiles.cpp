#include "ProjectFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string_view>

#include "Platform.h"
#include "TextEncoding.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '"')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '"' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The keys of a project file that name its source files.
bool NamesASource(std::string_view key) {
    static const char* const kKeys[] = {"form",         "module",       "class",   "usercontrol",
                                        "propertypage", "userdocument", "designer"};
    const std::string lower = LowerAscii(key);
    return std::any_of(std::begin(kKeys), std::end(kKeys), [&](const char* k) { return lower == k; });
}

class Expander {
public:
    SourceFileList list;

    void Path(const fs::path& path, bool named) {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (ec || !fs::exists(status)) {
            list.problems.push_back("'" + platform::PathToUtf8(path) + "' is not there");
            return;
        }
        if (fs::is_directory(status)) {
            list.several = true;
            Folder(path);
            return;
        }
        const std::string extension = LowerAscii(platform::PathToUtf8(path.extension()));
        if (extension == ".vbp") {
            list.several = true;
            Project(path);
        } else if (extension == ".vbg") {
            list.several = true;
            Group(path);
        } else if (named || IsSourceFile(path)) {
            File(path);
        }
    }

private:
    void File(const fs::path& path) {
        std::error_code ec;
        fs::path key = fs::weakly_canonical(path, ec);
        if (ec) key = fs::absolute(path);
        std::string name = platform::PathToUtf8(key);
#ifdef _WIN32
        name = LowerAscii(name);  // one file, whatever the letter case
#endif
        if (seen_.insert(std::move(name)).second) list.files.push_back(path);
    }

    void Folder(const fs::path& folder) {
        std::vector<fs::path> found;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec) && IsSourceFile(it->path())) found.push_back(it->path());
        }
        if (ec)
            list.problems.push_back("'" + platform::PathToUtf8(folder) +
                                    "' could not be searched whole: " + ec.message());
        std::sort(found.begin(), found.end());
        for (const fs::path& file : found) File(file);
    }

    // key=value lines; the values of the keys `wanted` accepts, in order.
    template <class Wanted, class Use>
    void Lines(const fs::path& file, Wanted&& wanted, Use&& use) {
        std::string why;
        const auto bytes = ReadFileBytes(file, &why, std::size_t{4} << 20);
        if (!bytes) {
            list.problems.push_back("'" + platform::PathToUtf8(file) + "' cannot be read: " + why);
            return;
        }
        const std::string text = DecodeText(*bytes).text;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            const std::string_view line(text.data() + pos, end - pos);
            pos = end + 1;
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos) continue;
            if (wanted(Trim(line.substr(0, equals)))) use(line.substr(equals + 1));
        }
    }

    void Project(const fs::path& project) {
        if (!projects_.insert(platform::PathToUtf8(fs::weakly_canonical(project))).second) return;
        const fs::path folder = project.parent_path();
        Lines(project, NamesASource, [&](std::string_view value) {
            // Module=Name; path and Class=Name; path; Form=path.
            if (const std::size_t semicolon = value.find(';'); semicolon != std::string_view::npos) {
                value = value.substr(semicolon + 1);
            }
            const fs::path file = ProjectPath(folder, Trim(value));
            if (!fs::exists(file)) {
                list.problems.push_back("'" + platform::PathToUtf8(file) + "', named in '" +
                                        platform::PathToUtf8(project) + "', is not there");
                return;
            }
            File(file);
        });
    }

    void Group(const fs::path& group) {
        const fs::path folder = group.parent_path();
        auto isProject = [](std::string_view key) {
            const std::string lower = LowerAscii(key);
            return lower == "project" || lower == "startupproject";
        };
        Lines(group, isProject, [&](std::string_view value) {
            const fs::path project = ProjectPath(folder, Trim(value));
            if (!fs::exists(project)) {
                list.problems.push_back("'" + platform::PathToUtf8(project) + "', named in '" +
                                        platform::PathToUtf8(group) + "', is not there");
                return;
            }
            Project(project);
        });
    }

    std::set<std::string> seen_;
    std::set<std::string> projects_;
};

}  // namespace

bool IsSourceFile(const std::filesystem::path& path) {
    static const char* const kKinds[] = {".bas", ".frm", ".cls", ".ctl", ".pag", ".dob", ".dsr"};
    const std::string extension = LowerAscii(platform::PathToUtf8(path.extension()));
    return std::any_of(std::begin(kKinds), std::end(kKinds), [&](const char* kind) { return extension == kind; });
}

std::filesystem::path ProjectPath(const std::filesystem::path& folder, std::string_view written) {
    std::string path(written);
    std::replace(path.begin(), path.end(), '\\', '/');
    fs::path resolved = fs::path(path).is_absolute() ? fs::path() : folder;
    // Part by part: the part as written, else a name in the folder that
    // differs from it only in letter case.
    for (const fs::path& part : fs::path(path)) {
        fs::path next = resolved / part;
        std::error_code ec;
        if (!fs::exists(next, ec) && part != "." && part != ".." &&
            fs::is_directory(resolved.empty() ? "." : resolved, ec)) {
            const std::string wanted = LowerAscii(platform::PathToUtf8(part));
            for (const auto& entry : fs::directory_iterator(resolved.empty() ? fs::path(".") : resolved, ec)) {
                if (LowerAscii(platform::PathToUtf8(entry.path().filename())) == wanted) {
                    next = resolved / entry.path().filename();
                    break;
                }
            }
        }
        resolved = std::move(next);
    }
    return resolved;
}

bool NamesSeveralFiles(const std::string& path) {
    const fs::path named = platform::PathFromUtf8(path);
    std::error_code ec;
    const std::string extension = LowerAscii(platform::PathToUtf8(named.extension()));
    return fs::is_directory(named, ec) || extension == ".vbp" || extension == ".vbg";
}

SourceFileList ExpandSourcePaths(const std::vector<std::string>& paths) {
    Expander expander;
    expander.list.several = paths.size() > 1;
    for (const std::string& path : paths) expander.Path(platform::PathFromUtf8(path), true);
    return std::move(expander.list);
}

}  // namespace kivra
