// kivra: the analyzer's and the tagger's cores on the command line, for
// scripts and CI.
#include <CLI/CLI.hpp>
#include <clocale>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Platform.h"
#include "ProfileCommands.h"
#include "TagCommands.h"
#include "TraceCommands.h"
#include "VersionOption.h"

int main(int argc, char** argv) {
    // Numbers in traces and settings follow the user's regional format.
    std::setlocale(LC_ALL, "");

    CLI::App app{
        "kivra - time the procedures of a Basic program from the command line.\n"
        "Reads PAD trace files and tags Basic source text (.bas, .frm, .cls)."};
    app.name("kivra");
    app.require_subcommand(1);
    app.set_version_flag("--version", kivra::VersionLine("kivra"), "Print the version and exit");
    app.footer("Run 'kivra COMMAND --help' for the options of a command.");
    kivra::AddTraceCommands(app);
    kivra::AddProfileCommands(app);
    kivra::AddTagCommands(app);
    // Bytes in and out unchanged, arguments in UTF-8, on every system.
    kivra::platform::UseBinaryStandardStreams();
    const std::vector<std::string> arguments = kivra::platform::Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    return kivra::RunCommandLine(app, static_cast<int>(pointers.size()), pointers.data());
}
