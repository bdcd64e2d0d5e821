#include "DefaultSettings.h"

#include <filesystem>

#include "IniFileAccess.h"

namespace kivra {
namespace fs = std::filesystem;

std::string_view DefaultSettingsText() {
    static constexpr std::string_view kText =
        "[Application]\r\n"
        "Format=0.000\r\n"
        "ParamChar=,~~\r\n"
        "ShowTotal=1\r\n"
        "ShowBars=1\r\n"
        "LastFile=\r\n"
        "DefaultPath=\r\n"
        "\r\n"
        "[Window]\r\n"
        "Width=13365\r\n"
        "Height=10800\r\n"
        "Left=1440\r\n"
        "Top=1080\r\n"
        "\r\n"
        "[Columns]\r\n"
        "1=300\r\n"
        "2=100\r\n"
        "3=100\r\n"
        "4=150\r\n"
        "5=150\r\n"
        "6=150\r\n"
        "\r\n"
        "[View]\r\n"
        "Tab=Call Tree\r\n"
        "FindCase=0\r\n"
        "FindRegex=0\r\n"
        "FindData=0\r\n"
        "CompareFile=\r\n"
        "CorrectOverhead=0\r\n"
        "\r\n"
        "[Tag Application]\r\n"
        "KivraPrefix=Kivra.\r\n"
        "LastPath=\r\n"
        "\r\n"
        "; Procedure headers that get a Start call: <phrase>,<description>\r\n"
        "[Tag Start]\r\n"
        "1=Sub,Sub\r\n"
        "2=Function,Function\r\n"
        "3=Property Get,Property Get\r\n"
        "4=Property Let,Property Let\r\n"
        "5=Property Set,Property Set\r\n"
        "6=Public Sub,Public Sub\r\n"
        "7=Public Function,Public Function\r\n"
        "8=Public Property,Public Property\r\n"
        "9=Friend Sub,Friend Sub\r\n"
        "10=Friend Function,Friend Function\r\n"
        "11=Friend Property,Friend Property\r\n"
        "12=Static Sub,Static Sub\r\n"
        "13=Static Function,Static Function\r\n"
        "\r\n"
        "; Statements that leave a procedure early: <phrase>,<description>\r\n"
        "[Tag Exit]\r\n"
        "1=Exit Sub,Exit Sub\r\n"
        "2=Exit Function,Exit Function\r\n"
        "3=Exit Property,Exit Property\r\n"
        "\r\n"
        "; Statements that end a procedure: <phrase>,<1 when the end call names the procedure>\r\n"
        "[Tag Stop]\r\n"
        "1=End Sub,0\r\n"
        "2=End Function,1\r\n"
        "3=End Property,0\r\n";
    return kText;
}

void SeedSettingsFile(const ConfigClass& config, MessageReporter& reporter) {
    const fs::path file = config.IniFilePath({});
    std::error_code ec;
    if (file.empty() || fs::exists(file, ec)) return;
    fs::create_directories(file.parent_path(), ec);
    const bool written = !ec && UpdateIniFile(file, [](IniDocument& doc) {
        // Another program may have seeded the file meanwhile: keep its work.
        if (!doc.Sections().empty()) return IniChange::Unchanged;
        doc = IniDocument::Parse(DefaultSettingsText());
        return IniChange::Changed;
    });
    if (!written) {
        reporter.Report("Could not create the settings file '" + file.string() + "'" +
                            (ec ? ": " + ec.message() : std::string()) + ".",
                        MessageIcon::Critical);
    }
}

}  // namespace kivra
