// Command-line parsing shared by the emulator's programs: help exits 0, any bad argument is
// reported by CLI11 and exits 2, as the programs document.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>

namespace calvix {

// Nothing when the arguments were read; otherwise the exit code to end with.
inline std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    return std::nullopt;
}

}  // namespace calvix
