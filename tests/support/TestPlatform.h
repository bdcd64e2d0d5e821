// What the tests need of the system, on POSIX systems and Windows alike: a
// new temporary folder of their own, and changes to the environment.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace kivra::test {

// A new, empty folder in the temporary folder, named after `prefix`.
inline std::filesystem::path MakeTempFolder(const std::string& prefix) {
    static std::mt19937_64 random(
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto folder = std::filesystem::temp_directory_path() / (prefix + std::to_string(random() % 1000000000));
        std::error_code ec;
        if (std::filesystem::create_directory(folder, ec) && !ec) return folder;
    }
    throw std::runtime_error("no temporary folder could be made");
}

inline void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnvironment(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

}  // namespace kivra::test
