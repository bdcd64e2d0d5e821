#include "SettingsSandbox.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "ProgramValues.h"
#include "TestPlatform.h"

namespace kivra::test {
namespace fs = std::filesystem;

SettingsSandbox::SettingsSandbox(std::string configFile, std::string productName) {
    profile_ = MakeTempFolder("kivra-test-");
    if (const char* old = std::getenv("USERPROFILE")) {
        hadProfile_ = true;
        previousProfile_ = old;
    }
    SetEnvironment("USERPROFILE", profile_.string());
    folderProduct_ = productName.empty() ? "Kivra" : productName;
    Program().ProductName = std::move(productName);
    Program().ConfigFile = std::move(configFile);
}

SettingsSandbox::~SettingsSandbox() {
    std::error_code ec;
    fs::permissions(profile_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(profile_, ec);
    if (hadProfile_) {
        SetEnvironment("USERPROFILE", previousProfile_);
    } else {
        UnsetEnvironment("USERPROFILE");
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
