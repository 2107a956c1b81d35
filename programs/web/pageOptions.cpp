#include "pageOptions.h"

#include "optionValues.h"

namespace {

// Sizes WebGL 2 is sure to draw: every implementation has 4096-pixel textures.
constexpr int kLargestSide = 4096;

void readStart(const std::string& text, PageOptions& options)
{
    const auto seconds = parseNumber(text);
    if (seconds && *seconds >= 0.0)
        options.start = *seconds;
    else
        options.problems.push_back("?start needs seconds of music, 0 or more, not \"" + text
                                   + "\"; starting at 0");
}

void readSize(const std::string& text, PageOptions& options)
{
    const auto size = parseSize(text);
    if (size && size->x > 0 && size->y > 0 && size->x <= kLargestSide && size->y <= kLargestSide)
        options.size = *size;
    else
        options.problems.push_back("?size needs WIDTHxHEIGHT of whole numbers from 1 to 4096, not \""
                                   + text + "\"; drawing at " + sizeText(options.size));
}

bool isOption(const std::string& name)
{
    for (const char* option : {"start", "paused", "size", "autoplay", "help"})
        if (name == option)
            return true;
    return false;
}

} // namespace

std::vector<std::string> pageOptionsHelp(glm::ivec2 declaredSize)
{
    return {"?start=S: start at music second S (default 0)",
            "?paused: hold the frame at S with the music held, until \"Play from here\" (default: play)",
            "?size=WxH: draw at W by H pixels, from 1 to 4096 a side (default " + sizeText(declaredSize) + ")",
            "?autoplay: skip the start screen where the browser lets sound play without a click (default: wait for one)",
            "?help: these lines"};
}

PageOptions readPageOptions(const std::map<std::string, std::string>& query, glm::ivec2 declaredSize)
{
    PageOptions options;
    options.size = declaredSize;
    for (const auto& [name, value] : query)
        if (!isOption(name))
            options.problems.push_back("?" + name + " is not an option of the page (?help lists them)");
    if (const auto start = query.find("start"); start != query.end())
        readStart(start->second, options);
    if (const auto size = query.find("size"); size != query.end())
        readSize(size->second, options);
    options.paused = query.count("paused") != 0;
    options.help = query.count("help") != 0;
    return options;
}
