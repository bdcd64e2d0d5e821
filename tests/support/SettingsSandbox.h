// Gives a test its own profile folder, so that settings go to a fresh
// temporary place and never to the user's own file.
#pragma once

#include <filesystem>
#include <string>

namespace kivra::test {

class SettingsSandbox {
public:
    // Points USERPROFILE at a new empty folder and sets the program-wide
    // values to the product and file name given. The product folder is that
    // of the product given, or of "Kivra" when the test leaves it to a window.
    explicit SettingsSandbox(std::string configFile = "Config.ini", std::string productName = "Kivra");
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    const std::filesystem::path& Profile() const { return profile_; }
    // The product's settings folder (not created).
    std::filesystem::path ProductFolder() const;
    // Creates the product folder.
    void CreateProductFolder() const;
    // Writes raw bytes into a file of the product folder, creating the folder.
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;

private:
    std::filesystem::path profile_;
    std::string folderProduct_;
    std::string previousProfile_;
    bool hadProfile_ = false;
};

}  // namespace kivra::test
