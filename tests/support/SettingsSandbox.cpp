#include "SettingsSandbox.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "ProgramValues.h"

namespace kivra::test {
namespace fs = std::filesystem;

SettingsSandbox::SettingsSandbox(std::string configFile, std::string productName) {
    std::string pattern = (fs::temp_directory_path() / "kivra-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    profile_ = pattern;
    if (const char* old = std::getenv("USERPROFILE")) {
        hadProfile_ = true;
        previousProfile_ = old;
    }
    ::setenv("USERPROFILE", profile_.c_str(), 1);
    folderProduct_ = productName.empty() ? "Kivra" : productName;
    Program().ProductName = std::move(productName);
    Program().ConfigFile = std::move(configFile);
}

SettingsSandbox::~SettingsSandbox() {
    std::error_code ec;
    fs::permissions(profile_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(profile_, ec);
    if (hadProfile_) {
        ::setenv("USERPROFILE", previousProfile_.c_str(), 1);
    } else {
        ::unsetenv("USERPROFILE");
    }
}

fs::path SettingsSandbox::ProductFolder() const {
    return profile_ / "AppData" / "Roaming" / "Brindle" / folderProduct_;
}

void SettingsSandbox::CreateProductFolder() const { fs::create_directories(ProductFolder()); }

void SettingsSandbox::WriteFile(const std::string& name, const std::string& bytes) const {
    CreateProductFolder();
    std::ofstream(ProductFolder() / name, std::ios::binary) << bytes;
}

std::string SettingsSandbox::ReadFile(const std::string& name) const {
    std::ifstream in(ProductFolder() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kivra::test
