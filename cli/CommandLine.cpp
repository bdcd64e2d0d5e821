#include "CommandLine.h"

#include <iostream>

namespace kivra {

int RunCommandLine(CLI::App& app, int argc, const char* const* argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::RuntimeError& e) {
        // A command that ran and failed; it has said why.
        return e.get_exit_code();
    } catch (const CLI::ParseError& e) {
        if (argc <= 1) {
            std::cout << app.help();
            return 2;
        }
        app.exit(e);
        return 2;
    }
    return 0;
}

}  // namespace kivra
