// The analyzer's window on a settings file and trace files of a test's own,
// with every way out to the desktop faked.
#pragma once

#include <QApplication>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "DefaultSettings.h"
#include "FakeDesktop.h"
#include "ProgramValues.h"
#include "SettingsSandbox.h"
#include "TraceTableModel.h"
#include "Twips.h"
#include "frmMain.h"

namespace kivra::test {

// A, its children B and C, then D at the top level with child E.
inline constexpr const char* kTrace =
    "header 1\r\nRun Date: 12/7/2026\r\nheader 3\r\nResolution: 1 ms\r\nh5\r\nh6\r\nh7\r\n"
    "B|2|2|0|3|x~y|log|out\r\n"
    "C|3|2|3|7|||\r\n"
    "A|1|1|0|10|||\r\n"
    "E|5|2|20|21|||\r\n"
    "D|4|1|20|25|||\r\n";

class AnalyzerWindowFixture : public ::testing::Test {
protected:
    AnalyzerWindowFixture() : sandbox("", "") {}

    std::string WriteTrace(const std::string& name, const std::string& text) {
        const auto path = sandbox.Profile() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    // The settings file as the program ships it, with some values changed.
    void Settings(const std::string& section, const std::string& key, const std::string& value) {
        if (!seeded_) {
            RecordingReporter quiet;
            ConfigClass config(quiet);
            Program().ProductName = "Kivra";
            Program().ConfigFile = "Config.ini";
            SeedSettingsFile(config, quiet);
            seeded_ = true;
        }
        RecordingReporter quiet;
        ConfigClass(quiet).Value(section, key, "", value);
    }
    std::string Stored(const std::string& section, const std::string& key) {
        RecordingReporter quiet;
        return ConfigClass(quiet).Value(section, key);
    }
    std::unique_ptr<frmMain> Start(const QStringList& arguments = {}) {
        return std::make_unique<frmMain>(desktop.Seams(), arguments);
    }
    template <typename T>
    static T* Control(const frmMain& window, const char* name) {
        auto* control = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // Gives the window an outer size in twips, frame included.
    static void ResizeOuter(frmMain& window, int widthTwips, int heightTwips) {
        const double dpi = LogicalDpi(&window);
        const QSize frame = window.frameGeometry().size() - window.size();
        window.resize(TwipsToPixels(widthTwips, dpi) - frame.width(), TwipsToPixels(heightTwips, dpi) - frame.height());
    }
    static std::vector<std::string> Labels(const frmMain& window) {
        std::vector<std::string> labels;
        for (const auto& row : window.Model().Rows()) labels.emplace_back(row.label);
        return labels;
    }

    SettingsSandbox sandbox;
    FakeDesktop desktop;
    bool seeded_ = false;
};

}  // namespace kivra::test
