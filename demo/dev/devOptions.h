#pragma once

#include <optional>
#include <string>
#include <vector>

// kelvandrix-dev's command line.
struct DevOptions {
    int width = 1280;
    int height = 720;
    bool fullscreen = false;
    double startSeconds = 0.0;
    std::string sourceDir;   // the data folder whose edits are played
    std::string commandFile; // "-" for standard input; empty for none
    bool help = false;

    // Nothing, with the reason in `error`, for a command line that is not
    // understood. `defaultSource` is the data folder the build came from.
    static std::optional<DevOptions> parse(const std::vector<std::string>& args, const std::string& defaultSource,
                                           std::string& error);
    static std::string helpText(const std::string& defaultSource);
};
