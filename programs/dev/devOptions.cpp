#include "devOptions.h"

#include "optionValues.h"
#include "vroDeclaration.h"

#include <filesystem>

namespace {

constexpr int kSmallestSide = 16;
constexpr int kLargestSide = 16384;

bool parseWindowSize(const std::string& text, int& width, int& height)
{
    const auto size = parseSize(text);
    if (!size || size->x < kSmallestSide || size->y < kSmallestSide || size->x > kLargestSide ||
        size->y > kLargestSide)
        return false;
    width = size->x;
    height = size->y;
    return true;
}

bool parseStart(const std::string& text, double& seconds)
{
    const auto value = parseNumber(text);
    if (!value || *value < 0.0)
        return false;
    seconds = *value;
    return true;
}

} // namespace

std::optional<DevOptions> DevOptions::parse(const std::vector<std::string>& args, const vroDeclaration& declaration,
                                            std::string& error)
{
    DevOptions options;
    options.width = declaration.width;
    options.height = declaration.height;
    options.sourceDir = declaration.sourceFolder;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--fullscreen") {
            options.fullscreen = true;
        } else if (arg == "--size" || arg == "--start" || arg == "--source" || arg == "--commands") {
            if (!hasValue) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (arg == "--size" && !parseWindowSize(value, options.width, options.height)) {
                error = "--size wants WIDTHxHEIGHT, 16 to 16384 each, not \"" + value + "\"";
                return std::nullopt;
            }
            if (arg == "--start" && !parseStart(value, options.startSeconds)) {
                error = "--start wants seconds from 0 on, not \"" + value + "\"";
                return std::nullopt;
            }
            if (arg == "--source")
                options.sourceDir = value;
            if (arg == "--commands")
                options.commandFile = value;
        } else {
            error = "unknown option \"" + arg + "\"";
            return std::nullopt;
        }
    }
    return options;
}

std::string DevOptions::helpText(const vroDeclaration& declaration)
{
    const std::string score = std::filesystem::path(declaration.tune).replace_extension(".score").string();
    return "usage: " + declaration.name + "-dev [options]   (run from the run folder)\n"
           "Plays the production in a window and reloads what is edited while it plays.\n"
           "\n"
           "  --size WxH       window size (default " + sizeText({declaration.width, declaration.height}) + ")\n"
           "  --fullscreen     full screen instead of a window (default: windowed)\n"
           "  --start S        begin at S seconds of music (default 0)\n"
           "  --source DIR     the production's folder whose shaders/, tracks/*.tracks and\n"
           "                   music/" + score + " play and are watched; what it lacks comes\n"
           "                   from the run folder\n"
           "                   (default " + declaration.sourceFolder + ")\n"
           "  --commands FILE  read commands, one a line, from FILE, a FIFO, or - for standard\n"
           "                   input (default: none)\n"
           "  --help           this text\n"
           "\n"
           "Keys: Space pause/resume, Left/Right one beat (Shift: one bar), Up/Down previous/next\n"
           "change of the part track, Home the start, L loop start / loop end / no loop,\n"
           "F1 read-out on/off, Escape quit. Tab timeline on/off; Ctrl+S save the track text,\n"
           "Ctrl+Z undo, Ctrl+Shift+Z redo, Ctrl+R take the file on disk, Ctrl+K keep the edits\n"
           "over a change on disk; over the timeline: I insert a key at the playhead, Delete,\n"
           "K cycle the kind, Ctrl+C/Ctrl+V copy and paste keys at the playhead.\n"
           "\n"
           "Commands: pause (toggles), home, beat N, bar N (steps, N may be negative),\n"
           "  part next|prev, seek S (seconds), seek-bar N, loop, readout, frames N (run N frames\n"
           "  before the next command), quit; timeline, key-set TRACK ROW VALUE [KIND],\n"
           "  key-move TRACK ROW NEWROW, key-delete TRACK ROW (rows as BAR:BEAT:ROW or row\n"
           "  numbers), undo, redo, save, revert, keep.\n"
           "\n"
           "Reloaded between two frames when saved: the shaders (DIR/shaders/ and the run folder),\n"
           "the track text, the score (rendered in the background, swapped in at the same music\n"
           "time), the pictures. Errors show as file:line: message on the read-out and standard\n"
           "error, and the last working version stays.\n"
           "Exit status: 0 done, 1 failed, 2 usage.\n";
}
