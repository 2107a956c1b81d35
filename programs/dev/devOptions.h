#pragma once

#include <optional>
#include <string>
#include <vector>

struct vroDeclaration;

// The development player's command line, NAME-dev's for production NAME.
struct DevOptions {
    int width = 0; // the declared size unless --size says otherwise
    int height = 0;
    bool fullscreen = false;
    double startSeconds = 0.0;
    std::string sourceDir;   // the production's folder whose edits are played
    std::string commandFile; // "-" for standard input; empty for none
    bool help = false;

    // Nothing, with the reason in `error`, for a command line that is not
    // understood. The defaults are the declaration's: its size and folder.
    static std::optional<DevOptions> parse(const std::vector<std::string>& args, const vroDeclaration& declaration,
                                           std::string& error);
    static std::string helpText(const vroDeclaration& declaration);
};
