// kivra: the analyzer's and the tagger's cores on the command line, for
// scripts and CI.
#include <CLI/CLI.hpp>
#include <clocale>

#include "CommandLine.h"
#include "ProfileCommands.h"
#include "TagCommands.h"
#include "TraceCommands.h"

int main(int argc, char** argv) {
    // Numbers in traces and settings follow the user's regional format.
    std::setlocale(LC_ALL, "");

    CLI::App app{"kivra - time the procedures of a Basic program from the command line.\n"
                 "Reads PAD trace files and tags Basic source text (.bas, .frm, .cls)."};
    app.name("kivra");
    app.require_subcommand(1);
    app.footer("Run 'kivra COMMAND --help' for the options of a command.");
    kivra::AddTraceCommands(app);
    kivra::AddProfileCommands(app);
    kivra::AddTagCommands(app);
    return kivra::RunCommandLine(app, argc, argv);
}
